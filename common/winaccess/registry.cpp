#include "registry.h"

#include <cstring>
#include <vector>

#include "../text/text_rules.h"

namespace winaccess {

unique_hkey OpenKey(HKEY root, const std::wstring& subkey, REGSAM access) {
  HKEY opened = nullptr;
  // On failure the out-parameter is not documented to be left NULL: never close what it holds.
  if (::RegOpenKeyExW(root, subkey.c_str(), 0, access, &opened) != ERROR_SUCCESS) return {};
  return unique_hkey(opened);
}

std::wstring RegistryDataToText(DWORD type, const BYTE* data, DWORD size) {
  if (data == nullptr) return {};
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
      // Stops at the first terminator or at the end of the data, whichever comes first.
      return text::FromBuffer(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
    case REG_DWORD:
      if (size >= sizeof(DWORD)) {
        DWORD value = 0;
        std::memcpy(&value, data, sizeof value);
        return std::to_wstring(value);
      }
      return {};
    default:
      return {};
  }
}

bool ReadRegistryText(HKEY key, const std::wstring& valueName, std::wstring& out, DWORD bytes) {
  if (key == nullptr) return false;
  // One spare character of zeros past the size handed to the API, so a string that fills the
  // whole buffer still ends in a terminator.
  std::vector<BYTE> buffer(bytes + sizeof(wchar_t), 0);
  DWORD size = bytes;
  DWORD type = REG_SZ;
  if (::RegQueryValueExW(key, valueName.c_str(), nullptr, &type, buffer.data(), &size) != ERROR_SUCCESS) {
    return false;
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ && type != REG_DWORD) return false;
  out = RegistryDataToText(type, buffer.data(), size < bytes ? size : bytes);
  return true;
}

bool ReadRegistryRawText(HKEY key, const std::wstring& valueName, std::wstring& out, DWORD bytes) {
  if (key == nullptr) return false;
  std::vector<BYTE> buffer(bytes + sizeof(wchar_t), 0);
  DWORD size = bytes;
  if (::RegQueryValueExW(key, valueName.c_str(), nullptr, nullptr, buffer.data(), &size) != ERROR_SUCCESS) {
    return false;
  }
  const DWORD used = size < bytes ? size : bytes;
  out = text::FromBuffer(reinterpret_cast<const wchar_t*>(buffer.data()), used / sizeof(wchar_t));
  return true;
}

std::vector<std::wstring> EnumSubkeyNames(HKEY key) {
  std::vector<std::wstring> names;
  if (key == nullptr) return names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[261] = {};
    DWORD length = 261;
    const LONG rc = ::RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) continue;  // a name longer than the buffer is skipped
    if (rc != ERROR_SUCCESS) break;
    names.push_back(text::FromBuffer(name, length < 261 ? length : 261));
  }
  return names;
}

std::vector<RegistryValue> EnumValues(HKEY key) {
  std::vector<RegistryValue> values;
  if (key == nullptr) return values;
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384] = {};
    DWORD nameLength = 16384;
    std::vector<BYTE> data(kRegistryDataBytes + sizeof(wchar_t), 0);
    DWORD size = kRegistryDataBytes;
    DWORD type = 0;
    const LONG rc = ::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &size);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) break;
    values.push_back({text::FromBuffer(name, nameLength), type,
                      RegistryDataToText(type, data.data(), size < kRegistryDataBytes ? size : kRegistryDataBytes)});
  }
  return values;
}

}  // namespace winaccess
