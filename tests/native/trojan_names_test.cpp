// Recognising the trojan families' folder and driver names, and the Findings that report them.
#include <gtest/gtest.h>

#include "varnex/scanners/trojan_rules.h"

using namespace varnex;

TEST(TrojanNames, FenghuaFolderShape) {
  struct Case {
    const wchar_t* name;
    bool matches;
  } cases[] = {
      {L"fce4c9d6031b363d", true},  {L"FCE4C9D6031B363D", true},  {L"0123456789abcdef", true},
      {L"0123456789abcdeg", false}, {L"0123456789abcde", false},  {L"0123456789abcdef0", false},
      {L"0123456789ABCDE-", false}, {L"", false},                 {L"０123456789abcdef", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsFenghuaFolderName(c.name), c.matches) << c.name;
}

TEST(TrojanNames, RootkitDriverShape) {
  struct Case {
    const wchar_t* name;
    bool matches;
  } cases[] = {
      {L"1a2b3c4d.sys", true},   {L"1A2B3C4D.SYS", true},  {L"1a2b3c4dx.sys", false}, {L"1a2b3c4.sys", false},
      {L"1a2b3g4d.sys", false},  {L"1a2b3c4d.dll", false}, {L"1a2b3c4dsys", false},   {L".sys", false},
      {L"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsRootkitDriverName(c.name), c.matches) << c.name;
}

TEST(TrojanNames, FindingsCarryPathsAndAdvice) {
  const Finding fenghua = FenghuaFolderFinding(L"FCE4C9D6031B363D");
  EXPECT_EQ(fenghua.FilePath, L"C:\\Windows\\FCE4C9D6031B363D");
  EXPECT_EQ(fenghua.Type, L"驱动木马");
  EXPECT_EQ(fenghua.MatchMethod, L"疯花木马目录名规则");

  const Finding rootkit = RootkitDriverFinding(L"1A2B3C4D.SYS", L"desc", L"prod");
  EXPECT_EQ(rootkit.FilePath, L"C:\\Windows\\system32\\drivers\\1A2B3C4D.SYS");
  EXPECT_EQ(rootkit.Company, L"疑似独狼Rootkit");
  EXPECT_EQ(rootkit.FileDescription, L"desc");
  EXPECT_EQ(rootkit.ProductName, L"prod");

  const Finding known = KnownDriverFinding(L"C:\\windows\\system32\\drivers", L"gbProtect64");
  EXPECT_EQ(known.Name, L"gbProtect64.sys");
  EXPECT_EQ(known.FilePath, L"C:\\windows\\system32\\drivers\\gbProtect64.sys");
  EXPECT_EQ(known.StartPath, L"一般在 HKLM\\SYSTEM\\CurrentControlSet\\Services\\gbProtect64");
  for (const Finding* f : {&fenghua, &rootkit, &known}) {
    EXPECT_TRUE(f->Id.empty());
    EXPECT_TRUE(f->BinPath.empty());
  }
}
