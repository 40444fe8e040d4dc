#include <windows.h>

#include "shell_integration.h"

#include <shlwapi.h>

#include "common/winaccess/unique_resource.h"

namespace spotlark {

namespace {

// The text with its terminating null.
void SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
  ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

winaccess::unique_hkey CreateKey(const wchar_t* subkey) {
  winaccess::unique_hkey key;
  if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, subkey, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS) {
    key.release();
  }
  return key;
}

winaccess::unique_hkey OpenKey(const wchar_t* subkey) {
  winaccess::unique_hkey key;
  if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, subkey, 0, KEY_READ | KEY_WRITE | KEY_WOW64_64KEY, key.put()) !=
      ERROR_SUCCESS) {
    key.release();
  }
  return key;
}

}  // namespace

std::wstring VerbCommandText(const std::wstring& programPath) { return L"\"" + programPath + L"\" \"%1\""; }
std::wstring VerbIconText(const std::wstring& programPath) { return programPath + L",0"; }

void WriteShellMenuEntries(const std::wstring& programPath) {
  if (auto key = CreateKey(kFileVerbCommandKey)) SetText(key.get(), nullptr, VerbCommandText(programPath));
  if (auto key = CreateKey(kFileVerbKey)) SetText(key.get(), L"icon", VerbIconText(programPath));
  if (auto key = CreateKey(kFolderVerbCommandKey)) SetText(key.get(), nullptr, VerbCommandText(programPath));
  if (auto key = CreateKey(kFolderVerbKey)) SetText(key.get(), L"icon", VerbIconText(programPath));
}

void DeleteShellMenuEntries() {
  winaccess::unique_hkey root;
  if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, root.put()) != ERROR_SUCCESS) {
    root.release();
    return;
  }
  ::SHDeleteKeyW(root.get(), kFileVerbKey);
  ::SHDeleteKeyW(root.get(), kFolderVerbKey);
}

bool RefreshShellMenuEntries(const std::wstring& programPath) {
  auto fileCommand = OpenKey(kFileVerbCommandKey);
  if (!fileCommand) return false;
  SetText(fileCommand.get(), nullptr, VerbCommandText(programPath));
  bool ticked = false;
  if (auto key = OpenKey(kFolderVerbCommandKey)) {
    SetText(key.get(), nullptr, VerbCommandText(programPath));
    ticked = true;
  }
  for (const wchar_t* verb : {kFileVerbKey, kFolderVerbKey}) {
    if (auto key = OpenKey(verb)) {
      SetText(key.get(), L"icon", VerbIconText(programPath));
      ticked = true;
    }
  }
  return ticked;
}

}  // namespace spotlark
