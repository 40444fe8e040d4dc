// Text rules shared by both programs: the A-Z-only lower-casing used by every rule match, the two
// substring tests, trims and the line splitting of the rule files. No Windows API here, so all of
// it builds natively too.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// Lower-cases the letters A-Z only; every other character, CJK included, stays as it is.
std::wstring LowerAZ(std::wstring_view s);

bool Contains(std::wstring_view s, std::wstring_view fragment);

// True when the first occurrence of `fragment` lies at index 1 or later: a fragment at the very
// start does not count, even if it occurs again further on.
bool ContainsAfterStart(std::wstring_view s, std::wstring_view fragment);

bool StartsWith(std::wstring_view s, std::wstring_view prefix);
bool EndsWith(std::wstring_view s, std::wstring_view suffix);

// White space is the ASCII blanks (space, tab, CR, LF, VT, FF) and the ideographic space U+3000.
bool IsWhite(wchar_t c);
std::wstring Trim(std::wstring_view s);
std::wstring TrimLeftChar(std::wstring_view s, wchar_t c);
std::wstring TrimRightChar(std::wstring_view s, wchar_t c);
std::wstring TrimChar(std::wstring_view s, wchar_t c);  // right end first, then left end

// Splits at runs of CR and LF characters; empty lines vanish.
std::vector<std::wstring> SplitLines(std::wstring_view s);

// The text of a buffer up to its first 0 character, never past `capacity` units.
std::wstring FromBuffer(const wchar_t* buffer, std::size_t capacity);

// Decimal text of an unsigned number, and the reverse; ParseUnsigned accepts only digits and
// answers false on an empty text, any other character or overflow.
bool ParseUnsigned(std::wstring_view s, unsigned long& value);

// UTF-16LE bytes of a text, led by the mark FF FE when it starts a new file.
std::vector<unsigned char> Utf16LeBytes(const std::wstring& s, bool withByteOrderMark);

}  // namespace text
