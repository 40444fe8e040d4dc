#include "varnex/scanners/command_resolution.h"

#include <gtest/gtest.h>

#include <set>

using varnex::scanners::ResolveCommandPathWith;
using varnex::scanners::ResolveSeams;

namespace {

// A file system with a few files, and an environment that knows %systemroot% only (the command
// is lower-cased by the time it is expanded).
ResolveSeams FakeMachine(std::set<std::wstring> existing) {
  return ResolveSeams{
      [existing](const std::wstring& path) { return existing.count(path) > 0; },
      [](const std::wstring& in, std::wstring& out) {
        if (in.find(L"%toolong%") != std::wstring::npos) return false;
        const std::wstring var = L"%systemroot%";
        out = in;
        if (const auto at = out.find(var); at != std::wstring::npos) out.replace(at, var.size(), L"C:\\Windows");
        return true;
      }};
}

const std::set<std::wstring> kMachine = {
    L"C:\\Windows\\System32\\",
    L"C:\\Windows\\System32\\notepad.exe",
    L"C:\\Windows\\System32\\shell32.dll",
    L"C:\\Windows\\SysWOW64\\xyz.ime",
    L"C:\\Program Files (x86)\\app32\\app.exe",
    L"C:\\Program Files (x86)\\Common Files\\vendor\\x.dll",
};

}  // namespace

TEST(ResolveCommandPath, Table) {
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      // rundll32 forms
      {L"rundll32.exe C:\\Tools\\Agent.dll,Start", L"c:\\tools\\agent.dll"},
      {L"rundll32 shell32.dll,Control_RunDLL", L"C:\\Windows\\System32\\shell32.dll"},
      {L"rundll32.exe shell32,Control_RunDLL", L"C:\\Windows\\SysWOW64\\shell32"},
      {L"rundll32.exe", L"C:\\Windows\\System32\\"},
      {L"rundll32.exe    \"C:\\Program Files\\V\\m.dll\",Go", L"c:\\program files\\v\\m.dll"},
      {L"C:/Windows/System32/RUNDLL32.EXE C:/Data/Mod.dll,Run", L"c:\\data\\mod.dll"},
      // A full or quoted path to rundll32 without the blank right after ".exe".
      {L"\"C:\\Windows\\System32\\rundll32.exe\" C:\\Data\\mod.dll,Run", L"c:\\data\\mod.dll"},
      {L"C:\\Windows\\System32\\rundll32 C:\\Data\\mod.dll,Run", L"c:\\data\\mod.dll"},
      {L"rundll32", L"C:\\Windows\\System32\\"},
      // commands that end mid-token
      {L"rundll32.exe \"", L"C:\\Windows\\System32\\"},
      {L"rundll32.exe ,", L"C:\\Windows\\System32\\"},
      {L"\"C:\\Windows\\rundll32.exe\"", L"C:\\Windows\\System32\\"},
      {L"C:\\x\\rundll32.exe \"C:\\y.dl", L"C:\\Windows\\System32\\"},
      // quotes, arguments, extension precedence and the index-0 rule
      {L"\"C:\\Program Files\\App\\App.exe\" -min", L"c:\\program files\\app\\app.exe"},
      {L"c:\\x.exe.config\\y.dll", L"c:\\x.exe"},
      {L"C:\\a.dll\\b.EXE /x", L"c:\\a.dll\\b.exe"},
      {L"C:\\m\\IME.IME", L"c:\\m\\ime.ime"},
      {L"C:\\s\\saver.scr /s", L"c:\\s\\saver.scr"},
      {L"C:\\c\\ctl.ocx", L"c:\\c\\ctl.ocx"},
      {L".exe", L".exe"},
      {L".EXE\\a.dll", L".exe\\a.dll"},
      {L"", L""},
      {L"\"\"", L""},
      {L"\"", L""},
      // no known extension: the trimmed input, case, slashes and variables kept
      {L"C:\\Tools\\runme", L"C:\\Tools\\runme"},
      {L"%APPDATA%\\x\\y.bat", L"%APPDATA%\\x\\y.bat"},
      {L"\"C:/Tools/Run Me\"", L"C:/Tools/Run Me"},
      // environment and the two folder placeholders
      {L"%SystemRoot%\\system32\\svc.exe /k", L"C:\\Windows\\system32\\svc.exe"},
      {L"%ProgramFiles%\\App32\\app.exe --silent", L"C:\\Program Files (x86)\\app32\\app.exe"},
      {L"%ProgramFiles%\\App\\app.exe --silent", L"C:\\Program Files\\app\\app.exe"},
      {L"\"%ProgramFiles%\\App\\app.exe\"", L"C:\\Program Files\\app\\app.exe"},
      {L"%CommonProgramFiles%\\Vendor\\x.dll", L"C:\\Program Files (x86)\\Common Files\\vendor\\x.dll"},
      {L"%CommonProgramFiles%\\Other\\x.dll", L"C:\\Program Files\\Common Files\\other\\x.dll"},
      {L"%ProgramFiles%app.exe", L"C:\\Program Files\\app.exe"},
      {L"%TooLong%\\a.exe", L"%toolong%\\a.exe"},
      // bare names completed with a system folder
      {L"notepad.exe", L"C:\\Windows\\System32\\notepad.exe"},
      {L"xyz.ime", L"C:\\Windows\\SysWOW64\\xyz.ime"},
      {L"NOTEPAD.EXE /p x.txt", L"C:\\Windows\\System32\\notepad.exe"},
  };
  const auto machine = FakeMachine(kMachine);
  for (const auto& c : cases) EXPECT_EQ(ResolveCommandPathWith(c.in, machine), c.out) << c.in;
}
