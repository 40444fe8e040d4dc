// The removal worker driven through the dialog: real items are created, their Findings posted,
// the rows ticked and the action button pressed; the effects on the system, the logs and the
// views are read back.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <fstream>
#include <iterator>
#include <mutex>

#include "common/winaccess/unique_resource.h"
#include "test_support.h"
#include "varnex/core/scan_texts.h"
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

bool KeyExists(HKEY root, const std::wstring& subkey) {
  winaccess::unique_hkey key;
  return ::RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
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
    service_.reset(::CreateServiceW(manager_.get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS, type, start,
                                    SERVICE_ERROR_IGNORE, binary.c_str(), nullptr, nullptr, nullptr, nullptr,
                                    nullptr));
  }
  ~TestService() {
    winaccess::unique_sc_handle service(::OpenServiceW(manager_.get(), name_.c_str(), DELETE));
    if (service) ::DeleteService(service.get());
  }
  TestService(const TestService&) = delete;
  TestService& operator=(const TestService&) = delete;
  bool Created() const { return static_cast<bool>(service_); }
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
  winaccess::unique_sc_handle service_;
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
  TestRegistryKey classRoot(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsid);
  TestRegistryKey run(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\Run");
  run.SetString(L"vxrun", L"c:\\x\\a.exe");
  run.SetString(L"vxother", L"{1}");
  TestRegistryKey env(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\Environment");
  env.SetString(L"VXSCRIPT", files.File(L"logon.bat"));
  ASSERT_TRUE(WriteBytes(files.File(L"logon.bat"), {'r', 'e', 'm'}));
  TestRegistryKey handler(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\BHO\\" + kClsid);
  TestRegistryKey classKey(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsid + L"\\InprocServer32");
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

  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\Run", L"vxrun"));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\Run", L"vxother"));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\Environment", L"VXSCRIPT"));
  EXPECT_TRUE(IsFolder(files.File(L"logon.bat")));
  EXPECT_TRUE(IsFile(files.File(L"logon.bat.bak")));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\BHO\\" + kClsid));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsid));
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
