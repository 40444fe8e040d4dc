// Registry reads with the program's fixed buffer rule: data is read into 522 bytes; longer values
// are not read. A string that fills its buffer without a terminator is cut at the buffer's end,
// never read past.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "unique_resource.h"

namespace winaccess {

inline constexpr REGSAM kRead64 = KEY_READ | KEY_WOW64_64KEY;  // 0x20119
inline constexpr DWORD kRegistryDataBytes = 522;

unique_hkey OpenKey(HKEY root, const std::wstring& subkey, REGSAM access = kRead64);

// Reads a value into a zero-filled buffer of `bytes` bytes. REG_SZ, REG_EXPAND_SZ and
// REG_MULTI_SZ (its first string) come back as text; REG_DWORD as its decimal text. Answers false
// when the value is absent, too long for the buffer, or of another type.
bool ReadRegistryText(HKEY key, const std::wstring& valueName, std::wstring& out,
                      DWORD bytes = kRegistryDataBytes);

// Turns raw registry data into text without ever reading past `size` bytes.
std::wstring RegistryDataToText(DWORD type, const BYTE* data, DWORD size);

std::vector<std::wstring> EnumSubkeyNames(HKEY key);

struct RegistryValue {
  std::wstring name;
  DWORD type = 0;
  std::wstring text;  // RegistryDataToText of the data
};
// Values whose data exceeds the 522-byte buffer are left out, as the callers never read them.
std::vector<RegistryValue> EnumValues(HKEY key);

}  // namespace winaccess
