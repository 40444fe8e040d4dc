// The startup places beyond the Run keys, over real registry values and files at their real
// locations: what each scanner hands on before any rule could filter it, and what the removal of
// each new row changes.
#include <windows.h>

#include <gtest/gtest.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <optional>

#include "common/text/text_rules.h"
#include "common/winaccess/unique_resource.h"
#include "registry_scanner_fixtures.h"
#include "test_support.h"
#include "varnex/backup/backup_run.h"
#include "varnex/backup/restore.h"
#include "varnex/remediation/row_handler.h"
#include "varnex/scanners/startup_folders.h"
#include "varnex/scanners/startup_places.h"

namespace varnex {
// Readable failures: the texts of a Finding rather than its bytes.
void PrintTo(const Finding& f, std::ostream* out) {
  *out << testing::PrintToString(f.Name + L" | " + f.FilePath + L" | " + f.Company + L" | " + f.FileDescription + L" | " +
                                 f.ProductName + L" | " + f.Type + L" | " + f.BinPath + L" | " + f.StartPath + L" | " +
                                 f.Descrip);
}
}  // namespace varnex

using namespace varnex;
using namespace varnex::scanners;
using namespace registry_test;

namespace {

const std::wstring kMachine = L"HKEY_LOCAL_MACHINE\\";
const std::wstring kUser = L"HKEY_CURRENT_USER\\";
const std::wstring kRunOnce = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const std::wstring kUserRunOnce = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const std::wstring kPolicyRun32 = L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";
const std::wstring kPolicyRun = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";
const std::wstring kUserPolicyRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";
const std::wstring kCommandProcessor = L"SOFTWARE\\Microsoft\\Command Processor";
const std::wstring kUserCommandProcessor = L"Software\\Microsoft\\Command Processor";
const std::wstring kWinlogon = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const std::wstring kWinlogon32 = L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const std::wstring kUserWinlogon = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const std::wstring kIfeo = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options";
const std::wstring kIfeo32 = L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options";
const std::wstring kSilentExit32 = L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\SilentProcessExit";
const std::wstring kSilentExit = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\SilentProcessExit";

struct Recorder {
  std::vector<Finding> findings;
  FindingConsumer Consumer() {
    return [this](Finding f) { findings.push_back(std::move(f)); };
  }
  std::vector<Finding> At(const std::wstring& startPath, const std::wstring& name = L"") const {
    std::vector<Finding> out;
    for (const auto& f : findings) {
      if (f.StartPath == startPath && (name.empty() || f.Name == name)) out.push_back(f);
    }
    return out;
  }
};

Finding Expected(const std::wstring& name, const std::wstring& bin, const std::wstring& file, const std::wstring& key,
                 const std::wstring& type) {
  Finding f;
  f.Name = name;
  f.FilePath = file;
  f.Company = L"signer:" + file;
  f.FileDescription = kMarkedDescription + file;
  f.ProductName = L"product:" + file;
  f.Type = type;
  f.BinPath = bin;
  f.StartPath = key;
  f.Descrip = kMarkedDescription + file;
  return f;
}

// A value made absent for the test and put back as it was at the end.
class AbsentValue {
 public:
  AbsentValue(HKEY root, const std::wstring& path, const std::wstring& name) : key_(root, path), name_(name) {
    DWORD size = 0;
    if (::RegQueryValueExW(key_.Get(), name.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
      saved_.emplace(size);
      ::RegQueryValueExW(key_.Get(), name.c_str(), nullptr, &type_, saved_->data(), &size);
      ::RegDeleteValueW(key_.Get(), name.c_str());
    }
  }
  ~AbsentValue() {
    if (saved_) key_.SetBytes(name_, type_, *saved_);
  }
  AbsentValue(const AbsentValue&) = delete;
  AbsentValue& operator=(const AbsentValue&) = delete;

 private:
  CreatedKey key_;
  std::wstring name_;
  DWORD type_ = 0;
  std::optional<std::vector<BYTE>> saved_;
};

struct ValueRead {
  DWORD type = 0;
  std::wstring text;
};
std::optional<ValueRead> ReadValue(HKEY root, const std::wstring& path, const std::wstring& name) {
  winaccess::unique_hkey key;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.put()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<BYTE> data(1024, 0);
  DWORD size = 1000;
  ValueRead read;
  if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, &read.type, data.data(), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  read.text = text::FromBuffer(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
  return read;
}

bool KeyExists(HKEY root, const std::wstring& path) {
  winaccess::unique_hkey key;
  return ::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.put()) == ERROR_SUCCESS;
}

void DeleteTodaysLog() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  wchar_t date[16] = {};
  ::swprintf(date, 16, L"%04d%02d%02d", now.wYear, now.wMonth, now.wDay);
  ::DeleteFileW((testing_support::TestProgramFolder() + L"\\" + date + L"_Varnex.log").c_str());
}

// The removal worker's handling of one ticked row, its backups written below `backupFolder`.
void RemoveWithBackups(const Finding& row, const std::wstring& backupFolder) {
  const auto backups = backup::OpenRemovalBackups(backup::StoreFolderBelow(backupFolder), nullptr);
  remediation::RemovalRun run;
  run.services.ask = [](HWND, const std::wstring&, const std::wstring&, UINT) { return IDOK; };
  run.backups = backups.get();
  EXPECT_TRUE(remediation::HandleRow(row, run)) << testing::PrintToString(row.StartPath + L" " + row.Name);
}

// The same, with the backups and the log record removed again.
void Remove(const Finding& row) {
  testing_support::TempFolder backups(L"vxstartupbak");
  RemoveWithBackups(row, backups.Path());
  DeleteTodaysLog();
}

// Restores every item the removals below `backupFolder` backed up, saying yes when asked whether
// to replace what is there now (a repaired value still exists); answers how many came back.
int RestoreAll(const std::wstring& backupFolder, int* questions = nullptr) {
  backup::RestoreContext context;
  context.ask = [questions](HWND, const std::wstring&, const std::wstring&, UINT) {
    if (questions != nullptr) ++*questions;
    return IDYES;
  };
  int restored = 0;
  for (const auto& entry : backup::ListBackups(backup::StoreFolderBelow(backupFolder))) {
    std::wstring message;
    EXPECT_TRUE(entry.restorable) << testing::PrintToString(entry.state);
    if (entry.restorable && backup::RestoreItem(entry, context, message)) ++restored;
  }
  DeleteTodaysLog();
  return restored;
}

}  // namespace

TEST(StartupPlacesWine, RunOnceAndPolicyRunValuesAndAutoRun) {
  const std::wstring powershell = L"C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe";
  const std::wstring hidden = powershell + L" -windowstyle hidden -ExecutionPolicy Bypass -File x.ps1";
  const ScopedValue once(HKEY_LOCAL_MACHINE, kRunOnce, L"VxTestOnce", REG_SZ, Utf16Bytes(L"\"C:\\Vx\\once.exe\" /x"));
  const ScopedValue emptyOnce(HKEY_CURRENT_USER, kUserRunOnce, L"VxTestEmptyOnce", REG_SZ, Utf16Bytes(L""));
  const ScopedValue policy32(HKEY_LOCAL_MACHINE, kPolicyRun32, L"VxTestPolicy", REG_SZ, Utf16Bytes(hidden));
  const ScopedValue userPolicy(HKEY_CURRENT_USER, kUserPolicyRun, L"VxTestUserPolicy", REG_EXPAND_SZ,
                               Utf16Bytes(L"%SystemRoot%\\vxpolicy.exe"));
  const ScopedValue autoRun(HKEY_LOCAL_MACHINE, kCommandProcessor, L"AutoRun", REG_SZ,
                            Utf16Bytes(L"C:\\Vx\\cmdhook.cmd & echo"));
  const ScopedValue userAutoRun(HKEY_CURRENT_USER, kUserCommandProcessor, L"AutoRun", REG_SZ, Utf16Bytes(L""));
  // Only "AutoRun" starts anything in the command processor's key.
  const ScopedValue otherValue(HKEY_LOCAL_MACHINE, kCommandProcessor, L"VxTestCompletionChar", REG_SZ,
                               Utf16Bytes(L"C:\\Vx\\not.exe"));

  RecordingWindow window;
  Recorder recorder;
  ScanMoreStartupValues(window, MarkIdentity, recorder.Consumer());
  EXPECT_EQ(window.statusTexts, std::vector<std::wstring>{L"正在扫描启动项..."});

  wchar_t systemRoot[MAX_PATH] = {};
  ::ExpandEnvironmentStringsW(L"%SystemRoot%", systemRoot, MAX_PATH);
  const std::vector<Finding> want = {
      Expected(L"VxTestOnce", L"\"C:\\Vx\\once.exe\" /x", L"c:\\vx\\once.exe", kMachine + kRunOnce, L"Run"),
      // Written through the 32-bit view, found once: the policy key is one key for both views.
      Expected(L"VxTestPolicy", hidden, text::LowerAZ(powershell), kMachine + kPolicyRun, L"Run"),
      Expected(L"VxTestUserPolicy", L"%SystemRoot%\\vxpolicy.exe", std::wstring(systemRoot) + L"\\vxpolicy.exe",
               kUser + kUserPolicyRun, L"Run"),
      Expected(L"AutoRun", L"C:\\Vx\\cmdhook.cmd & echo", L"C:\\Vx\\cmdhook.cmd & echo", kMachine + kCommandProcessor,
               L"Run"),
  };
  std::vector<Finding> got;
  for (const auto& f : recorder.findings) {
    if (f.Name.rfind(L"VxTest", 0) == 0 || f.Name == L"AutoRun") got.push_back(f);
  }
  auto key = [](const Finding& f) { return f.StartPath + L"|" + f.Name; };
  auto sorted = [&](std::vector<Finding> v) {
    std::sort(v.begin(), v.end(), [&](auto& a, auto& b) { return key(a) < key(b); });
    return v;
  };
  EXPECT_EQ(sorted(got), sorted(want));

  // The "Run" row of the removal deletes the value, here in the 32-bit view.
  Remove(recorder.At(kMachine + kPolicyRun, L"VxTestPolicy").at(0));
  EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kPolicyRun32, L"VxTestPolicy").has_value());
}

TEST(StartupPlacesWine, WinlogonValuesBeyondTheDefaults) {
  RecordingWindow window;
  {
    // The defaults, in the forms Windows tolerates, give nothing.
    const ScopedValue shell(HKEY_LOCAL_MACHINE, kWinlogon, L"Shell", REG_SZ, Utf16Bytes(L"Explorer.exe"));
    const ScopedValue userinit(HKEY_LOCAL_MACHINE, kWinlogon, L"Userinit", REG_SZ,
                               Utf16Bytes(L"C:\\Windows\\system32\\userinit.exe,"));
    const ScopedValue shell32(HKEY_LOCAL_MACHINE, kWinlogon32, L"Shell", REG_EXPAND_SZ,
                              Utf16Bytes(L"%SystemRoot%\\explorer.exe"));
    // Stored without its terminator.
    const std::wstring plain = L"c:\\windows\\SYSTEM32\\userinit.exe";
    const auto* raw = reinterpret_cast<const BYTE*>(plain.data());
    const ScopedValue userinit32(HKEY_LOCAL_MACHINE, kWinlogon32, L"Userinit", REG_SZ,
                                 std::vector<BYTE>(raw, raw + plain.size() * sizeof(wchar_t)));
    const AbsentValue taskman(HKEY_LOCAL_MACHINE, kWinlogon, L"Taskman");
    const AbsentValue taskman32(HKEY_LOCAL_MACHINE, kWinlogon32, L"Taskman");
    const AbsentValue userShell(HKEY_CURRENT_USER, kUserWinlogon, L"Shell");
    Recorder recorder;
    ScanWinlogon(window, MarkIdentity, recorder.Consumer());
    for (const auto& f : recorder.findings) ADD_FAILURE() << "unexpected " << testing::PrintToString(f.StartPath + L" " + f.Name);
    EXPECT_EQ(window.statusTexts, std::vector<std::wstring>{L"正在扫描启动项..."});
  }
  {
    const std::wstring appended = L"C:\\Windows\\system32\\userinit.exe,C:\\VxTest\\logon.exe";
    const ScopedValue userinit(HKEY_LOCAL_MACHINE, kWinlogon, L"Userinit", REG_SZ, Utf16Bytes(appended));
    const ScopedValue userShell(HKEY_CURRENT_USER, kUserWinlogon, L"Shell", REG_SZ,
                                Utf16Bytes(L"explorer.exe, C:\\VxTest\\shell.exe"));
    // The user's key names only the shell.
    const ScopedValue userTaskman(HKEY_CURRENT_USER, kUserWinlogon, L"Taskman", REG_SZ, Utf16Bytes(L"C:\\VxTest\\u.exe"));
    const ScopedValue taskman32(HKEY_LOCAL_MACHINE, kWinlogon32, L"Taskman", REG_SZ, Utf16Bytes(L"C:\\VxTest\\tm.exe"));
    // A number where a text belongs: read as the text its bytes spell, like a Run value.
    const ScopedValue numberShell(HKEY_LOCAL_MACHINE, kWinlogon32, L"Shell", REG_DWORD, DwordBytes(0x00410042));
    Recorder recorder;
    ScanWinlogon(window, MarkIdentity, recorder.Consumer());

    const auto userinitFound = recorder.At(kMachine + kWinlogon, L"Userinit");
    ASSERT_EQ(userinitFound.size(), 1u);
    EXPECT_EQ(userinitFound[0],
              Expected(L"Userinit", appended, L"c:\\vxtest\\logon.exe", kMachine + kWinlogon, L"Winlogon"));
    EXPECT_EQ(recorder.At(kUser + kUserWinlogon),
              (std::vector<Finding>{Expected(L"Shell", L"explorer.exe, C:\\VxTest\\shell.exe", L"c:\\vxtest\\shell.exe",
                                             kUser + kUserWinlogon, L"Winlogon")}));
    EXPECT_EQ(recorder.At(kMachine + kWinlogon32, L"Taskman"),
              (std::vector<Finding>{Expected(L"Taskman", L"C:\\VxTest\\tm.exe", L"c:\\vxtest\\tm.exe",
                                             kMachine + kWinlogon32, L"Winlogon")}));
    const auto numberFound = recorder.At(kMachine + kWinlogon32, L"Shell");
    ASSERT_EQ(numberFound.size(), 1u);
    EXPECT_EQ(numberFound[0].BinPath, L"BA");

    // Removal writes the defaults back and deletes only the added Taskman.
    Remove(userinitFound[0]);
    const auto repaired = ReadValue(HKEY_LOCAL_MACHINE, kWinlogon, L"Userinit");
    ASSERT_TRUE(repaired.has_value());
    EXPECT_EQ(repaired->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(repaired->text, L"C:\\Windows\\system32\\userinit.exe,");
    Remove(recorder.At(kUser + kUserWinlogon).at(0));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kUserWinlogon, L"Shell")->text, L"explorer.exe");
    Remove(recorder.At(kMachine + kWinlogon32, L"Taskman").at(0));
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kWinlogon32, L"Taskman").has_value());
    EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kWinlogon32, L"Shell").has_value());
    EXPECT_TRUE(ReadValue(HKEY_CURRENT_USER, kUserWinlogon, L"Taskman").has_value());
  }
}

TEST(StartupPlacesWine, ImageFileDebuggersAndExitMonitors) {
  CreatedKey notepad(HKEY_LOCAL_MACHINE, kIfeo + L"\\vxtest_notepad.exe");
  notepad.SetString(L"Debugger", L"\"C:\\VxTest\\dbg.exe\" -p");
  notepad.SetBytes(L"GlobalFlag", REG_DWORD, DwordBytes(0x200));
  notepad.SetString(L"VxTestOther", L"kept");
  CreatedKey calc32(HKEY_LOCAL_MACHINE, kIfeo32 + L"\\vxtest_calc.exe");
  calc32.SetString(L"Debugger", L"cmd.exe /c start C:\\VxTest\\a.exe");
  CreatedKey noDebugger(HKEY_LOCAL_MACHINE, kIfeo + L"\\vxtest_plain.exe");
  noDebugger.SetBytes(L"GlobalFlag", REG_DWORD, DwordBytes(0x200));
  CreatedKey emptyDebugger(HKEY_LOCAL_MACHINE, kIfeo + L"\\vxtest_empty.exe");
  emptyDebugger.SetString(L"Debugger", L"");
  const std::wstring longName = L"vxtest_" + std::wstring(244, L'l') + L".exe";  // 255 characters
  CreatedKey longKey(HKEY_LOCAL_MACHINE, kIfeo + L"\\" + longName);
  longKey.SetString(L"Debugger", L"C:\\VxTest\\long.exe");
  CreatedKey monitor(HKEY_LOCAL_MACHINE, kSilentExit + L"\\vxtest_notepad.exe");
  monitor.SetString(L"MonitorProcess", L"C:\\VxTest\\mon.exe");
  monitor.SetBytes(L"ReportingMode", REG_DWORD, DwordBytes(1));
  CreatedKey monitor32(HKEY_LOCAL_MACHINE, kSilentExit32 + L"\\vxtest_notepad.exe");
  monitor32.SetString(L"MonitorProcess", L"C:\\VxTest\\mon32.exe");
  ASSERT_EQ(longName.size(), 255u);

  RecordingWindow window;
  Recorder recorder;
  ScanImageHijacks(window, MarkIdentity, recorder.Consumer());
  EXPECT_EQ(window.statusTexts, std::vector<std::wstring>{L"正在扫描启动项..."});

  const std::wstring notepadKey = kMachine + kIfeo + L"\\vxtest_notepad.exe";
  EXPECT_EQ(recorder.At(notepadKey), (std::vector<Finding>{Expected(L"vxtest_notepad.exe", L"\"C:\\VxTest\\dbg.exe\" -p",
                                                                    L"c:\\vxtest\\dbg.exe", notepadKey, L"映像劫持")}));
  // Written through the 32-bit view, found once in the shared key.
  EXPECT_TRUE(recorder.At(kMachine + kIfeo32 + L"\\vxtest_calc.exe").empty());
  const auto calcFound = recorder.At(kMachine + kIfeo + L"\\vxtest_calc.exe");
  ASSERT_EQ(calcFound.size(), 1u);
  EXPECT_EQ(calcFound[0].BinPath, L"cmd.exe /c start C:\\VxTest\\a.exe");
  EXPECT_EQ(text::LowerAZ(calcFound[0].FilePath), L"c:\\windows\\system32\\cmd.exe");
  EXPECT_TRUE(recorder.At(kMachine + kIfeo + L"\\vxtest_plain.exe").empty());
  EXPECT_TRUE(recorder.At(kMachine + kIfeo + L"\\vxtest_empty.exe").empty());
  EXPECT_EQ(recorder.At(kMachine + kIfeo + L"\\" + longName, longName).size(), 1u);
  const std::wstring monitorKey = kMachine + kSilentExit + L"\\vxtest_notepad.exe";
  EXPECT_EQ(recorder.At(monitorKey), (std::vector<Finding>{Expected(L"vxtest_notepad.exe", L"C:\\VxTest\\mon.exe",
                                                                    L"c:\\vxtest\\mon.exe", monitorKey, L"映像劫持")}));

  const std::wstring monitor32Key = kMachine + kSilentExit32 + L"\\vxtest_notepad.exe";
  EXPECT_EQ(recorder.At(monitor32Key), (std::vector<Finding>{Expected(L"vxtest_notepad.exe", L"C:\\VxTest\\mon32.exe",
                                                                      L"c:\\vxtest\\mon32.exe", monitor32Key, L"映像劫持")}));

  // Removal deletes just the value that starts the other program.
  Remove(recorder.At(notepadKey).at(0));
  EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kIfeo + L"\\vxtest_notepad.exe", L"Debugger").has_value());
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kIfeo + L"\\vxtest_notepad.exe", L"VxTestOther")->text, L"kept");
  EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kIfeo + L"\\vxtest_notepad.exe", L"GlobalFlag").has_value());
  Remove(recorder.At(monitorKey).at(0));
  EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kSilentExit + L"\\vxtest_notepad.exe", L"MonitorProcess").has_value());
  EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kSilentExit + L"\\vxtest_notepad.exe", L"ReportingMode").has_value());
  Remove(recorder.At(kMachine + kIfeo + L"\\" + longName).at(0));
  EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kIfeo + L"\\" + longName, L"Debugger").has_value());
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kIfeo + L"\\" + longName));
  // A row whose key is not the program's own is left alone.
  Finding other = calcFound[0];
  other.Name = L"vxtest_notepad.exe";
  Remove(other);
  EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kIfeo + L"\\vxtest_calc.exe", L"Debugger").has_value());
}

namespace {

std::wstring LongForm(const std::wstring& path) { return L"\\\\?\\" + path; }

bool FileExists(const std::wstring& path) {
  const DWORD a = ::GetFileAttributesW(LongForm(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring KnownFolderPath(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::wstring folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path))) folder = path;
  ::CoTaskMemFree(path);
  return folder;
}

std::wstring DesktopFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  ::SHGetSpecialFolderPathW(nullptr, path, CSIDL_DESKTOPDIRECTORY, FALSE);
  return path;
}

// Files put into a real Startup folder (made if it was missing) and every file the test names,
// all deleted again at the end; the folder too when the test made it.
class StartupFiles {
 public:
  explicit StartupFiles(const std::wstring& folder) : folder_(folder) {
    if (::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
      madeFolder_ = ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr) == ERROR_SUCCESS;
    }
  }
  ~StartupFiles() {
    for (const auto& path : cleanup_) ::DeleteFileW(LongForm(path).c_str());
    for (const auto& path : folders_) ::RemoveDirectoryW(path.c_str());
    if (madeFolder_) ::RemoveDirectoryW(folder_.c_str());
  }
  StartupFiles(const StartupFiles&) = delete;
  StartupFiles& operator=(const StartupFiles&) = delete;

  std::wstring Add(const std::wstring& name, const std::string& content = "@echo off\r\n") {
    const std::wstring path = folder_ + L"\\" + name;
    Track(path);
    winaccess::unique_file file(::CreateFileW(LongForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file) ::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    return path;
  }
  std::wstring AddShortcut(const std::wstring& name, const std::wstring& target, const std::wstring& arguments) {
    using Microsoft::WRL::ComPtr;
    const std::wstring path = folder_ + L"\\" + name;
    Track(path);
    ComPtr<IShellLinkW> link;
    EXPECT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))));
    if (!link) return path;
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    ComPtr<IPersistFile> file;
    EXPECT_TRUE(SUCCEEDED(link.As(&file)) && SUCCEEDED(file->Save(path.c_str(), TRUE))) << name.c_str();
    return path;
  }
  void AddFolder(const std::wstring& name) {
    folders_.push_back(folder_ + L"\\" + name);
    ::CreateDirectoryW(folders_.back().c_str(), nullptr);
  }
  void Track(const std::wstring& path) { cleanup_.push_back(path); }
  const std::wstring& Folder() const { return folder_; }

 private:
  std::wstring folder_;
  bool madeFolder_ = false;
  std::vector<std::wstring> cleanup_;
  std::vector<std::wstring> folders_;
};

class ComInit {
 public:
  ComInit() : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComInit() {
    if (initialized_) ::CoUninitialize();
  }
  ComInit(const ComInit&) = delete;
  ComInit& operator=(const ComInit&) = delete;

 private:
  bool initialized_;
};

}  // namespace

TEST(StartupPlacesWine, StartupFolderFiles) {
  ComInit com;
  const std::wstring userFolder = KnownFolderPath(FOLDERID_Startup);
  const std::wstring commonFolder = KnownFolderPath(FOLDERID_CommonStartup);
  ASSERT_FALSE(userFolder.empty());
  ASSERT_FALSE(commonFolder.empty());
  EXPECT_EQ(StartupFolderList(), (std::vector<std::wstring>{userFolder, commonFolder}));

  StartupFiles user(userFolder);
  StartupFiles common(commonFolder);
  const std::wstring script = user.Add(L"vxtest_run.vbs", "WScript.Echo 1\r\n");
  const std::wstring wscript = L"C:\\windows\\system32\\wscript.exe";
  user.AddShortcut(L"vxtest_script.lnk", wscript, L"C:\\x\\a.vbs");
  const std::wstring missingTarget = L"C:\\VxTestMissing\\gone.exe";
  user.AddShortcut(L"vxtest_missing.lnk", missingTarget, L"");
  // A target far beyond MAX_PATH: whatever part of it the link keeps, nothing is read past a buffer.
  user.AddShortcut(L"vxtest_longtarget.lnk", L"C:\\VxTest\\" + std::wstring(1000, L't') + L".exe", L"-a");
  const std::wstring badLink = user.Add(L"vxtest_bad.lnk", std::string("\x4c\0\0\0garbage\xff\xfe", 13));
  const std::wstring emptyLink = user.Add(L"vxtest_empty.lnk", "");
  const std::wstring longName = L"vxtest_" + std::wstring(240, L'l') + L".bat";
  const std::wstring longFile = user.Add(longName);
  ASSERT_GT(longFile.size(), static_cast<std::size_t>(MAX_PATH));
  user.AddFolder(L"vxtest_sub");
  const std::wstring commonCmd = common.Add(L"vxtest_common.cmd");

  RecordingWindow window;
  Recorder recorder;
  ScanStartupFolders(window, MarkIdentity, recorder.Consumer());
  EXPECT_EQ(window.statusTexts, std::vector<std::wstring>{L"正在扫描启动项..."});

  auto find = [&](const std::wstring& name) -> std::optional<Finding> {
    for (const auto& f : recorder.findings) {
      if (f.Name == name) return f;
    }
    return std::nullopt;
  };
  const auto plain = find(L"vxtest_run.vbs");
  ASSERT_TRUE(plain);
  EXPECT_EQ(*plain, Expected(L"vxtest_run.vbs", script, script, userFolder, L"启动文件夹"));
  const auto link = find(L"vxtest_script.lnk");
  ASSERT_TRUE(link);
  EXPECT_EQ(text::LowerAZ(link->FilePath), text::LowerAZ(wscript));
  EXPECT_EQ(text::LowerAZ(link->BinPath), text::LowerAZ(wscript + L" C:\\x\\a.vbs"));
  EXPECT_EQ(link->StartPath, userFolder);
  EXPECT_EQ(link->Type, L"启动文件夹");
  EXPECT_EQ(link->FileDescription, kMarkedDescription + link->FilePath);
  const auto missing = find(L"vxtest_missing.lnk");
  ASSERT_TRUE(missing);
  EXPECT_EQ(text::LowerAZ(missing->FilePath), text::LowerAZ(missingTarget));
  EXPECT_EQ(text::LowerAZ(missing->BinPath), text::LowerAZ(missingTarget));
  // Links that cannot be read are items themselves.
  for (const auto& [name, path] : {std::pair{L"vxtest_bad.lnk", badLink}, std::pair{L"vxtest_empty.lnk", emptyLink}}) {
    const auto item = find(name);
    ASSERT_TRUE(item) << name;
    EXPECT_EQ(item->FilePath, path);
    EXPECT_EQ(item->BinPath, path);
  }
  const auto longTarget = find(L"vxtest_longtarget.lnk");
  ASSERT_TRUE(longTarget);
  EXPECT_FALSE(longTarget->FilePath.empty());
  EXPECT_LE(longTarget->FilePath.size(), 4096u);
  const auto longItem = find(longName);
  ASSERT_TRUE(longItem);
  EXPECT_EQ(longItem->FilePath, longFile);
  const auto commonItem = find(L"vxtest_common.cmd");
  ASSERT_TRUE(commonItem);
  EXPECT_EQ(*commonItem, Expected(L"vxtest_common.cmd", commonCmd, commonCmd, commonFolder, L"启动文件夹"));
  EXPECT_FALSE(find(L"vxtest_sub"));

  // Removal moves the file (not a link's target) to the quarantine, never over an earlier one.
  const std::wstring desktop = DesktopFolder();
  const std::wstring earlier = desktop + L"\\vxtest_run.vbs.隔离";
  user.Track(earlier);
  user.Track(desktop + L"\\vxtest_run.vbs(2).隔离");
  { winaccess::unique_file f(::CreateFileW(earlier.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)); }
  Remove(*plain);
  EXPECT_FALSE(FileExists(script));
  EXPECT_TRUE(FileExists(earlier));
  EXPECT_TRUE(FileExists(desktop + L"\\vxtest_run.vbs(2).隔离"));

  user.Track(desktop + L"\\vxtest_missing.lnk.隔离");
  Remove(*missing);
  EXPECT_FALSE(FileExists(userFolder + L"\\vxtest_missing.lnk"));
  EXPECT_TRUE(FileExists(desktop + L"\\vxtest_missing.lnk.隔离"));

  // A file beyond MAX_PATH is reached through the long form.
  user.Track(desktop + L"\\" + longName + L".隔离");
  user.Track(longFile + L".bak");
  Remove(*longItem);
  EXPECT_FALSE(FileExists(longFile));
  EXPECT_TRUE(FileExists(desktop + L"\\" + longName + L".隔离"));
}

TEST(StartupPlacesWine, RemovalsOfTheNewTypesComeBackFromTheirBackups) {
  testing_support::TempFolder backups(L"vxstartuprestore");
  RecordingWindow window;
  const std::wstring appended = L"C:\\Windows\\system32\\userinit.exe,C:\\VxTest\\logon.exe";
  const ScopedValue userinit(HKEY_LOCAL_MACHINE, kWinlogon, L"Userinit", REG_EXPAND_SZ, Utf16Bytes(appended));
  const std::wstring programKey = kIfeo + L"\\vxtest_restore.exe";
  const ScopedValue debugger(HKEY_LOCAL_MACHINE, programKey, L"Debugger", REG_SZ, Utf16Bytes(L"C:\\VxTest\\dbg.exe"));
  Recorder recorder;
  ScanWinlogon(window, MarkIdentity, recorder.Consumer());
  ScanImageHijacks(window, MarkIdentity, recorder.Consumer());
  const auto userinitRows = recorder.At(kMachine + kWinlogon, L"Userinit");
  const auto debuggerRows = recorder.At(kMachine + programKey);
  ASSERT_EQ(userinitRows.size(), 1u);
  ASSERT_EQ(debuggerRows.size(), 1u);

  RemoveWithBackups(userinitRows[0], backups.Path());
  RemoveWithBackups(debuggerRows[0], backups.Path());
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kWinlogon, L"Userinit")->text, L"C:\\Windows\\system32\\userinit.exe,");
  EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, programKey, L"Debugger").has_value());

  // The old text comes back with its own type, and the debugger value beside the rest of its key.
  int questions = 0;
  EXPECT_EQ(RestoreAll(backups.Path(), &questions), 2);
  EXPECT_EQ(questions, 1) << "the repaired Userinit is there: replacing it is asked first";
  const auto userinitBack = ReadValue(HKEY_LOCAL_MACHINE, kWinlogon, L"Userinit");
  ASSERT_TRUE(userinitBack.has_value());
  EXPECT_EQ(userinitBack->type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(userinitBack->text, appended);
  const auto debuggerBack = ReadValue(HKEY_LOCAL_MACHINE, programKey, L"Debugger");
  ASSERT_TRUE(debuggerBack.has_value());
  EXPECT_EQ(debuggerBack->text, L"C:\\VxTest\\dbg.exe");
}
