#include "text_rules.h"

#include <algorithm>
#include <limits>

namespace text {

std::wstring LowerAZ(std::wstring_view s) {
  std::wstring out(s);
  for (auto& c : out) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return out;
}

bool Contains(std::wstring_view s, std::wstring_view fragment) {
  return s.find(fragment) != std::wstring_view::npos;
}

bool ContainsAfterStart(std::wstring_view s, std::wstring_view fragment) {
  const auto at = s.find(fragment);
  return at != std::wstring_view::npos && at > 0;
}

bool StartsWith(std::wstring_view s, std::wstring_view prefix) {
  return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::wstring_view s, std::wstring_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

bool IsWhite(wchar_t c) {
  return c == L' ' || (c >= 0x09 && c <= 0x0D) || c == 0x3000;
}

std::wstring Trim(std::wstring_view s) {
  std::size_t begin = 0;
  std::size_t end = s.size();
  while (begin < end && IsWhite(s[begin])) ++begin;
  while (end > begin && IsWhite(s[end - 1])) --end;
  return std::wstring(s.substr(begin, end - begin));
}

std::wstring TrimLeftChar(std::wstring_view s, wchar_t c) {
  std::size_t begin = 0;
  while (begin < s.size() && s[begin] == c) ++begin;
  return std::wstring(s.substr(begin));
}

std::wstring TrimRightChar(std::wstring_view s, wchar_t c) {
  std::size_t end = s.size();
  while (end > 0 && s[end - 1] == c) --end;
  return std::wstring(s.substr(0, end));
}

std::wstring TrimChar(std::wstring_view s, wchar_t c) {
  return TrimLeftChar(TrimRightChar(s, c), c);
}

std::vector<std::wstring> SplitLines(std::wstring_view s) {
  std::vector<std::wstring> lines;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == L'\r' || s[i] == L'\n')) ++i;
    const std::size_t start = i;
    while (i < s.size() && s[i] != L'\r' && s[i] != L'\n') ++i;
    if (i > start) lines.emplace_back(s.substr(start, i - start));
  }
  return lines;
}

std::wstring FromBuffer(const wchar_t* buffer, std::size_t capacity) {
  if (buffer == nullptr) return {};
  const wchar_t* end = std::find(buffer, buffer + capacity, L'\0');
  return std::wstring(buffer, end);
}

bool ParseUnsigned(std::wstring_view s, unsigned long& value) {
  if (s.empty()) return false;
  constexpr unsigned long kMax = std::numeric_limits<unsigned long>::max();
  unsigned long v = 0;
  for (wchar_t c : s) {
    if (c < L'0' || c > L'9') return false;
    const auto digit = static_cast<unsigned long>(c - L'0');
    if (v > (kMax - digit) / 10) return false;
    v = v * 10 + digit;
  }
  value = static_cast<unsigned long>(v);
  return true;
}

std::vector<unsigned char> Utf16LeBytes(const std::wstring& s, bool withByteOrderMark) {
  std::vector<unsigned char> bytes;
  bytes.reserve(s.size() * 2 + 2);
  if (withByteOrderMark) {
    bytes.push_back(0xFF);
    bytes.push_back(0xFE);
  }
  for (wchar_t c : s) {
    // wchar_t is 32 bits natively; characters beyond the BMP become a surrogate pair there.
    auto put = [&bytes](unsigned unit) {
      bytes.push_back(static_cast<unsigned char>(unit & 0xFF));
      bytes.push_back(static_cast<unsigned char>((unit >> 8) & 0xFF));
    };
    const auto code = static_cast<unsigned long>(c);
    if (code > 0xFFFF) {
      const unsigned long v = code - 0x10000;
      put(static_cast<unsigned>(0xD800 + (v >> 10)));
      put(static_cast<unsigned>(0xDC00 + (v & 0x3FF)));
    } else {
      put(static_cast<unsigned>(code));
    }
  }
  return bytes;
}

}  // namespace text
