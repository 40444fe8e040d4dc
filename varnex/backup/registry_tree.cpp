#include <windows.h>

#include "registry_tree.h"

#include "../../common/winaccess/unique_resource.h"
#include "registry_target.h"

namespace varnex::backup {
namespace {

bool RunningUnderWow64() {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE kernel = ::GetModuleHandleW(L"kernel32");
  auto isWow64 = kernel ? reinterpret_cast<IsWow64ProcessFn>(
                              reinterpret_cast<void*>(::GetProcAddress(kernel, "IsWow64Process")))
                        : nullptr;
  BOOL wow64 = FALSE;
  return isWow64 != nullptr && isWow64(::GetCurrentProcess(), &wow64) && wow64;
}

std::vector<std::wstring> Components(const std::wstring& path) {
  std::vector<std::wstring> parts;
  std::wstring current;
  for (wchar_t c : path) {
    if (c == L'\\') {
      if (!current.empty()) parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) parts.push_back(current);
  return parts;
}

LONG ReadOpenKey(HKEY key, const std::wstring& path, REGSAM view, std::vector<RegKeyRecord>& out, int depth) {
  if (depth > 512) return ERROR_CANTREAD;
  DWORD subkeys = 0, maxSubkey = 0, values = 0, maxName = 0, maxData = 0;
  LONG r = ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &values, &maxName,
                              &maxData, nullptr, nullptr);
  if (r != ERROR_SUCCESS) return r;
  RegKeyRecord record;
  record.path = path;
  std::vector<wchar_t> name(maxName + 2);
  std::vector<BYTE> data(maxData + 8);
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = static_cast<DWORD>(name.size());
    DWORD dataSize = static_cast<DWORD>(data.size());
    DWORD type = 0;
    r = ::RegEnumValueW(key, i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r == ERROR_MORE_DATA) {  // grown meanwhile: read the key again
      name.resize(name.size() * 2 + 256);
      data.resize(data.size() * 2 + 4096);
      --i;
      continue;
    }
    if (r != ERROR_SUCCESS) return r;
    RegValueRecord value;
    value.name.assign(name.data(), nameSize);
    value.type = type;
    value.data.assign(data.begin(), data.begin() + dataSize);
    record.values.push_back(std::move(value));
  }
  out.push_back(std::move(record));
  std::vector<wchar_t> subName(maxSubkey + 2);
  std::vector<std::wstring> names;
  for (DWORD i = 0;; ++i) {
    DWORD size = static_cast<DWORD>(subName.size());
    r = ::RegEnumKeyExW(key, i, subName.data(), &size, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r == ERROR_MORE_DATA) {
      subName.resize(subName.size() * 2 + 256);
      --i;
      continue;
    }
    if (r != ERROR_SUCCESS) return r;
    names.emplace_back(subName.data(), size);
  }
  for (const auto& n : names) {
    winaccess::unique_hkey child;
    r = ::RegOpenKeyExW(key, n.c_str(), 0, KEY_READ | view, child.put());
    if (r != ERROR_SUCCESS) return r;
    r = ReadOpenKey(child.get(), path + L"\\" + n, view, out, depth + 1);
    if (r != ERROR_SUCCESS) return r;
  }
  return ERROR_SUCCESS;
}

}  // namespace

HKEY RootKeyOfName(const std::wstring& rootName) {
  if (rootName == L"HKEY_CLASSES_ROOT") return HKEY_CLASSES_ROOT;
  if (rootName == L"HKEY_CURRENT_USER") return HKEY_CURRENT_USER;
  if (rootName == L"HKEY_LOCAL_MACHINE") return HKEY_LOCAL_MACHINE;
  if (rootName == L"HKEY_USERS") return HKEY_USERS;
  return nullptr;
}

std::wstring CanonicalRootName(winaccess::RegistryRoot root) {
  switch (root) {
    case winaccess::RegistryRoot::ClassesRoot: return L"HKEY_CLASSES_ROOT";
    case winaccess::RegistryRoot::CurrentUser: return L"HKEY_CURRENT_USER";
    case winaccess::RegistryRoot::Users: return L"HKEY_USERS";
    default: return L"HKEY_LOCAL_MACHINE";
  }
}

HKEY RootKeyOf(winaccess::RegistryRoot root) { return RootKeyOfName(CanonicalRootName(root)); }

std::optional<std::wstring> RealCaseSubkey(HKEY root, const std::wstring& subkey, REGSAM view) {
  std::wstring result;
  winaccess::unique_hkey current;
  HKEY at = root;
  for (const auto& part : Components(subkey)) {
    wchar_t name[256] = {};
    std::optional<std::wstring> found;
    for (DWORD i = 0;; ++i) {
      DWORD size = 256;
      const LONG r = ::RegEnumKeyExW(at, i, name, &size, nullptr, nullptr, nullptr, nullptr);
      if (r == ERROR_NO_MORE_ITEMS) break;
      if (r != ERROR_SUCCESS) continue;
      const std::wstring candidate(name, size);
      if (::CompareStringOrdinal(candidate.c_str(), -1, part.c_str(), -1, TRUE) == CSTR_EQUAL) {
        found = candidate;
        break;
      }
    }
    if (!found) return std::nullopt;
    winaccess::unique_hkey next;
    if (::RegOpenKeyExW(at, found->c_str(), 0, KEY_READ | view, next.put()) != ERROR_SUCCESS) return std::nullopt;
    current = std::move(next);
    at = current.get();
    result += (result.empty() ? L"" : L"\\") + *found;
  }
  return result;
}

LONG ReadKeyTree(HKEY root, const std::wstring& rootName, const std::wstring& subkey, REGSAM view,
                 std::vector<RegKeyRecord>& out) {
  winaccess::unique_hkey key;
  const LONG r = ::RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ | view, key.put());
  if (r != ERROR_SUCCESS) return r;
  return ReadOpenKey(key.get(), rootName + (subkey.empty() ? L"" : L"\\" + subkey), view, out, 0);
}

LONG ReadValue(HKEY root, const std::wstring& subkey, const std::wstring& name, REGSAM view, RegValueRecord& out) {
  winaccess::unique_hkey key;
  LONG r = ::RegOpenKeyExW(root, subkey.empty() ? nullptr : subkey.c_str(), 0, KEY_READ | view, key.put());
  if (r != ERROR_SUCCESS) return r;
  DWORD type = 0, size = 0;
  r = ::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size);
  if (r != ERROR_SUCCESS) return r;
  std::vector<BYTE> data(size + 8);
  DWORD got = static_cast<DWORD>(data.size());
  r = ::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, data.data(), &got);
  if (r != ERROR_SUCCESS) return r;
  out.name = name;
  out.type = type;
  out.data.assign(data.begin(), data.begin() + got);
  return ERROR_SUCCESS;
}

LONG WriteKeyTree(const std::vector<RegKeyRecord>& keys, REGSAM view) {
  for (const auto& k : keys) {
    const auto slash = k.path.find(L'\\');
    HKEY root = RootKeyOfName(k.path.substr(0, slash));
    if (root == nullptr || slash == std::wstring::npos) return ERROR_INVALID_PARAMETER;
    winaccess::unique_hkey key;
    LONG r = ::RegCreateKeyExW(root, k.path.substr(slash + 1).c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE | view,
                               nullptr, key.put(), nullptr);
    if (r != ERROR_SUCCESS) return r;
    for (const auto& v : k.values) {
      r = ::RegSetValueExW(key.get(), v.name.c_str(), 0, v.type, v.data.empty() ? nullptr : v.data.data(),
                           static_cast<DWORD>(v.data.size()));
      if (r != ERROR_SUCCESS) return r;
    }
  }
  return ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::wstring& subkey, REGSAM view) {
  winaccess::unique_hkey key;
  return ::RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

bool ValueExists(HKEY root, const std::wstring& subkey, const std::wstring& name, REGSAM view) {
  RegValueRecord ignored;
  return ReadValue(root, subkey, name, view, ignored) == ERROR_SUCCESS;
}

std::wstring ViewText(REGSAM view) { return (view & KEY_WOW64_64KEY) ? L"64" : L""; }
REGSAM ViewFromText(const std::wstring& text) { return text == L"64" ? KEY_WOW64_64KEY : 0; }

REGSAM ViewForKeyPath(const std::wstring& keyPath) {
  return RunningUnderWow64() && UsesNativeView(keyPath) ? KEY_WOW64_64KEY : 0;
}

}  // namespace varnex::backup
