// The window handle as the user types and reads it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace spotlark {

// Hexadecimal handle text, with or without "0x" and leading zeros, blanks around it allowed.
// Answers 0 for anything else (no digits, other characters, more than 32 bits): 0 means "no
// window" to every caller.
std::uint32_t ParseHandleText(std::wstring_view text);

// Window handles carry 32 significant bits on both widths; on 64-bit Windows they are
// sign-extended.
HWND HandleFromValue(std::uint32_t value);

// "0x%08X" of the handle's 32 significant bits.
std::wstring FormatHandle(HWND window);

}  // namespace spotlark
