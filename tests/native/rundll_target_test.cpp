// Which DLL a rundll32.exe command line runs.
#include <gtest/gtest.h>

#include "varnex/scanners/process_rules.h"

using varnex::IsRundllName;
using varnex::RundllTargetPath;

TEST(RundllTargetPath, TakesTheDllOfTheCommandLine) {
  struct Case {
    const wchar_t* commandLine;
    const wchar_t* expected;
  } cases[] = {
      // Quoted DLL path after the full program path.
      {L"C:\\Windows\\system32\\rundll32.exe \"C:\\Users\\a\\x.dll\",Start", L"C:\\Users\\a\\x.dll"},
      // Upper-case extension: no ".dll", so the text before the comma.
      {L"rundll32.exe C:\\x\\PLUGIN.DLL,Run", L"C:\\x\\PLUGIN.DLL"},
      // Program name in capitals, bare or after a path: the DLL follows it just the same.
      {L"RUNDLL32.EXE x.dll", L"x.dll"},
      {L"C:\\WINDOWS\\RUNDLL32.EXE y.dll,Go", L"y.dll"},
      // No program name at all: the text from index 12 on.
      {L"C:\\Tools\\run.exe a.dll", L".exe a.dll"},
      // Bare DLL name, no comma.
      {L"rundll32.exe shell32.dll", L"shell32.dll"},
      // Quoted program path: the quote after the name is the skipped separator.
      {L"\"C:\\Windows\\System32\\rundll32.exe\" \"C:\\p q\\z.dll\",#1", L"C:\\p q\\z.dll"},
      // Tabs and several blanks around the argument.
      {L"rundll32.exe \t  a.dll ,b", L"a.dll"},
      // Neither ".dll" nor a comma: nothing to report.
      {L"rundll32.exe C:\\x\\PLUGIN.DLL", L""},
      {L"rundll32.exe", L""},
      {L"rundll32.exe ", L""},
      {L"", L""},
      {L"RUNDLL32.EXE", L""},
      {L"short", L""},
      {L"rundll32.exe \"\"\"", L""},
      {L"x rundll32.exe ,", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RundllTargetPath(c.commandLine), c.expected) << c.commandLine;
  }
}

TEST(RundllTargetPath, RundllNameInAnyCase) {
  EXPECT_TRUE(IsRundllName(L"rundll32.exe"));
  EXPECT_TRUE(IsRundllName(L"RunDll32.EXE"));
  EXPECT_FALSE(IsRundllName(L"rundll32.exe.exe"));
  EXPECT_FALSE(IsRundllName(L"rundll64.exe"));
  EXPECT_FALSE(IsRundllName(L""));
}
