#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "varnex/report/json_reader.h"
#include "varnex/report/report_writers.h"
#include "varnex/report/utf8.h"

using namespace varnex;
using namespace varnex::report;

namespace {

// UTF-16 units written out, so a lone surrogate can stand in a test text on every platform.
std::wstring Units(std::initializer_list<unsigned> units) {
  std::wstring s;
  for (unsigned u : units) s += static_cast<wchar_t>(u);
  return s;
}

Finding ItemWith(const std::wstring& name, const std::wstring& type = L"Run") {
  Finding f;
  f.Name = name;
  f.Type = type;
  return f;
}

std::string CsvField(const std::wstring& field) {
  std::string out;
  AppendCsvField(out, field);
  return out;
}

std::string JsonString(const std::wstring& text) {
  std::string out;
  AppendJsonString(out, text);
  return out;
}

}  // namespace

TEST(CsvReport, FieldQuoting) {
  const struct {
    std::wstring field;
    std::string bytes;
  } cases[] = {
      {L"", ""},
      {L"plain", "plain"},
      {L"a,b", "\"a,b\""},
      {L"say \"hi\"", "\"say \"\"hi\"\"\""},
      {L"\"", "\"\"\"\""},
      {L"line1\r\nline2", "\"line1\r\nline2\""},
      {L"lf\n", "\"lf\n\""},
      {L"cr\r", "\"cr\r\""},
      {L"tab\there", "tab\there"},  // tabs need no quotes in a comma-separated file
      {L"C:\\Program Files\\x.exe", "C:\\Program Files\\x.exe"},
      {L"启动项", "\xE5\x90\xAF\xE5\x8A\xA8\xE9\xA1\xB9"},
      {L"厂商,\"引号\"", "\"\xE5\x8E\x82\xE5\x95\x86,\"\"\xE5\xBC\x95\xE5\x8F\xB7\"\"\""},
      {Units({0xD83D, 0xDE00}), "\xF0\x9F\x98\x80"},
      {Units({'a', 0xD800, 'b'}), "a\xEF\xBF\xBD" "b"},  // CSV cannot keep a lone surrogate
      {Units({0xDC00, 0xD800}), "\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) EXPECT_EQ(CsvField(c.field), c.bytes) << c.bytes;
}

TEST(CsvReport, BomHeaderAndRowsInOrder) {
  Finding first = ItemWith(L"a,b", L"进程");
  first.FilePath = L"C:\\x.exe";
  first.MatchMethod = L"规则";
  const Finding second = ItemWith(L"v", L"环境变量");
  const std::string csv = CsvReport({first, second});
  const std::string header =
      "Name,FilePath,Company,FileDescription,ProductName,Type,Id,BinPath,StartPath,Descrip,MatchMethod,Tab\r\n";
  EXPECT_EQ(csv, std::string("\xEF\xBB\xBF") + header + "\"a,b\",C:\\x.exe,,,,\xE8\xBF\x9B\xE7\xA8\x8B,,,,,"
                 "\xE8\xA7\x84\xE5\x88\x99,\xE8\xBF\x9B\xE7\xA8\x8B\r\n"
                 "v,,,,,\xE7\x8E\xAF\xE5\xA2\x83\xE5\x8F\x98\xE9\x87\x8F,,,,,,"
                 "\xE8\xB5\x84\xE6\xBA\x90\xE7\xAE\xA1\xE7\x90\x86\xE5\x99\xA8\r\n");
  EXPECT_EQ(CsvReport({}), std::string("\xEF\xBB\xBF") + header);
}

TEST(JsonReport, StringEscaping) {
  const struct {
    std::wstring text;
    std::string json;
  } cases[] = {
      {L"", "\"\""},
      {L"quote\"back\\slash/", "\"quote\\\"back\\\\slash/\""},
      {L"\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\""},
      {Units({0x00, 0x01, 0x1F, 0x7F}), "\"\\u0000\\u0001\\u001f\x7F\""},
      {L"驱动", "\"\xE9\xA9\xB1\xE5\x8A\xA8\""},
      {Units({0x2028, 0x2029}), "\"\\u2028\\u2029\""},
      {Units({0xD83D, 0xDE00}), "\"\xF0\x9F\x98\x80\""},
      {Units({0xD800}), "\"\\ud800\""},
      {Units({'x', 0xDFFF, 'y'}), "\"x\\udfffy\""},
      {Units({0xDC00, 0xD800}), "\"\\udc00\\ud800\""},  // a pair in the wrong order is two lone units
      {Units({0xD83D, 0xD83D, 0xDE00}), "\"\\ud83d\xF0\x9F\x98\x80\""},
  };
  for (const auto& c : cases) {
    const std::string json = JsonString(c.text);
    EXPECT_EQ(json, c.json);
    EXPECT_TRUE(IsValidUtf8(json)) << c.json;
    JsonValue value;
    std::wstring error;
    ASSERT_TRUE(ParseJson(json, value, error)) << c.json;
    EXPECT_EQ(value.kind, JsonValue::Kind::String);
    EXPECT_EQ(value.text, c.text) << c.json;
  }
}

TEST(JsonReport, ReadsBackEveryFieldAndFact) {
  Report report;
  ReportHeader& h = report.header;
  h.version = L"1.0.0.0";
  h.computer = L"PC-01";
  h.user = L"管理员";
  h.started = L"2026-12-10T21:05:09+08:00";
  h.finished = L"2026-12-10T21:05:30+08:00";
  h.mode = kModeTarget;
  h.target = L"c:\\tools\\foo\\";
  h.status = L"扫描完毕。\r\n";
  h.alerts = {L"Varnex (发现独狼Rootkit！)"};
  h.warnings = {L"sign.txt 不存在", Units({0xD800, '"'})};
  for (int i = 0; i < 3; ++i) {
    Finding f;
    for (int column = 0; column < kFindingColumnCount; ++column) {
      FieldOf(f, column) = std::to_wstring(i) + L",\"\\\r\n" + Units({0xDBFF, 0x01, 0xD83D, 0xDE00}) + L"项目";
    }
    report.items.push_back(f);
  }
  const std::string json = JsonReport(report);
  EXPECT_TRUE(IsValidUtf8(json));
  Report back;
  std::wstring error;
  ASSERT_TRUE(ReadJsonReport(json, back, error)) << json;
  EXPECT_EQ(back.items, report.items);
  EXPECT_EQ(back.header.program, L"varnex");
  EXPECT_EQ(back.header.user, h.user);
  EXPECT_EQ(back.header.mode, h.mode);
  EXPECT_EQ(back.header.target, h.target);
  EXPECT_EQ(back.header.status, h.status);
  EXPECT_EQ(back.header.alerts, h.alerts);
  EXPECT_EQ(back.header.warnings, h.warnings);

  JsonValue root;
  ASSERT_TRUE(ParseJson(json, root, error));
  const JsonValue* items = root.Member(L"items");
  ASSERT_NE(items, nullptr);
  ASSERT_EQ(items->elements.size(), 3u);
  const JsonValue* tab = items->elements[0].Member(L"Tab");
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(tab->text, L"资源管理器");  // an unknown Type is filed under the Explorer tab

  report.header.mode = kModeNormal;
  ASSERT_TRUE(ParseJson(JsonReport(report), root, error));
  EXPECT_EQ(root.Member(L"target"), nullptr);
  ASSERT_TRUE(ParseJson(JsonReport(Report{}), root, error));
  ASSERT_NE(root.Member(L"items"), nullptr);
  EXPECT_TRUE(root.Member(L"items")->elements.empty());
}

TEST(JsonReader, AcceptsJsonAndRefusesTheRest) {
  const struct {
    std::string text;
    bool valid;
  } cases[] = {
      {"{}", true},
      {"\xEF\xBB\xBF {\"items\": []} \r\n", true},
      {"[1, -0.5, 2e10, 1E-3, true, false, null, \"\", {\"a\": [[]]}]", true},
      {"\"\\u00e9\\uD83D\\uDE00\"", true},
      {"", false},
      {"{", false},
      {"{\"a\": 1,}", false},
      {"[1,]", false},
      {"[01]", false},
      {"[1.]", false},
      {"[-]", false},
      {"\"tab\tinside\"", false},
      {"\"bad \\x escape\"", false},
      {"\"\\u12\"", false},
      {"\"\xC3\"", false},
      {"\"\xED\xA0\x80\"", false},  // an encoded surrogate is no UTF-8
      {"\"\xC0\xAF\"", false},      // overlong
      {"{\"a\" 1}", false},
      {"{1: 2}", false},
      {"[] []", false},
      {"nul", false},
      {std::string(kJsonMaxDepth - 1, '[') + std::string(kJsonMaxDepth - 1, ']'), true},
      {std::string(100000, '['), false},
  };
  for (const auto& c : cases) {
    JsonValue value;
    std::wstring error;
    EXPECT_EQ(ParseJson(c.text, value, error), c.valid) << c.text.substr(0, 80);
    if (!c.valid) {
      EXPECT_FALSE(error.empty());
    }
  }
}

TEST(JsonReader, ReportShape) {
  const struct {
    std::string text;
    bool valid;
    std::size_t items;
  } cases[] = {
      {"{\"items\": []}", true, 0},
      {"{\"items\": [{}, {\"Name\": \"x\", \"Extra\": 5}]}", true, 2},  // missing fields read as empty
      {"{\"program\": \"varnex\"}", false, 0},
      {"[]", false, 0},
      {"{\"items\": {}}", false, 0},
      {"{\"items\": [1]}", false, 0},
      {"{\"items\": [{\"Name\": 1}]}", false, 0},
      {"{\"status\": 1, \"items\": []}", false, 0},
      {"{\"alerts\": [1], \"items\": []}", false, 0},
  };
  for (const auto& c : cases) {
    Report report;
    std::wstring error;
    EXPECT_EQ(ReadJsonReport(c.text, report, error), c.valid) << c.text;
    if (c.valid) {
      EXPECT_EQ(report.items.size(), c.items) << c.text;
    }
  }
}

TEST(Utf8, DecodesAndReplacesBadBytes) {
  EXPECT_EQ(WideFromUtf8("a\xE5\x90\xAF" "b"), L"a启b");
  EXPECT_EQ(WideFromUtf8("\xF0\x9F\x98\x80"), Units({0xD83D, 0xDE00}));
  EXPECT_EQ(WideFromUtf8("\xFF" "a\xE5\x90"), Units({0xFFFD, 'a', 0xFFFD, 0xFFFD}));
  EXPECT_EQ(Utf8FromWide(Units({0xD800})), "\xEF\xBF\xBD");
  EXPECT_TRUE(IsValidUtf8(Utf8FromWide(Units({0xDFFF, 0xD800, 0xD83D, 0xDE00, 0xFFFF}))));
}
