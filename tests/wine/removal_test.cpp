// The removal worker driven through the dialog: real items are created, their Findings posted,
// the rows ticked and the action button pressed; the effects on the system, the logs and the
// views are read back.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <taskschd.h>
#include <wrl/client.h>

#include <condition_variable>
#include <fstream>
#include <iterator>
#include <mutex>

#include "common/text/text_rules.h"
#include "common/winaccess/unique_resource.h"
#include "test_support.h"
#include "varnex/core/scan_texts.h"
#include "varnex/remediation/registry_removal.h"
#include "varnex/ui/list_view.h"
#include "varnex/ui/resource.h"
#include "varnex/ui/varnex_dlg.h"

using namespace varnex;
using namespace varnex::ui;
using namespace testing_support;

namespace {

std::wstring WindowText(HWND hwnd) {
  wchar_t buffer[2048] = {};
  ::GetWindowTextW(hwnd, buffer, 2048);
  return buffer;
}

std::wstring TodaysLog(const wchar_t* suffix) {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  wchar_t date[16] = {};
  ::swprintf(date, 16, L"%04d%02d%02d", now.wYear, now.wMonth, now.wDay);
  return TestProgramFolder() + L"\\" + date + suffix;
}

std::vector<unsigned char> ReadBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The file's bytes as text after its mark; "<no mark>" when FF FE is missing.
std::wstring LogText(const wchar_t* suffix) {
  const auto bytes = ReadBytes(TodaysLog(suffix));
  if (bytes.empty()) return L"";
  if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE) return L"<no mark>";
  std::wstring text;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) text += static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
  return text;
}

std::wstring Desktop() {
  wchar_t path[MAX_PATH + 1] = {};
  ::SHGetSpecialFolderPathW(nullptr, path, CSIDL_DESKTOPDIRECTORY, FALSE);
  return path;
}

// The 64-bit view unless asked otherwise: the scanners report what they find there, and the
// removal of a path without "Wow6432Node" works in it, also from the 32-bit build.
bool KeyExists(HKEY root, const std::wstring& subkey, REGSAM view = KEY_WOW64_64KEY) {
  winaccess::unique_hkey key;
  return ::RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

bool ValueExists(HKEY root, const std::wstring& subkey, const std::wstring& name) {
  return ::SHGetValueW(root, subkey.c_str(), name.c_str(), nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool IsFolder(const std::wstring& path) {
  const DWORD a = ::GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
bool IsFile(const std::wstring& path) {
  const DWORD a = ::GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A service entry in the service manager, deleted at the end.
class TestService {
 public:
  TestService(const std::wstring& name, DWORD type, DWORD start, const std::wstring& binary) : name_(name) {
    manager_.reset(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    winaccess::unique_sc_handle service(::CreateServiceW(manager_.get(), name.c_str(), name.c_str(),
                                                         SERVICE_ALL_ACCESS, type, start, SERVICE_ERROR_IGNORE,
                                                         binary.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    created_ = static_cast<bool>(service);  // no handle kept open: a deletion must take effect
  }
  ~TestService() {
    winaccess::unique_sc_handle service(::OpenServiceW(manager_.get(), name_.c_str(), DELETE));
    if (service) ::DeleteService(service.get());
  }
  TestService(const TestService&) = delete;
  TestService& operator=(const TestService&) = delete;
  bool Created() const { return created_; }
  // -1 when the service is no longer registered.
  long StartType() const {
    winaccess::unique_sc_handle service(::OpenServiceW(manager_.get(), name_.c_str(), SERVICE_QUERY_CONFIG));
    if (!service) return -1;
    std::vector<unsigned char> buffer(8192);
    DWORD needed = 0;
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!::QueryServiceConfigW(service.get(), config, 8192, &needed)) return -2;
    return static_cast<long>(config->dwStartType);
  }

 private:
  std::wstring name_;
  winaccess::unique_sc_handle manager_;
  bool created_ = false;
};

struct Asked {
  HWND owner;
  std::wstring text;
  std::wstring caption;
  UINT style;
};

class RemovalTest : public ::testing::Test {
 protected:
  void SetUp() override { RemoveLogs(); }
  void TearDown() override {
    if (dialog_ && dialog_->Hwnd() != nullptr) ::DestroyWindow(dialog_->Hwnd());
    PumpFor(20);
    RemoveLogs();
  }
  static void RemoveLogs() {
    for (const wchar_t* suffix : {L"_Varnex.log", L"_ASSOC_CLSID.log", L"_DelFile.log"}) {
      ::DeleteFileW(TodaysLog(suffix).c_str());
    }
  }

  // Opens the dialog, posts the Findings as a scan would and waits for the rows.
  CVarnexDlg& Open(const std::vector<Finding>& findings, const std::wstring& commandLine = L"") {
    VarnexDlgOptions options;
    options.commandLine = commandLine;
    options.programFolder = program_.Path();
    options.showError = [](const std::wstring&) {};
    options.makeSteps = [this, findings](const ScanContext& context) {
      context_ = context;
      ScanSteps steps;
      steps.ScanProcesses = [context, findings] {
        for (const auto& f : findings) context.window->PostFinding(f);
      };
      return std::make_shared<const ScanSteps>(steps);
    };
    options.askUser = [this](HWND owner, const std::wstring& text, const std::wstring& caption, UINT style) {
      std::unique_lock<std::mutex> lock(mutex_);
      asked_.push_back({owner, text, caption, style});
      released_.wait(lock, [this] { return !holdAnswers_; });
      for (const auto& [fragment, answer] : answers_) {
        if (text.find(fragment) != std::wstring::npos) return answer;
      }
      return (style & MB_YESNO) ? IDNO : IDOK;
    };
    dialog_ = std::make_unique<CVarnexDlg>(std::move(options));
    EXPECT_NE(dialog_->Create(::GetModuleHandleW(nullptr), IDD_VARNEX_DIALOG), nullptr);
    EXPECT_TRUE(PumpUntil([this] { return WindowText(Item(IDC_ACTION)) == kActionHandleText; }));
    EXPECT_TRUE(PumpUntil([&] { return RowCount(dialog_->View(0)) == static_cast<int>(findings.size()); }));
    return *dialog_;
  }

  HWND Item(int id) const { return ::GetDlgItem(dialog_->Hwnd(), id); }
  std::wstring Status() const { return WindowText(Item(IDC_STATUS)); }
  void SelectTab(int index) {
    ::SendMessageW(Item(IDC_TAB), TCM_SETCURSEL, index, 0);
    NMHDR header{Item(IDC_TAB), IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
    ::SendMessageW(dialog_->Hwnd(), WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&header));
  }
  void TickAll(HWND view) {
    for (int i = 0; i < RowCount(view); ++i) SetRowChecked(view, i, true);
  }
  bool ButtonsEnabled() const { return ::IsWindowEnabled(Item(IDC_ACTION)) && ::IsWindowEnabled(Item(IDC_RESCAN)); }
  // Presses "处理选中" and waits until the worker has enabled the buttons again.
  bool Handle() {
    ::SendMessageW(Item(IDC_ACTION), BM_CLICK, 0, 0);
    return PumpUntil([this] { return ButtonsEnabled() && !Asking(); }, 20000);
  }
  bool Asking() {
    std::lock_guard<std::mutex> lock(mutex_);
    return holdAnswers_ && !asked_.empty();
  }
  std::vector<Asked> AskedSoFar() {
    std::lock_guard<std::mutex> lock(mutex_);
    return asked_;
  }
  void Release() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      holdAnswers_ = false;
    }
    released_.notify_all();
  }
  std::vector<std::wstring> Names(HWND view) {
    std::vector<std::wstring> names;
    for (int i = 0; i < RowCount(view); ++i) names.push_back(CellText(view, i, kColName));
    return names;
  }

  TempFolder program_{L"vxremprog"};
  ScanContext context_;
  std::unique_ptr<CVarnexDlg> dialog_;
  std::mutex mutex_;
  std::condition_variable released_;
  bool holdAnswers_ = false;
  std::vector<Asked> asked_;
  std::vector<std::pair<std::wstring, int>> answers_;
};

Finding Row(const std::wstring& type, const std::wstring& name, const std::wstring& startPath,
            const std::wstring& filePath = L"", const std::wstring& binPath = L"", const std::wstring& match = L"m") {
  Finding f;
  f.Type = type;
  f.Name = name;
  f.StartPath = startPath;
  f.FilePath = filePath;
  f.BinPath = binPath;
  f.MatchMethod = match;
  f.Company = L"Co";
  f.FileDescription = L"Desc";
  f.ProductName = L"Prod";
  return f;
}

std::wstring MainRecord(const Finding& f, const std::wstring& name, const std::wstring& filePath,
                        const std::wstring& extraLine = L"") {
  return f.Type + L"启动项：\t" + name + L"\t匹配原因：" + f.MatchMethod + L"\r\n启动路径：\t" + f.StartPath +
         L"\r\n启动参数：\t" + f.BinPath + L"\r\n文件路径：\t" + filePath + L"\r\n" + extraLine + L"描述：\t" +
         f.Company + L"\t" + f.FileDescription + L"\t" + f.ProductName + L"\r\n\r\n";
}

const wchar_t* const kTestKey = L"Software\\VxRemovalTest";
const wchar_t* const kClsid = L"{0D7A3E55-1C2B-4F4E-9E61-7A1D2C3B4A51}";

}  // namespace

TEST_F(RemovalTest, RegistryRowsDeleteWhatTheyNameAndAreLogged) {
  TempFolder files{L"vxremreg"};
  const std::wstring hkcu = std::wstring(L"HKEY_CURRENT_USER\\") + kTestKey;
  TestRegistryKey testRoot(HKEY_CURRENT_USER, kTestKey);  // removes whatever the rows leave
  TestRegistryKey classRoot(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsid, KEY_WOW64_64KEY);
  // The same class in the 32-bit view is another registration: deleting the row's key must not
  // touch it (in the 32-bit build, where the default view is the 32-bit one, above all).
  TestRegistryKey class32(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsid, KEY_WOW64_32KEY);
  TestRegistryKey run(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\Run");
  run.SetString(L"vxrun", L"c:\\x\\a.exe");
  run.SetString(L"vxother", L"{1}");
  TestRegistryKey env(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\Environment");
  env.SetString(L"VXSCRIPT", files.File(L"logon.bat"));
  ASSERT_TRUE(WriteBytes(files.File(L"logon.bat"), {'r', 'e', 'm'}));
  TestRegistryKey handler(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\BHO\\" + kClsid);
  TestRegistryKey classKey(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsid + L"\\InprocServer32", KEY_WOW64_64KEY);
  TestRegistryKey repeated(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\tool\\x\\tool\\sub");
  TestRegistryKey virusKey(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\Virus\\bad");
  ASSERT_TRUE(WriteBytes(files.File(L"bad.dll"), {'n', 'e', 'w'}));
  const std::wstring firstQuarantine = Desktop() + L"\\bad.dll.隔离";
  const std::wstring secondQuarantine = Desktop() + L"\\bad.dll(2).隔离";
  ASSERT_TRUE(WriteBytes(firstQuarantine, {'o', 'l', 'd'}));

  const std::vector<Finding> rows = {
      Row(L"Run", L"vxrun", hkcu + L"\\Run", L"c:\\x\\a.exe", L"c:\\x\\a.exe"),
      Row(L"其它加载项", L"vxother", hkcu + L"\\Run", L"", std::wstring(L"HKEY_CLASSES_ROOT\\CLSID\\") + L"{9}"),
      Row(L"环境变量", L"VXSCRIPT", hkcu + L"\\Environment", files.File(L"logon.bat")),
      Row(L"BHO插件", kClsid, hkcu + L"\\BHO\\" + kClsid, L"c:\\x\\bho.dll",
          std::wstring(L"HKEY_CLASSES_ROOT\\CLSID\\") + kClsid),
      Row(L"文件关联", L"ExeFile", L"HKEY_CLASSES_ROOT\\ExeFile", L"c:\\x\\e.exe"),
      Row(L"右键加载项", L"tool", hkcu + L"\\tool\\x\\tool"),
      Row(L"病毒文件", L"bad.dll", hkcu + L"\\Virus\\bad.dll", files.File(L"bad.dll")),
      Row(L"病毒文件", L"bad", hkcu + L"\\Virus\\bad", L""),
      Row(L"Run", L"", hkcu + L"\\Run"),  // malformed: only logged
  };
  CVarnexDlg& dlg = Open(rows);
  TickAll(dlg.View(0));
  ASSERT_TRUE(Handle());
  ASSERT_TRUE(PumpUntil([this] { return !AskedSoFar().empty(); }));  // asked after the buttons are back

  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\Run", L"vxrun"));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\Run", L"vxother"));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\Environment", L"VXSCRIPT"));
  EXPECT_TRUE(IsFolder(files.File(L"logon.bat")));
  EXPECT_TRUE(IsFile(files.File(L"logon.bat.bak")));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\BHO\\" + kClsid));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsid));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsid, KEY_WOW64_32KEY));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"exefile"));  // guarded
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\tool\\x\\tool"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\tool\\x"));  // only the final component
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\Virus\\bad"));
  // The earlier quarantined file is kept; the new one takes a free name.
  EXPECT_EQ(ReadBytes(firstQuarantine), (std::vector<unsigned char>{'o', 'l', 'd'}));
  EXPECT_EQ(ReadBytes(secondQuarantine), (std::vector<unsigned char>{'n', 'e', 'w'}));
  EXPECT_FALSE(IsFile(files.File(L"bad.dll")));
  ::DeleteFileW(firstQuarantine.c_str());
  ::DeleteFileW(secondQuarantine.c_str());

  // Records bottom to top.
  std::wstring expectedMain;
  for (int i = static_cast<int>(rows.size()) - 1; i >= 0; --i) {
    const Finding& f = rows[i];
    if (f.Type == L"文件关联") continue;
    expectedMain += MainRecord(f, f.Name, f.FilePath,
                               f.Name == L"bad.dll" ? L"隔离文件：\t" + secondQuarantine + L"\r\n" : L"");
  }
  EXPECT_EQ(LogText(L"_Varnex.log"), expectedMain);
  EXPECT_EQ(LogText(L"_ASSOC_CLSID.log"),
            L"HKEY_CLASSES_ROOT\\ExeFile\t路径：c:\\x\\e.exe\t匹配原因：m\r\n"
            L"HKEY_CLASSES_ROOT\\CLSID\\" + std::wstring(kClsid) + L"\t路径：c:\\x\\bho.dll\t匹配原因：m\r\n"
            L"HKEY_CLASSES_ROOT\\CLSID\\{9}\t路径：\t匹配原因：m\r\n");
  EXPECT_EQ(LogText(L"_DelFile.log"), L"");

  EXPECT_EQ(RowCount(dlg.View(0)), 0);
  EXPECT_EQ(Status(), L"处理完毕！");
  EXPECT_TRUE(dlg.State().CategoryViewsStale);
  const auto asked = AskedSoFar();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].text, L"是否重建桌面进程Explorer.exe，以卸载运行中的dll？");
  EXPECT_EQ(asked[0].caption, L"Varnex");
  EXPECT_EQ(asked[0].style, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(asked[0].owner, dlg.Hwnd());
}

TEST_F(RemovalTest, ProcessServiceDriverAndFileRows) {
  TempFolder files{L"vxremfiles"};
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  wchar_t commandLine[] = L"C:\\windows\\system32\\notepad.exe";
  ASSERT_TRUE(::CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child));
  winaccess::unique_handle process(child.hProcess), thread(child.hThread);

  TestService service(L"vxremsvc", SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, files.File(L"svc.exe"));
  TestService driver(L"vxremdrv", SERVICE_KERNEL_DRIVER, SERVICE_BOOT_START, files.File(L"drv.sys"));
  TestService trojan(L"vxtrojan", SERVICE_KERNEL_DRIVER, SERVICE_BOOT_START, files.File(L"VxTrojan.sys"));
  TestService rootkit(L"vxroot", SERVICE_KERNEL_DRIVER, SERVICE_BOOT_START, files.File(L"vxroot.sys"));
  ASSERT_TRUE(service.Created() && driver.Created() && trojan.Created() && rootkit.Created());
  for (const wchar_t* f : {L"VxTrojan.sys", L"vxroot.sys", L"keep.exe", L"del.txt"}) {
    ASSERT_TRUE(WriteBytes(files.File(f), {'x'}));
  }
  ::CreateDirectoryW(files.File(L"VxTool").c_str(), nullptr);
  ::CreateDirectoryW(files.File(L"VxTool\\bin").c_str(), nullptr);
  ASSERT_TRUE(WriteBytes(files.File(L"VxTool\\bin\\t.sys"), {'x'}));
  ::CreateDirectoryW(files.File(L"VxTool2").c_str(), nullptr);
  ASSERT_TRUE(WriteBytes(files.File(L"VxTool2\\t.sys"), {'x'}));
  ::CreateDirectoryW(files.File(L"vxtool2_bak").c_str(), nullptr);
  ASSERT_TRUE(WriteBytes(files.File(L"vxtool2_bak\\old.sys"), {'x'}));
  const std::wstring quarantined = Desktop() + L"\\vxtrojan.sys.隔离";

  auto rootkitRow = Row(L"驱动木马", L"vxroot.sys", L"", files.File(L"vxroot.sys"));
  rootkitRow.Company = L"疑似独狼Rootkit";
  auto processRow = Row(L"进程", L"notepad.exe", L"1", commandLine);
  processRow.Descrip = std::to_wstring(child.dwProcessId);
  const std::vector<Finding> rows = {
      processRow,
      Row(L"服务", L"vxremsvc", L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\services\\vxremsvc"),
      Row(L"驱动", L"vxremdrv", L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\services\\vxremdrv"),
      Row(L"驱动木马", L"VxTrojan.sys", L"", files.File(L"VxTrojan.sys")),
      rootkitRow,
      Row(L"服务", L"vxnosuchsvc", L"", files.File(L"keep.exe"), L"", L"\\vxremfiles\\"),
      Row(L"驱动", L"vxnosuchdrv1", L"", files.File(L"VxTool\\bin\\t.sys"), L"", L"\\vxtool\\"),
      Row(L"驱动", L"vxnosuchdrv2", L"", files.File(L"VxTool2\\t.sys"), L"", L"\\vxtool2\\"),
      Row(L"文件", L"del.txt", L"", files.File(L"del.txt")),
  };
  answers_ = {{L"vxnosuchsvc处理失败", IDNO}, {L"处理失败", IDYES}};
  CVarnexDlg& dlg = Open(rows);
  TickAll(dlg.View(0));
  ASSERT_TRUE(Handle());

  EXPECT_EQ(::WaitForSingleObject(process.get(), 5000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  ::GetExitCodeProcess(process.get(), &exitCode);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(service.StartType(), static_cast<long>(SERVICE_DISABLED));  // still registered
  EXPECT_EQ(driver.StartType(), static_cast<long>(SERVICE_DEMAND_START));
  EXPECT_EQ(trojan.StartType(), static_cast<long>(SERVICE_DEMAND_START));
  EXPECT_EQ(rootkit.StartType(), static_cast<long>(SERVICE_DEMAND_START));
  EXPECT_TRUE(IsFile(quarantined));
  EXPECT_FALSE(IsFile(files.File(L"VxTrojan.sys")));
  EXPECT_TRUE(IsFile(files.File(L"vxroot.sys")));  // a rootkit file with a description of its own stays
  EXPECT_TRUE(IsFile(files.File(L"keep.exe")));    // answered No
  EXPECT_FALSE(IsFile(files.File(L"keep.exe.bak")));
  EXPECT_TRUE(IsFile(files.File(L"vxtool_bak\\bin\\t.sys")));  // the program folder put out of action
  EXPECT_FALSE(IsFolder(files.File(L"VxTool")));
  // An old backup is kept; the folder takes the next free backup name.
  EXPECT_TRUE(IsFile(files.File(L"vxtool2_bak\\old.sys")));
  EXPECT_TRUE(IsFile(files.File(L"vxtool2_bak2\\t.sys")));
  EXPECT_FALSE(IsFolder(files.File(L"VxTool2")));
  EXPECT_FALSE(IsFile(files.File(L"del.txt")));
  ::DeleteFileW(quarantined.c_str());

  const auto asked = AskedSoFar();
  const std::vector<std::pair<std::wstring, std::wstring>> expectedAsks = {
      {L"vxnosuchdrv2拒绝访问！错误代码：1060，", L"Varnex"},
      {L"vxnosuchdrv2处理失败，是否重命名文件使其失效？", L"提示"},
      {L"vxnosuchdrv1拒绝访问！错误代码：1060，", L"Varnex"},
      {L"vxnosuchdrv1处理失败，是否重命名文件使其失效？", L"提示"},
      {L"vxnosuchsvc拒绝访问！错误代码：1060，", L"Varnex"},
      {L"vxnosuchsvc处理失败，是否重命名文件使其失效？", L"提示"},
  };
  ASSERT_EQ(asked.size(), expectedAsks.size());
  for (std::size_t i = 0; i < asked.size(); ++i) {
    EXPECT_EQ(asked[i].text.substr(0, expectedAsks[i].first.size()), expectedAsks[i].first) << i;
    EXPECT_EQ(asked[i].caption, expectedAsks[i].second) << i;
    const bool question = expectedAsks[i].second == L"提示";
    EXPECT_EQ(asked[i].style, static_cast<UINT>(question ? MB_YESNO : MB_OK)) << i;
    EXPECT_EQ(asked[i].owner, question ? nullptr : dlg.Hwnd()) << i;
  }

  std::wstring expectedMain;
  for (int i = static_cast<int>(rows.size()) - 2; i >= 0; --i) {
    const Finding& f = rows[i];
    std::wstring name = f.Name, filePath = f.FilePath;
    if (f.Type == L"驱动木马") name = L"vxtrojan.sys";
    if (f.Name == L"vxroot.sys") name = L"vxroot.sys";
    // A folder rule lowers the path; the log shows it lowered.
    if (f.Name == L"vxnosuchdrv1" || f.Name == L"vxnosuchdrv2") filePath = text::LowerAZ(f.FilePath);
    expectedMain += MainRecord(f, name, filePath);
  }
  EXPECT_EQ(LogText(L"_Varnex.log"), expectedMain);
  EXPECT_EQ(LogText(L"_DelFile.log"), files.File(L"del.txt") + L"\r\n");
  EXPECT_EQ(LogText(L"_ASSOC_CLSID.log"), L"");
  EXPECT_EQ(RowCount(dlg.View(0)), 0);
}

TEST_F(RemovalTest, ServiceDeletionModeDeletesTheService) {
  TestService service(L"vxremsvcdel", SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, L"C:\\vxnone\\svc.exe");
  ASSERT_TRUE(service.Created());
  CVarnexDlg& dlg = Open({Row(L"服务", L"vxremsvcdel", L"")}, L"delsrv");
  TickAll(dlg.View(0));
  ASSERT_TRUE(Handle());
  EXPECT_EQ(service.StartType(), -1);
  EXPECT_TRUE(AskedSoFar().empty());
}

TEST_F(RemovalTest, EmptyViewAndNoTicks) {
  CVarnexDlg& dlg = Open({});
  ::SetWindowTextW(Item(IDC_STATUS), L"before");
  context_.state->CategoryViewsStale = false;
  ASSERT_TRUE(Handle());
  EXPECT_EQ(Status(), L"before");
  EXPECT_FALSE(dlg.State().CategoryViewsStale);
  EXPECT_TRUE(AskedSoFar().empty());
  dialog_.reset();

  TestRegistryKey run(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\Run");
  run.SetString(L"vxrun", L"x");
  CVarnexDlg& second = Open({Row(L"Run", L"vxrun", std::wstring(L"HKEY_CURRENT_USER\\") + kTestKey + L"\\Run")});
  context_.state->CategoryViewsStale = false;
  ASSERT_TRUE(Handle());
  EXPECT_EQ(Status(), L"处理完毕！");
  EXPECT_TRUE(second.State().CategoryViewsStale);
  EXPECT_TRUE(AskedSoFar().empty());
  EXPECT_EQ(RowCount(second.View(0)), 1);
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\Run", L"vxrun"));
  EXPECT_EQ(LogText(L"_Varnex.log"), L"");
}

TEST_F(RemovalTest, CategoryRowsLeaveAllItemsAtTheirPositionsAndTheViewIsNotRebuiltMeanwhile) {
  // Rows 3 and 7 are services that cannot be opened, so the worker stops at their message boxes.
  std::vector<Finding> rows;
  for (int i = 0; i < 9; ++i) {
    const bool service = i == 3 || i == 7 || i == 5;
    rows.push_back(Row(service ? L"服务" : L"进程", L"vxnone" + std::to_wstring(i), L""));
  }
  CVarnexDlg& dlg = Open(rows);
  SetRowChecked(dlg.View(0), 3, true);
  SetRowChecked(dlg.View(0), 7, true);
  SelectTab(2);
  ASSERT_EQ(Names(dlg.View(2)), (std::vector<std::wstring>{L"vxnone3", L"vxnone5", L"vxnone7"}));
  EXPECT_TRUE(IsRowChecked(dlg.View(2), 0));
  EXPECT_FALSE(IsRowChecked(dlg.View(2), 1));

  // A rebuild would give this row its name back.
  SetCellText(dlg.View(2), 1, kColName, L"marked");
  holdAnswers_ = true;
  ::SendMessageW(Item(IDC_ACTION), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([this] { return Asking(); }));
  EXPECT_FALSE(::IsWindowEnabled(Item(IDC_RESTORE)));  // no restore while the run writes its backups
  // While the worker waits, a tab switch with the views marked stale must not rebuild view 2.
  context_.state->CategoryViewsStale = true;
  SelectTab(0);
  SelectTab(2);
  EXPECT_EQ(Names(dlg.View(2)), (std::vector<std::wstring>{L"vxnone3", L"marked", L"vxnone7"}));
  EXPECT_TRUE(context_.state->CategoryViewsStale);
  Release();
  ASSERT_TRUE(PumpUntil([this] { return ButtonsEnabled(); }));
  EXPECT_TRUE(::IsWindowEnabled(Item(IDC_RESTORE)));

  EXPECT_EQ(Names(dlg.View(2)), (std::vector<std::wstring>{L"marked"}));
  EXPECT_EQ(Names(dlg.View(0)), (std::vector<std::wstring>{L"vxnone0", L"vxnone1", L"vxnone2", L"vxnone4", L"vxnone5",
                                                           L"vxnone6", L"vxnone8"}));
  const auto asked = AskedSoFar();
  ASSERT_EQ(asked.size(), 4u);
  EXPECT_EQ(asked[0].text.substr(0, 7), L"vxnone7");
  EXPECT_EQ(asked[2].text.substr(0, 7), L"vxnone3");
  // The first switch after the run rebuilds.
  SelectTab(1);
  EXPECT_FALSE(dlg.State().CategoryViewsStale);
  EXPECT_EQ(RowCount(dlg.View(1)), 6);
}

namespace {
// A task registered in the scheduler's root folder for the test, deleted at the end.
class TestTask {
 public:
  explicit TestTask(const std::wstring& name) : name_(name) {
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const CLSID schedulerClass = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};
    if (FAILED(::CoCreateInstance(schedulerClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskService),
                                  reinterpret_cast<void**>(service_.GetAddressOf())))) {
      return;
    }
    VARIANT empty;
    ::VariantInit(&empty);
    if (FAILED(service_->Connect(empty, empty, empty, empty))) return;
    BSTR root = ::SysAllocString(L"\\");
    service_->GetFolder(root, &folder_);
    ::SysFreeString(root);
    if (!folder_) return;
    Microsoft::WRL::ComPtr<ITaskDefinition> definition;
    service_->NewTask(0, &definition);
    Microsoft::WRL::ComPtr<IActionCollection> actions;
    if (!definition || FAILED(definition->get_Actions(&actions))) return;
    Microsoft::WRL::ComPtr<IAction> action;
    actions->Create(TASK_ACTION_EXEC, &action);
    Microsoft::WRL::ComPtr<IExecAction> exec;
    if (!action || FAILED(action.As(&exec))) return;
    BSTR path = ::SysAllocString(L"C:\\windows\\system32\\notepad.exe");
    exec->put_Path(path);
    ::SysFreeString(path);
    BSTR taskName = ::SysAllocString(name.c_str());
    Microsoft::WRL::ComPtr<IRegisteredTask> registered;
    folder_->RegisterTaskDefinition(taskName, definition.Get(), TASK_CREATE_OR_UPDATE, empty, empty,
                                    TASK_LOGON_INTERACTIVE_TOKEN, empty, &registered);
    ::SysFreeString(taskName);
  }
  ~TestTask() {
    if (folder_) {
      BSTR taskName = ::SysAllocString(name_.c_str());
      folder_->DeleteTask(taskName, 0);
      ::SysFreeString(taskName);
    }
    folder_.Reset();
    service_.Reset();
    ::CoUninitialize();
  }
  TestTask(const TestTask&) = delete;
  TestTask& operator=(const TestTask&) = delete;
  bool Exists() const {
    if (!folder_) return false;
    BSTR path = ::SysAllocString((L"\\" + name_).c_str());
    Microsoft::WRL::ComPtr<IRegisteredTask> task;
    const bool found = SUCCEEDED(folder_->GetTask(path, &task)) && task;
    ::SysFreeString(path);
    return found;
  }

 private:
  std::wstring name_;
  Microsoft::WRL::ComPtr<ITaskService> service_;
  Microsoft::WRL::ComPtr<ITaskFolder> folder_;
};
}  // namespace

TEST_F(RemovalTest, TaskOfTheRootFolderIsDeleted) {
  TestTask task(L"VxRemovalTask");
  TestTask other(L"VxRemovalOther");
  ASSERT_TRUE(task.Exists());
  ASSERT_TRUE(other.Exists());
  const Finding row = Row(L"计划任务", L"VxRemovalTask", L"\\VxRemovalTask", L"C:\\windows\\system32\\notepad.exe");
  // A path that does not end in the task's name is malformed: nothing is deleted.
  const Finding malformed = Row(L"计划任务", L"VxRemovalOther", L"\\Elsewhere");
  CVarnexDlg& dlg = Open({row, malformed});
  TickAll(dlg.View(0));
  ASSERT_TRUE(Handle());
  EXPECT_FALSE(task.Exists());
  EXPECT_TRUE(other.Exists());
  EXPECT_EQ(LogText(L"_Varnex.log"), MainRecord(malformed, malformed.Name, L"") +
                                         MainRecord(row, row.Name, row.FilePath));
}

// The class-root guard of DeleteRegKey: collections of classes are refused under the three class
// roots in any letter case; one class below them is deleted.
TEST_F(RemovalTest, CollectionsOfClassesAreNeverDeleted) {
  // In the 64-bit view, which the removal uses for paths without "Wow6432Node" (the user's class
  // collections are split by view too).
  TestRegistryKey interfaceKey(HKEY_CURRENT_USER, L"Software\\Classes\\Interface\\{0D7A3E55-0000-4F4E-9E61-7A1D2C3B4A52}",
                               KEY_WOW64_64KEY);
  TestRegistryKey appIdKey(HKEY_CURRENT_USER, L"Software\\Classes\\Wow6432Node\\AppID\\{0D7A3E55-0000-4F4E-9E61-7A1D2C3B4A53}",
                           KEY_WOW64_64KEY);
  TestRegistryKey oneClass(HKEY_CURRENT_USER, std::wstring(L"Software\\Classes\\CLSID\\") + kClsid, KEY_WOW64_64KEY);
  ASSERT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
  ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\CLSID"));
  const std::pair<const wchar_t*, const wchar_t*> refused[] = {
      {L"HKEY_CLASSES_ROOT\\ClSiD", L"cLsId"},
      {L"hkey_classes_root\\CLSID\\", L"CLSID\\"},
      {L"HKEY_CLASSES_ROOT\\x", L"clsid"},
      {L"HKEY_CURRENT_USER\\Software\\Classes\\INTERFACE", L"interface"},
      {L"HKEY_CURRENT_USER\\software\\classes\\Wow6432Node\\appid", L"AppId"},
      {L"HKEY_CURRENT_USER\\Software\\Classes\\wow6432node", L"WOW6432NODE"},
      {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\TypeLib", L"TYPELIB"},
      {L"HKEY_LOCAL_MACHINE\\Software\\CLASSES\\Clsid", L"Clsid"},
      {L"HKEY_CURRENT_USER\\Software\\Classes", L"Classes"},
  };
  for (const auto& [path, name] : refused) {
    EXPECT_FALSE(remediation::DeleteRegKey(path, name)) << path;
  }
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\CLSID"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\TypeLib"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\Interface\\{0D7A3E55-0000-4F4E-9E61-7A1D2C3B4A52}"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\Wow6432Node\\AppID\\{0D7A3E55-0000-4F4E-9E61-7A1D2C3B4A53}"));
  EXPECT_TRUE(remediation::DeleteRegKey(std::wstring(L"HKEY_CURRENT_USER\\Software\\Classes\\ClSiD\\") + kClsid, kClsid));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::wstring(L"Software\\Classes\\CLSID\\") + kClsid));
}

// A Run row without a name is the key's unnamed default value: it is deleted as that value.
TEST_F(RemovalTest, TheDefaultValueRowDeletesTheDefaultValue) {
  TestRegistryKey run(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\Run");
  run.SetString(L"", L"c:\\x\\default.exe");
  run.SetString(L"vxkeep", L"c:\\x\\keep.exe");
  ASSERT_TRUE(ValueExists(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\Run", L""));
  const Finding row = Row(L"Run", L"", std::wstring(L"HKEY_CURRENT_USER\\") + kTestKey + L"\\Run", L"c:\\x\\default.exe");
  CVarnexDlg& dlg = Open({row});
  TickAll(dlg.View(0));
  ASSERT_TRUE(Handle());
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\Run", L""));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\Run", L"vxkeep"));
  EXPECT_EQ(LogText(L"_Varnex.log"), MainRecord(row, L"", row.FilePath));
}

// "\temp\" against a file in C:\Windows\Temp: the folder is a system folder, so only the file is
// renamed, and the refusal is logged.
TEST_F(RemovalTest, TheRenameOfferNeverRenamesASystemFolder) {
  wchar_t windows[MAX_PATH] = {};
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  const std::wstring temp = std::wstring(windows) + L"\\Temp";
  ::CreateDirectoryW(temp.c_str(), nullptr);
  const std::wstring file = temp + L"\\VxEvil.sys";
  ASSERT_TRUE(WriteBytes(file, {'e'}));
  const Finding row = Row(L"驱动", L"vxnosuchdrv3", L"", file, L"", L"\\temp\\");
  answers_ = {{L"处理失败", IDYES}};
  CVarnexDlg& dlg = Open({row});
  TickAll(dlg.View(0));
  ASSERT_TRUE(Handle());
  EXPECT_TRUE(IsFolder(temp));
  EXPECT_FALSE(IsFolder(temp + L"_bak"));
  EXPECT_FALSE(IsFile(file));
  EXPECT_TRUE(IsFile(file + L".bak"));
  const std::wstring lowered = text::LowerAZ(file);
  EXPECT_EQ(LogText(L"_Varnex.log"),
            MainRecord(row, row.Name, lowered,
                       L"未重命名目录：\t" + text::LowerAZ(temp) + L"（系统或用户目录，只重命名了文件）\r\n"));
  ::DeleteFileW((file + L".bak").c_str());
  ::DeleteFileW(file.c_str());
}
