// UTF-16 text to and from UTF-8 bytes. A std::wstring holds UTF-16 code units (on a platform with
// 32-bit wchar_t a unit above 0xFFFF is taken as a whole code point).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace varnex::report {

inline constexpr char32_t kReplacementChar = 0xFFFD;

// Calls `emit(codePoint, isLoneSurrogate)` for each code point of the text; a surrogate without
// its partner is passed as itself with isLoneSurrogate true, anything that is no code point at
// all as U+FFFD.
template <typename Emit>
void ForEachCodePoint(std::wstring_view text, Emit emit) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto unit = static_cast<std::uint32_t>(text[i]);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
      const auto next = static_cast<std::uint32_t>(text[i + 1]);
      if (next >= 0xDC00 && next <= 0xDFFF) {
        emit(static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00)), false);
        ++i;
        continue;
      }
    }
    if (unit >= 0xD800 && unit <= 0xDFFF) {
      emit(static_cast<char32_t>(unit), true);
    } else if (unit > 0x10FFFF) {
      emit(kReplacementChar, false);
    } else {
      emit(static_cast<char32_t>(unit), false);
    }
  }
}

// Appends the UTF-8 form of a code point (not a surrogate).
void AppendUtf8(std::string& out, char32_t codePoint);

// UTF-8 of the text, each lone surrogate written as U+FFFD.
std::string Utf8FromWide(std::wstring_view text);

// UTF-16 units of UTF-8 bytes; each byte that starts no valid sequence becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view bytes);

// Appends a code point as UTF-16 units (a surrogate pair above 0xFFFF).
void AppendUtf16(std::wstring& out, char32_t codePoint);

// True when the bytes are well-formed UTF-8 (no surrogates, no overlong forms).
bool IsValidUtf8(std::string_view bytes);

}  // namespace varnex::report
