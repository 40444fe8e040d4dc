// Feeds arbitrary command texts to the command-to-file resolution, with file-existence and
// expansion answers that vary with the input (an expansion may fail, grow or shrink the text).
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "varnex/scanners/command_resolution.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto pieces = fuzz_input::Pieces(data, size);
  const std::wstring command = fuzz_input::At(pieces, 0);
  const std::wstring expansion = fuzz_input::At(pieces, 1);
  const varnex::scanners::ResolveSeams seams{
      [](const std::wstring& path) { return path.size() % 2 == 0; },
      [&expansion](const std::wstring& in, std::wstring& out) {
        if (in.size() % 3 == 0) return false;
        out = expansion.empty() ? in : expansion + in.substr(in.size() / 2);
        return out.size() < 261;
      }};
  varnex::scanners::ResolveCommandPathWith(command, seams);
  return 0;
}
