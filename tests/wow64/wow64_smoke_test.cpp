// What a 32-bit varnex sees on 64-bit Windows: it runs under WOW64, reaches the 64-bit registry
// view only through KEY_WOW64_64KEY, sees the native system folder once redirection is off, and
// reads command lines from the 32-bit process structures; a logon value is repaired in the view its
// row names.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "common/winaccess/registry.h"
#include "common/winaccess/winaccess.h"
#include "varnex/backup/row_backup.h"
#include "varnex/remediation/startup_removal.h"
#include "varnex/backup/task_store.h"

namespace {

WORD MachineOf(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  BYTE header[4096] = {};
  DWORD read = 0;
  ::ReadFile(file, header, sizeof header, &read, nullptr);
  ::CloseHandle(file);
  const LONG peOffset = *reinterpret_cast<const LONG*>(header + 0x3C);
  if (peOffset <= 0 || peOffset + 6 > static_cast<LONG>(read)) return 0;
  return *reinterpret_cast<const WORD*>(header + peOffset + 4);
}

// One value of a key in the given view, put back as it was at the end.
class SavedValue {
 public:
  SavedValue(const std::wstring& subkey, const std::wstring& name, REGSAM view) : subkey_(subkey), name_(name), view_(view) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return;
    data_.resize(2048);
    DWORD size = static_cast<DWORD>(data_.size());
    had_ = ::RegQueryValueExW(key, name.c_str(), nullptr, &type_, data_.data(), &size) == ERROR_SUCCESS;
    data_.resize(had_ ? size : 0);
    ::RegCloseKey(key);
  }
  ~SavedValue() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey_.c_str(), 0, KEY_SET_VALUE | view_, &key) != ERROR_SUCCESS) return;
    if (had_) {
      ::RegSetValueExW(key, name_.c_str(), 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
    } else {
      ::RegDeleteValueW(key, name_.c_str());
    }
    ::RegCloseKey(key);
  }
  SavedValue(const SavedValue&) = delete;
  SavedValue& operator=(const SavedValue&) = delete;

 private:
  std::wstring subkey_, name_;
  REGSAM view_;
  bool had_ = false;
  DWORD type_ = 0;
  std::vector<BYTE> data_;
};

bool SetText(const std::wstring& subkey, const std::wstring& name, const std::wstring& text, REGSAM view) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG rc = ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

std::wstring GetText(const std::wstring& subkey, const std::wstring& name, REGSAM view) {
  auto key = winaccess::OpenKey(HKEY_LOCAL_MACHINE, subkey, KEY_READ | view);
  std::wstring text;
  if (!key || !winaccess::ReadRegistryText(key.get(), name, text)) return L"<absent>";
  return text;
}

}  // namespace

TEST(Wow64, RunsUnderWow64) {
  BOOL wow64 = FALSE;
  ASSERT_TRUE(::IsWow64Process(::GetCurrentProcess(), &wow64));
  EXPECT_TRUE(wow64);
}

TEST(Wow64, RegistryViews) {
  const wchar_t* subkey = L"Software\\VarnexWow64Smoke";
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr,
                              &key, nullptr),
            ERROR_SUCCESS);
  const wchar_t data[] = L"native";
  ::RegSetValueExW(key, L"v", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data);
  ::RegCloseKey(key);

  std::wstring text;
  auto native = winaccess::OpenKey(HKEY_LOCAL_MACHINE, subkey);  // KEY_READ | KEY_WOW64_64KEY
  ASSERT_TRUE(native);
  EXPECT_TRUE(winaccess::ReadRegistryText(native.get(), L"v", text));
  EXPECT_EQ(text, L"native");
  // Without the flag a 32-bit process lands in the Wow6432Node view, where the key is absent.
  EXPECT_FALSE(winaccess::OpenKey(HKEY_LOCAL_MACHINE, subkey, KEY_READ));
  ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, subkey, KEY_WOW64_64KEY, 0);
}

TEST(Wow64, RedirectionOffShowsTheNativeSystemFolder) {
  WORD before = 0, after = 0;
  // A fresh thread starts with redirection on; turning it off is per thread and stays off.
  std::thread([&] {
    before = MachineOf(L"C:\\Windows\\System32\\kernel32.dll");
    winaccess::DisableWow64Redirection();
    after = MachineOf(L"C:\\Windows\\System32\\kernel32.dll");
  }).join();
  EXPECT_EQ(before, IMAGE_FILE_MACHINE_I386);
  EXPECT_EQ(after, IMAGE_FILE_MACHINE_AMD64);
  EXPECT_EQ(MachineOf(L"C:\\Windows\\System32\\kernel32.dll"), IMAGE_FILE_MACHINE_I386) << "other threads unchanged";
}

TEST(Wow64, ImagePathOfA32BitProcess) {
  // Drive-letter form of this program's own path. (Its command line is not checked here: Wine
  // run through the i386 emulator lays out the 32-bit process block differently from Windows.)
  const std::wstring image = winaccess::GetProcessImagePath(::GetCurrentProcess());
  ASSERT_GE(image.size(), 3u);
  EXPECT_EQ(image.substr(1, 2), L":\\");
  EXPECT_EQ(image.substr(image.size() - 21), L"wow64_smoke_tests.exe");
}

TEST(Wow64, WinlogonRepairWritesTheViewTheRowNames) {
  // The 32-bit program repairs a logon value of each view in that view and nowhere else.
  const std::wstring winlogon = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
  const SavedValue native(winlogon, L"Userinit", KEY_WOW64_64KEY);
  const SavedValue redirected(winlogon, L"Userinit", KEY_WOW64_32KEY);
  const std::wstring appended = L"C:\\Windows\\system32\\userinit.exe,C:\\VxTest\\a.exe";
  ASSERT_TRUE(SetText(winlogon, L"Userinit", appended, KEY_WOW64_64KEY));
  ASSERT_TRUE(SetText(winlogon, L"Userinit", L"C:\\VxTest\\b.exe,", KEY_WOW64_32KEY));

  varnex::Finding row;
  row.Type = L"Winlogon";
  row.Name = L"Userinit";
  row.StartPath = L"HKEY_LOCAL_MACHINE\\" + winlogon;
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring backupFolder = std::wstring(temp) + L"vxwow64bak";
  ::CreateDirectoryW(backupFolder.c_str(), nullptr);
  const auto tasks = varnex::backup::SchedulerTaskStore();
  varnex::backup::BackupRun backups(backupFolder);
  varnex::backup::RowBackup backup(backups, row, *tasks);
  varnex::remediation::RemoveStartupPlaceItem(row, backup);
  EXPECT_FALSE(backup.Failed()) << "backup: " << testing::PrintToString(backup.Problem());
  EXPECT_EQ(GetText(winlogon, L"Userinit", KEY_WOW64_64KEY), L"C:\\Windows\\system32\\userinit.exe,");
  EXPECT_EQ(GetText(winlogon, L"Userinit", KEY_WOW64_32KEY), L"C:\\VxTest\\b.exe,");

  row.StartPath = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
  varnex::backup::RowBackup backup32(backups, row, *tasks);
  varnex::remediation::RemoveStartupPlaceItem(row, backup32);
  EXPECT_FALSE(backup32.Failed());
  EXPECT_EQ(GetText(winlogon, L"Userinit", KEY_WOW64_32KEY), L"C:\\Windows\\system32\\userinit.exe,");

  std::wstring doubleNull = backupFolder;
  doubleNull.push_back(L'\0');
  SHFILEOPSTRUCTW remove{};
  remove.wFunc = FO_DELETE;
  remove.pFrom = doubleNull.c_str();
  remove.fFlags = FOF_NO_UI;
  ::SHFileOperationW(&remove);
}
