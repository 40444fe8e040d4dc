#include <windows.h>

#include <shlwapi.h>

#include <vector>

#include "../text/text_rules.h"
#include "unique_resource.h"
#include "winaccess.h"

namespace winaccess {

bool ExpandEnvironment(const std::wstring& in, std::wstring& out, DWORD capacity) {
  std::vector<wchar_t> buffer(capacity + 1, L'\0');
  const DWORD needed = ::ExpandEnvironmentStringsW(in.c_str(), buffer.data(), capacity);
  if (needed == 0 || needed > capacity) return false;
  out = text::FromBuffer(buffer.data(), capacity);
  return true;
}

std::wstring NormalizeServicePath(const std::wstring& imagePath) {
  return NormalizeServicePathWith(imagePath, [](const std::wstring& in, std::wstring& out) {
    return ExpandEnvironment(in, out, 261);
  });
}

HKEY RootKeyFromName(const std::wstring& name) {
  switch (RegistryRootFromName(name)) {
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegistryRoot::Users: return HKEY_USERS;
    case RegistryRoot::LocalMachine: break;
  }
  return HKEY_LOCAL_MACHINE;
}

bool FolderHasSingleEntry(const std::wstring& folderWithBackslash) {
  DisableWow64Redirection();
  WIN32_FIND_DATAW data{};
  unique_find find(::FindFirstFileW((folderWithBackslash + L"*").c_str(), &data));
  if (!find) return false;
  int count = 0;
  do {
    const std::wstring name = text::FromBuffer(data.cFileName, MAX_PATH);
    if (name == L"." || name == L"..") continue;
    if (++count > 1) return false;
  } while (::FindNextFileW(find.get(), &data));
  return count == 1;
}

bool IsFolderEmpty(const std::wstring& folderWithoutBackslash) {
  WIN32_FIND_DATAW data{};
  unique_find find(::FindFirstFileW((folderWithoutBackslash + L"\\*.*").c_str(), &data));
  if (!find) return true;
  do {
    const std::wstring name = text::FromBuffer(data.cFileName, MAX_PATH);
    if (name != L"." && name != L"..") return false;
  } while (::FindNextFileW(find.get(), &data));
  return true;
}

bool PathExists(const std::wstring& path) { return ::PathFileExistsW(path.c_str()) != FALSE; }

std::wstring ProgramPath() {
  wchar_t path[261] = {};
  const DWORD n = ::GetModuleFileNameW(nullptr, path, 261);
  // A path cut by the buffer would name the wrong folder: treat it as unknown instead.
  return (n == 0 || n >= 261) ? std::wstring() : text::FromBuffer(path, 261);
}

std::wstring ProgramFolder() { return FolderOfPath(ProgramPath()); }

}  // namespace winaccess
