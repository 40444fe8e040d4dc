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

// Reads a value of any type as the scanners read it (Parts 3.3, 4.2, 5.1 to 5.4: "any value type is
// accepted, nothing is expanded"): its data into a zero-filled buffer of `bytes` bytes, `bytes`
// passed as the byte count, and the data taken as UTF-16 text up to its first 0 unit or the end of
// the data, whichever comes first. A string that exactly fills the buffer without a terminator
// (261 units in 522 bytes) comes back whole, never read past; REG_EXPAND_SZ stays unexpanded;
// REG_DWORD and REG_BINARY give whatever characters their bytes spell (an odd last byte is
// dropped). Answers false when the key is null, the value is absent or its data is longer than
// the buffer (ERROR_MORE_DATA: not read at all); an empty value gives true with "".
bool ReadRegistryRawText(HKEY key, const std::wstring& valueName, std::wstring& out,
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
