// Turns a fuzzer's bytes into texts: UTF-16 units two bytes at a time, cut into pieces at each
// unit 0x0001, so one input yields as many texts of any content (terminators and surrogates
// included) as the fuzzer likes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz_input {

inline std::vector<std::wstring> Pieces(const std::uint8_t* data, std::size_t size) {
  std::vector<std::wstring> pieces(1);
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const auto unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0x0001) {
      pieces.emplace_back();
    } else {
      pieces.back().push_back(unit);
    }
  }
  return pieces;
}

// The piece at `index`, or "" past the end.
inline std::wstring At(const std::vector<std::wstring>& pieces, std::size_t index) {
  return index < pieces.size() ? pieces[index] : std::wstring();
}

}  // namespace fuzz_input
