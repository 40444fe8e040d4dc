#include <windows.h>

#include "handle_text.h"

#include <cwchar>

#include "common/text/text_rules.h"

namespace spotlark {

std::uint32_t ParseHandleText(std::wstring_view text) {
  const std::wstring trimmed = text::Trim(text);
  std::wstring_view digits = trimmed;
  if (digits.size() >= 2 && digits[0] == L'0' && (digits[1] == L'x' || digits[1] == L'X')) digits.remove_prefix(2);
  if (digits.empty()) return 0;
  std::uint64_t value = 0;
  for (wchar_t c : digits) {
    unsigned digit = 0;
    if (c >= L'0' && c <= L'9') {
      digit = c - L'0';
    } else if (c >= L'a' && c <= L'f') {
      digit = c - L'a' + 10;
    } else if (c >= L'A' && c <= L'F') {
      digit = c - L'A' + 10;
    } else {
      return 0;
    }
    value = value * 16 + digit;
    if (value > 0xFFFFFFFFull) return 0;
  }
  return static_cast<std::uint32_t>(value);
}

HWND HandleFromValue(std::uint32_t value) {
  return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(value)));
}

std::wstring FormatHandle(HWND window) {
  wchar_t buffer[16] = {};
  std::swprintf(buffer, 16, L"0x%08X",
                static_cast<unsigned>(static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(window))));
  return buffer;
}

}  // namespace spotlark
