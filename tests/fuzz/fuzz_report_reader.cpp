// Arbitrary bytes through the JSON report reader: it answers yes or no, never crashes, and what
// it accepts it reads back the same after writing it again.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "varnex/report/json_reader.h"
#include "varnex/report/report_writers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace varnex::report;
  Report report;
  std::wstring error;
  if (!ReadJsonReport(std::string_view(reinterpret_cast<const char*>(data), size), report, error)) return 0;
  Report again;
  if (!ReadJsonReport(JsonReport(report), again, error) || again.items != report.items) __builtin_trap();
  return 0;
}
