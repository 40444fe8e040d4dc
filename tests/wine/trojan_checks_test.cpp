// The trojan-family checks over folders and files placed in the system folders for the test.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/winaccess/winaccess.h"
#include "scanner_fixtures.h"
#include "varnex/core/scan_driver.h"
#include "varnex/core/scan_texts.h"
#include "varnex/scanners/trojan_checks.h"

using namespace varnex;
using namespace scanner_fixtures;

namespace {

const std::wstring kUnchanged = L"(unchanged)";
const std::vector<unsigned char> kSomeBytes = {'v', 'x'};

std::set<std::wstring> NamesOf(const std::vector<Finding>& findings) {
  std::set<std::wstring> names;
  for (const auto& f : findings) names.insert(f.Name);
  return names;
}

}  // namespace

TEST(TrojanChecks, FenghuaFolders) {
  struct Entry {
    const wchar_t* name;
    bool folder;
    bool holdsFile;
  };
  struct Case {
    const char* what;
    std::vector<Entry> entries;
    std::set<std::wstring> posted;
    bool foundPathIsLastPosted;     // else: as given below
    std::wstring expectedFoundPath;
  } cases[] = {
      {"upper-case digits, not empty", {{L"FCE4C9D6031B363D", true, true}}, {L"FCE4C9D6031B363D"}, true, L""},
      {"empty folder: path handed back only", {{L"FCE4C9D6031B363D", true, false}}, {}, false,
       L"C:\\Windows\\FCE4C9D6031B363D"},
      {"not the shape",
       {{L"0123456789abcdeg", true, true},
        {L"0123456789abcde", true, true},
        {L"0123456789abcdef0", true, true},
        {L"0123456789abcdef", false, false}},
       {}, false, kUnchanged},
      {"at most three",
       {{L"aaaaaaaaaaaaaaa1", true, true},
        {L"aaaaaaaaaaaaaaa2", true, true},
        {L"aaaaaaaaaaaaaaa3", true, true},
        {L"aaaaaaaaaaaaaaa4", true, true}},
       {}, true, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::unique_ptr<ScopedFolder>> folders;
    std::vector<std::unique_ptr<ScopedFile>> files;
    for (const auto& e : c.entries) {
      const std::wstring path = std::wstring(L"C:\\Windows\\") + e.name;
      if (!e.folder) {
        files.push_back(std::make_unique<ScopedFile>(path, kSomeBytes));
        continue;
      }
      folders.push_back(std::make_unique<ScopedFolder>(path));
      if (e.holdsFile) files.push_back(std::make_unique<ScopedFile>(path + L"\\payload.dat", kSomeBytes));
    }

    RecordingWindow window;
    std::wstring foundPath = kUnchanged;
    const bool found = CheckFenghuaFolders(window, foundPath);

    if (std::string(c.what) == "at most three") {
      EXPECT_EQ(window.findings.size(), 3u);
    } else {
      EXPECT_EQ(NamesOf(window.findings), c.posted);
    }
    EXPECT_EQ(found, !window.findings.empty());
    if (c.foundPathIsLastPosted) {
      ASSERT_FALSE(window.findings.empty());
      EXPECT_EQ(foundPath, window.findings.back().FilePath);
    } else {
      EXPECT_EQ(foundPath, c.expectedFoundPath);
    }
    for (const auto& f : window.findings) {
      EXPECT_EQ(f.FilePath, L"C:\\Windows\\" + f.Name);
      EXPECT_EQ(f.Type, L"驱动木马");
      EXPECT_EQ(f.MatchMethod, L"疯花木马目录名规则");
    }
    // Files before their folders.
    files.clear();
    folders.clear();
  }
}

TEST(TrojanChecks, RootkitDrivers) {
  winaccess::DisableWow64Redirection();
  const std::wstring drivers = L"C:\\Windows\\system32\\drivers\\";
  struct Case {
    const char* what;
    const wchar_t* fileName;
    bool kasperskyProduct;  // a copy of this test program, whose product name names Kaspersky
    bool posted;
    bool shapeMatches;
  } cases[] = {
      {"Kaspersky product", L"1a2b3c4d.sys", true, false, true},
      {"upper-case name, no version", L"1A2B3C4D.SYS", false, true, true},
      {"thirteen characters", L"1a2b3c4dx.sys", false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring path = drivers + c.fileName;
    ScopedFile file = c.kasperskyProduct ? ScopedFile::CopyOfTestProgram(path) : ScopedFile(path, kSomeBytes);

    RecordingWindow window;
    std::wstring foundPath = kUnchanged;
    const bool found = CheckRootkitDrivers(window, foundPath);

    EXPECT_EQ(found, c.posted);
    EXPECT_EQ(foundPath, c.shapeMatches ? path : kUnchanged);
    ASSERT_EQ(window.findings.size(), c.posted ? 1u : 0u);
    if (c.posted) {
      const Finding& f = window.findings[0];
      EXPECT_EQ(f.Name, c.fileName);
      EXPECT_EQ(f.FilePath, path);
      EXPECT_EQ(f.Company, L"疑似独狼Rootkit");
      EXPECT_EQ(f.ProductName, L"");
      EXPECT_EQ(f.MatchMethod, L"独狼Rootkit文件名规则");
    }
  }
}

TEST(TrojanChecks, KnownDriverNames) {
  std::wstring drivers;
  ASSERT_TRUE(winaccess::ExpandEnvironment(L"%systemroot%\\system32\\drivers", drivers));
  winaccess::DisableWow64Redirection();
  // On disk in lower case; the known name is written gbProtect64.
  const ScopedFile mspci(drivers + L"\\mspci.sys", kSomeBytes);
  const ScopedFile gb(drivers + L"\\gbprotect64.sys", kSomeBytes);

  struct Case {
    const char* what;
    std::vector<std::wstring> whitePaths;
    std::set<std::wstring> posted;
  } cases[] = {
      {"not whitelisted", {}, {L"mspci.sys", L"gbProtect64.sys"}},
      {"one whitelisted", {L"\\drivers\\mspci.sys"}, {L"gbProtect64.sys"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RuleData rules;
    rules.WhitePathList = c.whitePaths;
    RecordingWindow window;
    CheckKnownDriverNames(window, rules);
    EXPECT_EQ(NamesOf(window.findings), c.posted);
    for (const auto& f : window.findings) {
      const std::wstring stem = f.Name.substr(0, f.Name.size() - 4);
      EXPECT_EQ(f.FilePath, drivers + L"\\" + f.Name);
      EXPECT_EQ(f.StartPath, L"一般在 HKLM\\SYSTEM\\CurrentControlSet\\Services\\" + stem);
      EXPECT_EQ(f.Type, L"驱动木马");
      EXPECT_EQ(f.MatchMethod, L"常见驱动木马文件名");
    }
  }
}

// The checks as the scan driver runs them: both families found leave the rootkit title, and the
// final status names the Fenghua folder the check handed back.
TEST(TrojanChecks, DriverTurnsTheirResultsIntoAlerts) {
  winaccess::DisableWow64Redirection();
  ScopedFolder folder(L"C:\\Windows\\0a1b2c3d4e5f6a7b");
  const ScopedFile payload(folder.Path() + L"\\payload.dat", kSomeBytes);
  const ScopedFile driver(L"C:\\Windows\\system32\\drivers\\9f8e7d6c.sys", kSomeBytes);

  ScanState state;
  RecordingWindow window;
  ScanSteps steps;
  steps.CheckFenghuaFolders = [&window](std::wstring& path) { return CheckFenghuaFolders(window, path); };
  steps.CheckRootkitDrivers = [&window](std::wstring& path) { return CheckRootkitDrivers(window, path); };
  RunScan(state, window, steps);

  EXPECT_TRUE(state.FenghuaFound);
  EXPECT_EQ(window.titles, (std::vector<std::wstring>{kFenghuaTitle, kRootkitTitle}));
  ASSERT_FALSE(window.statuses.empty());
  EXPECT_NE(window.statuses.back().find(L"发现疯花木马：" + folder.Path()), std::wstring::npos);
  EXPECT_EQ(NamesOf(window.findings), (std::set<std::wstring>{L"0a1b2c3d4e5f6a7b", L"9f8e7d6c.sys"}));
}
