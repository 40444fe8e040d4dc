// Rule files read from a data folder on disk, with the messages a user sees.
#include <gtest/gtest.h>

#include "common/winaccess/winaccess.h"
#include "test_support.h"
#include "varnex/rules/rule_loader.h"

using namespace varnex;
using namespace testing_support;

namespace {

struct Messages {
  std::vector<std::wstring> shown;
  RuleLoadContext Context(const std::wstring& folder) {
    return {folder, [this](const std::wstring& text) { shown.push_back(text); }};
  }
};

void LoadAll(const RuleLoadContext& c, RuleData& r) {
  LoadScanPaths(c, r);
  LoadExcludePaths(c, r);
  LoadSignList(c, r);
  LoadFolderList(c, r);
  LoadAppDataInfo(c, r);
  LoadWhitePaths(c, r);
}

}  // namespace

TEST(RuleLoader, ReadsEveryFileOfTheDataFolder) {
  TempFolder program(L"vxrules");
  ASSERT_TRUE(::CreateDirectoryW(program.File(L"data").c_str(), nullptr));
  ASSERT_TRUE(WriteUtf16File(program.File(L"data\\sign.txt"), L"Foo\r\n\r\n  Bar  \r\nx\r\n"));
  ASSERT_TRUE(WriteUtf16File(program.File(L"data\\folder.txt"), L"\\JunkSoft\\\r\n\\Public\\\r\n\\windows\\a\\"));
  ASSERT_TRUE(WriteUtf16File(program.File(L"data\\appdatainfo.txt"), L"abc:defg\r\n:abcdefg"));
  ASSERT_TRUE(WriteUtf16File(program.File(L"data\\whitepath.txt"), L"C:\\Safe\\"));
  ASSERT_TRUE(WriteUtf16File(program.File(L"data\\scanpath.txt"), L"%SystemRoot%\\Junk\r\nD:\\%x%"));
  ASSERT_TRUE(WriteUtf16File(program.File(L"data\\excludepath.txt"), L"C:\\Games\\Junk\\\\"));
  ::CreateDirectoryW(L"C:\\Users\\Public", nullptr);

  Messages messages;
  RuleData rules;
  LoadAll(messages.Context(program.Path()), rules);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(rules.SignList, (std::vector<std::wstring>{L"foo", L"bar"}));
  EXPECT_EQ(rules.FolderList, (std::vector<std::wstring>{L"\\junksoft\\"}));
  EXPECT_EQ(rules.AppDataKeyList, (std::vector<std::wstring>{L"abc"}));
  EXPECT_EQ(rules.AppDataValueList, (std::vector<std::wstring>{L"defg"}));
  EXPECT_EQ(rules.WhitePathList, (std::vector<std::wstring>{L"c:\\safe\\"}));
  std::wstring windows;
  ASSERT_TRUE(winaccess::ExpandEnvironment(L"%SystemRoot%", windows));
  EXPECT_EQ(rules.ScanPathList, (std::vector<std::wstring>{windows + L"\\Junk", L"D:\\%x%"}));
  EXPECT_EQ(rules.ExcludePathList, (std::vector<std::wstring>{L"c:\\games\\junk"}));

  // A list that already holds entries is not loaded again.
  LoadSignList(messages.Context(program.Path()), rules);
  EXPECT_EQ(rules.SignList.size(), 2u);
}

TEST(RuleLoader, MissingFilesAndTheTemporaryFolder) {
  TempFolder parent(L"vxrules");
  const std::wstring program = parent.File(L"Temp");
  ASSERT_TRUE(::CreateDirectoryW(program.c_str(), nullptr));
  Messages messages;
  RuleData rules;
  LoadAll(messages.Context(program), rules);
  EXPECT_EQ(messages.shown, (std::vector<std::wstring>{
                                L"找不到data\\scanpath.txt，仅扫描默认目录！",
                                L"找不到data\\excludepath.txt，仅扫描默认目录！",
                                kTempFolderMessage,
                                L"找不到data\\sign.txt，请重新下载解压，否则无法识别流氓软件！",
                                L"找不到\\data\\folder.txt，请重新下载解压，否则无法识别流氓软件！",
                                L"找不到data\\appdatainfo.txt，请重新下载解压，否则无法识别流氓软件！",
                            }));
  EXPECT_TRUE(rules.SignList.empty());
  DeleteTree(program);
}

TEST(RuleLoader, BadFilesGiveSafeOutcomes) {
  TempFolder program(L"vxrules");
  ASSERT_TRUE(::CreateDirectoryW(program.File(L"data").c_str(), nullptr));
  // No byte-order mark: the first character is lost. One byte: nothing. Far beyond the limit:
  // only the limit is read.
  ASSERT_TRUE(WriteBytes(program.File(L"data\\sign.txt"), {'F', 0, 'o', 0, 'o', 0, 'x', 0}));
  ASSERT_TRUE(WriteBytes(program.File(L"data\\folder.txt"), {0xFF}));
  std::wstring many;
  for (int i = 0; i < 3000; ++i) many += L"key" + std::to_wstring(i) + L":value\r\n";
  ASSERT_TRUE(WriteUtf16File(program.File(L"data\\appdatainfo.txt"), many));
  Messages messages;
  RuleData rules;
  LoadAll(messages.Context(program.Path()), rules);
  EXPECT_EQ(rules.SignList, (std::vector<std::wstring>{L"oox"}));
  EXPECT_TRUE(rules.FolderList.empty());
  EXPECT_GT(rules.AppDataKeyList.size(), 100u);
  EXPECT_LT(rules.AppDataKeyList.size(), 300u);  // 4096 bytes hold about 2048 characters
  EXPECT_EQ(rules.AppDataKeyList.size(), rules.AppDataValueList.size());
}
