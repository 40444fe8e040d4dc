#include "varnex/ui/start_mode.h"

#include <gtest/gtest.h>

using namespace varnex;

TEST(StartMode, ChosenBySubstringInTableOrder) {
  struct Case {
    const wchar_t* lower;
    StartMode mode;
  } cases[] = {
      {L"", StartMode::Normal},
      {L"--foo", StartMode::Normal},
      {L"delsrv", StartMode::ServiceDelete},
      {L"/delfile", StartMode::FileScan},
      {L"xdelsrvdelfile", StartMode::ServiceDelete},
      {L"delsrv c:\\x", StartMode::TargetFolder},  // the path test comes first
      {L"\"c:\\tools\\foo\\setup.exe\"", StartMode::TargetFolder},
  };
  for (const auto& c : cases) EXPECT_EQ(ChooseStartMode(c.lower), c.mode) << c.lower;
}

TEST(StartMode, TargetPathAndFolder) {
  EXPECT_EQ(TargetPathFromCommandLine(L"  \"c:\\a b\\x\"  "), L"c:\\a b\\x");
  EXPECT_EQ(TargetPathFromCommandLine(L"\""), L"");

  struct Case {
    const wchar_t* path;
    bool isFolder;
    const wchar_t* target;
  } cases[] = {
      {L"c:\\tools\\foo\\setup.exe", false, L"c:\\tools\\foo\\"},
      {L"c:\\users\\bob\\desktop\\setup.exe", false, L"c:\\users\\bob\\desktop\\setup.exe\\"},
      {L"c:\\setup.exe", false, L"c:\\setup.exe\\"},
      {L"c:\\users\\bob\\setup.exe", false, L"c:\\users\\bob\\setup.exe\\"},  // the user's own profile
      {L"c:\\program files\\setup.exe", false, L"c:\\program files\\setup.exe\\"},
      {L"c:\\program files (x86)\\common files\\x.dll", false, L"c:\\program files (x86)\\common files\\x.dll\\"},
      {L"c:\\users\\alice\\x.exe", false, L"c:\\users\\alice\\"},  // another user's folder is not refused
      {L"c:\\games\\junk", true, L"c:\\games\\junk\\"},
      {L"\\x.exe", false, L"\\x.exe\\"},  // empty folder name
  };
  for (const auto& c : cases) EXPECT_EQ(TargetFolderFor(c.path, c.isFolder, L"bob"), c.target) << c.path;
  EXPECT_EQ(TargetModeTitle(L"c:\\tools\\foo\\", L"Foo Ltd"), L"Varnex（扫描路径：c:\\tools\\foo\\ 厂商：Foo Ltd）");
}
