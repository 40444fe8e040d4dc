// Arbitrary Findings through both report writers: the bytes must be valid UTF-8, the CSV must
// parse back (RFC 4180) and the JSON must read back to exactly the same fields.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "varnex/report/json_reader.h"
#include "varnex/report/report_writers.h"
#include "varnex/report/utf8.h"

using namespace varnex;
using namespace varnex::report;

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// The UTF-16 units a text reads back as: pairs and lone surrogates kept, anything else replaced.
std::wstring AsUnits(const std::wstring& text, bool csv) {
  std::wstring out;
  ForEachCodePoint(text, [&](char32_t c, bool lone) { AppendUtf16(out, lone && csv ? kReplacementChar : c); });
  return out;
}

// A strict RFC 4180 reader (CRLF row ends; bare CR or LF only inside quotes).
bool ParseCsv(std::string_view s, std::vector<std::vector<std::string>>& rows) {
  std::size_t i = 0;
  while (i < s.size()) {
    std::vector<std::string> row;
    for (;;) {
      std::string field;
      if (i < s.size() && s[i] == '"') {
        ++i;
        for (;;) {
          if (i >= s.size()) return false;
          if (s[i] == '"') {
            if (i + 1 < s.size() && s[i + 1] == '"') {
              field += '"';
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          field += s[i++];
        }
      } else {
        while (i < s.size() && s[i] != ',' && s[i] != '\r' && s[i] != '\n') {
          if (s[i] == '"') return false;
          field += s[i++];
        }
      }
      row.push_back(std::move(field));
      if (i < s.size() && s[i] == ',') {
        ++i;
        continue;
      }
      if (i + 1 < s.size() && s[i] == '\r' && s[i + 1] == '\n') {
        i += 2;
        break;
      }
      return false;
    }
    rows.push_back(std::move(row));
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // First byte: units of 2 bytes (UTF-16) or of 4 (any wchar_t value a 32-bit platform holds).
  const std::size_t unitSize = (data[0] & 1) != 0 && sizeof(wchar_t) == 4 ? 4 : 2;
  std::vector<Finding> items(1);
  int column = 0;
  for (std::size_t i = 1; i + unitSize <= size; i += unitSize) {
    std::uint32_t unit = 0;
    std::memcpy(&unit, data + i, unitSize);
    if (unit == 0xFFFE) {  // field separator
      if (++column == kFindingColumnCount) {
        column = 0;
        items.emplace_back();
      }
      continue;
    }
    wchar_t c;
    std::memcpy(&c, &unit, sizeof c < sizeof unit ? sizeof c : sizeof unit);
    FieldOf(items.back(), column) += c;
  }

  const std::string csv = CsvReport(items);
  Check(IsValidUtf8(csv));
  Check(csv.rfind(kUtf8Bom, 0) == 0);
  std::vector<std::vector<std::string>> rows;
  Check(ParseCsv(std::string_view(csv).substr(3), rows));
  Check(rows.size() == items.size() + 1);
  for (std::size_t r = 0; r < items.size(); ++r) {
    Check(rows[r + 1].size() == kFindingColumnCount + 1);
    for (int k = 0; k < kFindingColumnCount; ++k) {
      Check(WideFromUtf8(rows[r + 1][static_cast<std::size_t>(k)]) == AsUnits(FieldOf(items[r], k), true));
    }
  }

  Report report;
  report.items = items;
  report.header.status = items[0].Name;
  report.header.alerts = {items[0].FilePath};
  const std::string json = JsonReport(report);
  Check(IsValidUtf8(json));
  Report back;
  std::wstring error;
  Check(ReadJsonReport(json, back, error));
  Check(back.items.size() == items.size());
  for (std::size_t r = 0; r < items.size(); ++r) {
    for (int k = 0; k < kFindingColumnCount; ++k) {
      Check(FieldOf(back.items[r], k) == AsUnits(FieldOf(items[r], k), false));
    }
  }
  Check(back.header.status == AsUnits(items[0].Name, false));
  Check(back.header.alerts.size() == 1 && back.header.alerts[0] == AsUnits(items[0].FilePath, false));
  return 0;
}
