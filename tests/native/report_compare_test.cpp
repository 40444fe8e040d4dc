#include <gtest/gtest.h>

#include "varnex/report/json_reader.h"
#include "varnex/report/report_compare.h"
#include "varnex/report/report_texts.h"

using namespace varnex;
using namespace varnex::report;

namespace {

Finding Item(const std::wstring& type, const std::wstring& name, const std::wstring& startPath = L"",
             const std::wstring& filePath = L"", const std::wstring& company = L"") {
  Finding f;
  f.Type = type;
  f.Name = name;
  f.StartPath = startPath;
  f.FilePath = filePath;
  f.Company = company;
  return f;
}

Report ReportOf(std::vector<Finding> items) {
  Report r;
  r.items = std::move(items);
  return r;
}

}  // namespace

TEST(CompareReports, SameItemByTypeNameStartPathAndFilePath) {
  const Finding run = Item(L"Run", L"updater", L"HKEY_CURRENT_USER\\Run", L"C:\\u.exe");
  const struct {
    Finding other;
    bool same;
  } cases[] = {
      {run, true},
      {Item(L"Run", L"updater", L"HKEY_CURRENT_USER\\Run", L"C:\\u.exe", L"other vendor"), true},
      {Item(L"run", L"updater", L"HKEY_CURRENT_USER\\Run", L"C:\\u.exe"), false},
      {Item(L"Run", L"Updater", L"HKEY_CURRENT_USER\\Run", L"C:\\u.exe"), false},
      {Item(L"Run", L"updater", L"HKEY_LOCAL_MACHINE\\Run", L"C:\\u.exe"), false},
      {Item(L"Run", L"updater", L"HKEY_CURRENT_USER\\Run", L"C:\\v.exe"), false},
  };
  for (const auto& c : cases) EXPECT_EQ(SameItem(run, c.other), c.same) << c.other.Type << c.other.Name;
}

TEST(CompareReports, AppearedAndDisappearedInOrderEachOnce) {
  const Finding a = Item(L"进程", L"a.exe"), b = Item(L"服务", L"b"), c = Item(L"Run", L"c"), d = Item(L"TSF", L"d");
  Finding aNewVendor = a;
  aNewVendor.Company = L"changed";
  const CompareResult result = CompareReports(ReportOf({a, b, c, b}), ReportOf({d, aNewVendor, d, c}));
  EXPECT_EQ(result.appeared, std::vector<Finding>{d});
  EXPECT_EQ(result.disappeared, std::vector<Finding>{b});
  EXPECT_TRUE(result.Changed());
  EXPECT_FALSE(CompareReports(ReportOf({a, b}), ReportOf({b, a})).Changed());
  EXPECT_FALSE(CompareReports(ReportOf({}), ReportOf({})).Changed());
}

TEST(CompareReports, OutputsParseBack) {
  const CompareResult result{{Item(L"Run", L"new,one")}, {Item(L"进程", L"gone")}};
  const std::string csv = CompareCsv(result);
  EXPECT_EQ(csv.rfind("\xEF\xBB\xBF" "Change,Name,FilePath,", 0), 0u);
  EXPECT_NE(csv.find("\r\nappeared,\"new,one\","), std::string::npos);
  EXPECT_NE(csv.find("\r\ndisappeared,gone,"), std::string::npos);

  Report old = ReportOf({});
  old.header.computer = L"PC-01";
  const std::string json = CompareJson(L"1.0.0.0", old, L"old.json", ReportOf({}), L"new.json", result);
  JsonValue root;
  std::wstring error;
  ASSERT_TRUE(ParseJson(json, root, error)) << json;
  ASSERT_NE(root.Member(L"old"), nullptr);
  EXPECT_EQ(root.Member(L"old")->Member(L"computer")->text, L"PC-01");
  EXPECT_EQ(root.Member(L"new")->Member(L"file")->text, L"new.json");
  ASSERT_EQ(root.Member(L"appeared")->elements.size(), 1u);
  EXPECT_EQ(root.Member(L"appeared")->elements[0].Member(L"Name")->text, L"new,one");
  EXPECT_EQ(root.Member(L"disappeared")->elements[0].Member(L"Tab")->text, L"进程");
}

TEST(ReportCommand, ParsesTheSwitches) {
  using K = ReportCommand::Kind;
  const struct {
    std::vector<std::wstring> args;
    K kind;
    std::wstring path = L"", target = L"", oldPath = L"", newPath = L"";
  } cases[] = {
      {{}, K::None},
      {{L"C:\\tools\\x.exe"}, K::None},
      {{L"delsrv"}, K::None},
      {{L"report", L"x.json"}, K::None},
      {{L"/report", L"C:\\r.json"}, K::Report, L"C:\\r.json"},
      {{L"/REPORT", L"\\\\server\\share\\PC.CSV"}, K::Report, L"\\\\server\\share\\PC.CSV"},
      {{L"/report", L"r.csv", L"C:\\Tools\\Foo"}, K::Report, L"r.csv", L"C:\\Tools\\Foo"},
      {{L"/report"}, K::Error},
      {{L"/report", L""}, K::Error},
      {{L"/report", L"r.txt"}, K::Error},
      {{L"/report", L"r.json", L"a", L"b"}, K::Error},
      {{L"/report", L"r.json", L""}, K::Error},
      {{L"/report", L"r.json", L" \t"}, K::Error},
      {{L"/Compare", L"old.json", L"new.json"}, K::Compare, L"", L"", L"old.json", L"new.json"},
      {{L"/compare", L"o", L"n", L"out.CSV"}, K::Compare, L"out.CSV", L"", L"o", L"n"},
      {{L"/compare", L"o"}, K::Error},
      {{L"/compare", L"o", L"n", L"out.xml"}, K::Error},
      {{L"/compare", L"o", L"n", L"out.json", L"more"}, K::Error},
  };
  for (const auto& c : cases) {
    const ReportCommand command = ParseReportCommand(c.args);
    const std::wstring shown = c.args.empty() ? L"(none)" : c.args[0];
    EXPECT_EQ(command.kind, c.kind) << shown;
    if (c.kind == K::Error) {
      EXPECT_NE(command.error.find(L"用法："), std::wstring::npos);
    }
    if (c.kind == K::Report || c.kind == K::Compare) {
      EXPECT_EQ(command.reportPath, c.path);
      EXPECT_EQ(command.target, c.target);
      EXPECT_EQ(command.hasTarget, !c.target.empty());
      EXPECT_EQ(command.oldPath, c.oldPath);
      EXPECT_EQ(command.newPath, c.newPath);
    }
  }
}

TEST(ReportTexts, TimesAndFormats) {
  EXPECT_EQ(FormatIsoTime({2026, 12, 10, 21, 5, 9, 480}), L"2026-12-10T21:05:09+08:00");
  EXPECT_EQ(FormatIsoTime({2026, 1, 2, 3, 4, 5, 0}), L"2026-01-02T03:04:05+00:00");
  EXPECT_EQ(FormatIsoTime({2026, 7, 1, 0, 0, 0, -570}), L"2026-07-01T00:00:00-09:30");
  EXPECT_EQ(ReportFormatForPath(L"a.csv"), ReportFormat::Csv);
  EXPECT_EQ(ReportFormatForPath(L"\\\\s\\x\\PC.JSON"), ReportFormat::Json);
  EXPECT_EQ(ReportFormatForPath(L".json.txt"), ReportFormat::Unknown);
  EXPECT_EQ(ReportFormatForPath(L"csv"), ReportFormat::Unknown);
  EXPECT_EQ(ReportClosingLine(3, L"C:\\r.json"), L"共列出 3 个项目，报告已写入 C:\\r.json");
  EXPECT_EQ(CompareClosingLine(1, 0), L"新增 1 项，消失 0 项。");
}
