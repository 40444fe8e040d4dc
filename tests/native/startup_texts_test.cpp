#include "varnex/scanners/startup_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace varnex::scanners;

TEST(StartupTexts, WinlogonProgramsBeyondTheDefault) {
  using List = std::vector<std::wstring>;
  struct Case {
    const wchar_t* value;
    std::wstring text;
    List added;
  } cases[] = {
      {L"Shell", L"explorer.exe", {}},
      {L"Shell", L"Explorer.EXE", {}},
      {L"Shell", L"  \"explorer.exe\"  ", {}},
      {L"Shell", L"%SystemRoot%\\explorer.exe", {}},
      {L"Shell", L"%windir%\\Explorer.exe", {}},
      {L"Shell", L"C:\\Windows\\explorer.exe", {}},
      {L"Shell", L"", {}},
      {L"Shell", L"explorer.exe, C:\\x\\evil.exe", {L"C:\\x\\evil.exe"}},
      {L"Shell", L"explorer.exe C:\\x\\evil.exe -q", {L"C:\\x\\evil.exe -q"}},
      {L"Shell", L"\"explorer.exe\" \"C:\\x y\\evil.exe\"", {L"C:\\x y\\evil.exe"}},
      {L"Shell", L"cmd.exe", {L"cmd.exe"}},
      {L"Shell", L"explorer.exe.bak", {L"explorer.exe.bak"}},
      {L"Shell", L"D:\\Windows\\explorer.exe", {L"D:\\Windows\\explorer.exe"}},
      {L"Userinit", L"C:\\Windows\\system32\\userinit.exe,", {}},
      {L"Userinit", L"c:\\windows\\SYSTEM32\\userinit.exe", {}},
      {L"Userinit", L"%SystemRoot%\\system32\\userinit.exe,", {}},
      {L"Userinit", L"%windir%\\system32\\userinit.exe ,", {}},
      {L"Userinit", L",,", {}},
      {L"Userinit", L"C:\\Windows\\system32\\userinit.exe,C:\\x\\a.exe,", {L"C:\\x\\a.exe"}},
      {L"Userinit", L"C:\\Windows\\system32\\userinit.exe, C:\\x\\a.exe , \"C:\\y\\b.exe\"",
       {L"C:\\x\\a.exe", L"C:\\y\\b.exe"}},
      {L"Userinit", L"C:\\x\\userinit.exe,", {L"C:\\x\\userinit.exe"}},
      {L"Userinit", L"userinit.exe", {L"userinit.exe"}},
      {L"Taskman", L"C:\\x\\tm.exe /s", {L"C:\\x\\tm.exe /s"}},
      {L"Taskman", L"  ", {}},
      {L"Taskman", L"", {}},
      {L"shell", L"cmd.exe", {}},  // value names are exact
      {L"Other", L"cmd.exe", {}},
      {L"Shell", std::wstring(L"explorer.exe\0cmd.exe", 20), {std::wstring(L"explorer.exe\0cmd.exe", 20)}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WinlogonAddedPrograms(c.value, c.text), c.added) << c.value << L" = " << c.text;
  }
}

TEST(StartupTexts, ShortcutCommandFromBoundedBuffers) {
  const wchar_t spaced[] = L"C:\\Program Files\\App\\app.exe";
  const wchar_t args[] = L"  -min  ";
  EXPECT_EQ(ShortcutCommand(spaced, 64, args, 16), L"\"C:\\Program Files\\App\\app.exe\" -min");
  EXPECT_EQ(ShortcutCommand(L"C:\\Windows\\System32\\wscript.exe", 64, L"C:\\x\\a.vbs", 64),
            L"C:\\Windows\\System32\\wscript.exe C:\\x\\a.vbs");
  EXPECT_EQ(ShortcutCommand(L"C:\\x.exe", 64, L"", 4), L"C:\\x.exe");
  EXPECT_EQ(ShortcutCommand(L"C:\\x.exe", 64, nullptr, 0), L"C:\\x.exe");
  EXPECT_EQ(ShortcutCommand(nullptr, 0, L"-a", 4), L"-a");
  // No terminator within the capacity: the text stops at the capacity.
  const wchar_t unterminated[4] = {L'a', L'b', L'c', L'd'};
  EXPECT_EQ(ShortcutCommand(unterminated, 4, unterminated, 2), L"abcd ab");
}

TEST(StartupTexts, FileKinds) {
  EXPECT_TRUE(IsShortcutFileName(L"App.LNK"));
  EXPECT_TRUE(IsShortcutFileName(L"a.lnk"));
  EXPECT_FALSE(IsShortcutFileName(L".lnk"));
  EXPECT_FALSE(IsShortcutFileName(L"a.lnk.vbs"));
  EXPECT_FALSE(IsShortcutFileName(L""));
  EXPECT_TRUE(IsFolderSettingsFile(L"Desktop.ini"));
  EXPECT_FALSE(IsFolderSettingsFile(L"desktop.ini.vbs"));
}
