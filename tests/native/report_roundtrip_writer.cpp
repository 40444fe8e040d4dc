// Writes reports of awkward Findings for check_report_roundtrip.py, which parses them with
// Python's csv and json modules. Beside them, expected.json holds every field as \u escapes of
// its UTF-16 units (an encoding independent of the writers), for CSV with the lone surrogates
// already replaced, as CSV must.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "varnex/report/report_writers.h"
#include "varnex/report/utf8.h"

using namespace varnex;
using namespace varnex::report;

namespace {

std::wstring Units(std::initializer_list<unsigned> units) {
  std::wstring s;
  for (unsigned u : units) s += static_cast<wchar_t>(u);
  return s;
}

const std::vector<std::wstring>& Texts() {
  static const std::vector<std::wstring> texts = {
      L"",
      L"plain",
      L"comma, separated",
      L"\"quoted\" and \"\"doubled\"\"",
      L"line\r\nbreaks\nand\rreturns",
      L"C:\\Windows\\System32\\drivers\\x.sys",
      L"流氓软件，推装病毒“疯花木马”",
      Units({0x00, 0x01, 0x08, 0x0B, 0x1F, 0x7F, 0x85, 0xA0}),
      Units({0x2028, 0x2029, 0xFEFF, 0xFFFE, 0xFFFF}),
      Units({0xD83D, 0xDE00, 0xD840, 0xDC0B}),
      Units({0xD800}),
      Units({'a', 0xDFFF, 'b'}),
      Units({0xDC00, 0xD800, ','}),
      Units({'"', 0xDBFF}),
      L"tab\tseparated\t",
      L" leading and trailing blanks ",
  };
  return texts;
}

std::wstring ForCsv(const std::wstring& text) {
  std::wstring out;
  ForEachCodePoint(text, [&](char32_t c, bool lone) { AppendUtf16(out, lone ? kReplacementChar : c); });
  return out;
}

std::string Escaped(const std::wstring& text) {
  std::string out = "\"";
  char buffer[8];
  for (wchar_t c : text) {
    std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(c));
    out += buffer;
  }
  return out + "\"";
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file << bytes;
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: report_roundtrip_writer OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  // Every text in every field once, the Types varied so that every tab occurs.
  const std::wstring types[] = {L"进程", L"服务", L"驱动", L"Run", L"屏幕保护程序", L"计划任务", L"IMM32",
                                L"TSF", L"文件关联", L"run", L"病毒文件"};
  std::vector<Finding> items;
  const auto& texts = Texts();
  for (std::size_t i = 0; i < texts.size() + kFindingColumnCount; ++i) {
    Finding f;
    for (int column = 0; column < kFindingColumnCount; ++column) {
      FieldOf(f, column) = texts[(i + static_cast<std::size_t>(column)) % texts.size()];
    }
    f.Type = types[i % std::size(types)];
    items.push_back(f);
  }
  Report report;
  report.header.status = texts[4];
  report.header.warnings = {texts[6], texts[10]};
  report.items = items;

  std::string expected = "{\"json\": [";
  std::string expectedCsv = "], \"csv\": [";
  for (std::size_t i = 0; i < items.size(); ++i) {
    expected += i == 0 ? "[" : ", [";
    expectedCsv += i == 0 ? "[" : ", [";
    for (int column = 0; column <= kFindingColumnCount; ++column) {
      const std::wstring field = column < kFindingColumnCount ? FieldOf(items[i], column) : TabOfType(items[i].Type);
      expected += (column > 0 ? ", " : "") + Escaped(field);
      expectedCsv += (column > 0 ? ", " : "") + Escaped(ForCsv(field));
    }
    expected += "]";
    expectedCsv += "]";
  }
  expected += expectedCsv + "], \"status\": " + Escaped(report.header.status) + ", \"warnings\": [" +
              Escaped(texts[6]) + ", " + Escaped(texts[10]) + "]}";

  const bool ok = WriteFile(folder + "/report.csv", CsvReport(items)) &&
                  WriteFile(folder + "/report.json", JsonReport(report)) &&
                  WriteFile(folder + "/expected.json", expected);
  return ok ? 0 : 1;
}
