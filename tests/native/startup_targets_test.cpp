#include "varnex/remediation/startup_targets.h"

#include <gtest/gtest.h>

using namespace varnex;
using namespace varnex::remediation;


namespace {
Finding Row(const wchar_t* type, const wchar_t* name, const wchar_t* startPath) {
  Finding f;
  f.Type = type;
  f.Name = name;
  f.StartPath = startPath;
  return f;
}
const wchar_t* kWinlogon = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
}  // namespace

TEST(StartupTargets, WinlogonValuesAreRepairedNotDeleted) {
  struct Case {
    const wchar_t* name;
    const wchar_t* key;
    bool acts;
    std::optional<std::wstring> writes;
  } cases[] = {
      {L"Shell", kWinlogon, true, L"explorer.exe"},
      {L"Userinit", kWinlogon, true, L"C:\\Windows\\system32\\userinit.exe,"},
      {L"Taskman", kWinlogon, true, std::nullopt},
      {L"Shell", L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", true, L"explorer.exe"},
      {L"Userinit", L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\winlogon", true,
       L"C:\\Windows\\system32\\userinit.exe,"},
      {L"shell", kWinlogon, false, std::nullopt},
      {L"AutoAdminLogon", kWinlogon, false, std::nullopt},
      {L"Shell", L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Sub", false, std::nullopt},
      {L"Shell", L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Winlogon", false, std::nullopt},
      {L"Shell", L"", false, std::nullopt},
  };
  for (const auto& c : cases) {
    const auto repair = WinlogonRepairFor(Row(L"Winlogon", c.name, c.key));
    ASSERT_EQ(repair.has_value(), c.acts) << c.name << L" " << c.key;
    if (!repair) continue;
    EXPECT_EQ(repair->valueName, c.name);
    EXPECT_EQ(repair->defaultText, c.writes);
  }
}

TEST(StartupTargets, HijackValueOfTheProgramsOwnKey) {
  const std::wstring ifeo =
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\";
  const std::wstring ifeo32 =
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\";
  const std::wstring exit = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\SilentProcessExit\\";
  struct Case {
    std::wstring name;
    std::wstring key;
    std::optional<std::wstring> value;
  } cases[] = {
      {L"sethc.exe", ifeo + L"sethc.exe", L"Debugger"},
      {L"Sethc.EXE", ifeo + L"sethc.exe", L"Debugger"},
      {L"notepad.exe", ifeo32 + L"notepad.exe", L"Debugger"},
      {L"notepad.exe", exit + L"notepad.exe", L"MonitorProcess"},
      {L"notepad.exe", ifeo + L"calc.exe", std::nullopt},
      {L"notepad.exe", ifeo + L"x\\notepad.exe", std::nullopt},
      {L"x\\notepad.exe", ifeo + L"x\\notepad.exe", std::nullopt},
      {L"", ifeo, std::nullopt},
      {L"notepad.exe", L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\notepad.exe", std::nullopt},
      {std::wstring(255, L'n'), ifeo + std::wstring(255, L'n'), L"Debugger"},
  };
  for (const auto& c : cases) {
    Finding row = Row(L"映像劫持", L"", L"");
    row.Name = c.name;
    row.StartPath = c.key;
    EXPECT_EQ(HijackValueNameFor(row), c.value) << c.name << L" " << c.key;
  }
}

TEST(StartupTargets, StartupFolderFileIsAPlainNameInTheFolder) {
  const wchar_t* folder = L"C:\\users\\bob\\Start Menu\\Programs\\Startup";
  struct Case {
    const wchar_t* name;
    const wchar_t* folder;
    std::optional<std::wstring> file;
  } cases[] = {
      {L"a.lnk", folder, std::wstring(folder) + L"\\a.lnk"},
      {L"a.vbs", L"C:\\s\\", std::wstring(L"C:\\s\\a.vbs")},
      {L"..", folder, std::nullopt},
      {L"..\\..\\boot.ini", folder, std::nullopt},
      {L"C:x", folder, std::nullopt},
      {L"a/b", folder, std::nullopt},
      {L"", folder, std::nullopt},
      {L"a.lnk", L"", std::nullopt},
      {L"a.lnk", L"\\", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StartupFolderFileFor(Row(L"启动文件夹", c.name, c.folder)), c.file) << c.name << L" " << c.folder;
  }
}
