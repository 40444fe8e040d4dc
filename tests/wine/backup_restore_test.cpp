// Every kind of removed item backed up and restored, end to end under Wine: the real item is
// made, the removal worker removes it (driven through IRemovalWindow, without a dialog), the
// backup is checked, the item restored through the same code the restore window uses, and the
// registry, service, task, file or folder compared with how it was.
#include <windows.h>
#include <gtest/gtest.h>
#include <shlobj.h>
#include <taskschd.h>
#include <wrl/client.h>

#include <fstream>
#include <iterator>
#include <map>

#include "common/text/text_rules.h"
#include "common/winaccess/unique_resource.h"
#include "test_support.h"
#include "varnex/backup/backup_run.h"
#include "varnex/backup/registry_tree.h"
#include "varnex/remediation/log_writer.h"
#include "varnex/remediation/removal_thread.h"
#include "varnex/backup/restore.h"

using namespace varnex;
using namespace varnex::remediation;
using namespace varnex::backup;
using namespace testing_support;

namespace {

// The rows of a result view, as the worker sees them.
class RowsWindow : public IRemovalWindow {
 public:
  explicit RowsWindow(std::vector<Finding> rows) : rows_(std::move(rows)) {}
  int RowCount() override { return static_cast<int>(rows_.size()); }
  bool IsRowChecked(int) override { return true; }
  Finding ReadRow(int row) override { return rows_[row]; }
  void RemoveRow(int row, const Finding&) override { rows_.erase(rows_.begin() + row); }
  void SetStatusText(const std::wstring&) override {}
  void EnableButtons() override {}
  HWND Owner() override { return nullptr; }
  const std::vector<Finding>& Rows() const { return rows_; }

 private:
  std::vector<Finding> rows_;
};

struct Asked {
  std::wstring text;
  UINT style;
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
  return f;
}

std::vector<unsigned char> ReadBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The 64-bit view, the one the scanners report and a path without "Wow6432Node" is removed in
// (the same as the default view for every key of HKEY_CURRENT_USER but its classes).
std::vector<RegKeyRecord> Tree(HKEY root, const std::wstring& rootName, const std::wstring& subkey) {
  std::vector<RegKeyRecord> tree;
  ReadKeyTree(root, rootName, subkey, KEY_WOW64_64KEY, tree);
  return tree;
}

bool IsFile(const std::wstring& path) {
  const DWORD a = ::GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}
bool IsFolder(const std::wstring& path) {
  const DWORD a = ::GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring Desktop() {
  wchar_t path[MAX_PATH + 1] = {};
  ::SHGetSpecialFolderPathW(nullptr, path, CSIDL_DESKTOPDIRECTORY, FALSE);
  return path;
}

std::wstring TodaysLog(const wchar_t* suffix) {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  wchar_t date[16] = {};
  ::swprintf(date, 16, L"%04d%02d%02d", now.wYear, now.wMonth, now.wDay);
  return TestProgramFolder() + L"\\" + date + suffix;
}

class BackupRestoreTest : public ::testing::Test {
 protected:
  // The removal and the restores write the day's logs beside the test program.
  void SetUp() override { RemoveLogs(); }
  void TearDown() override { RemoveLogs(); }
  static void RemoveLogs() {
    for (const wchar_t* suffix : {L"_Varnex.log", L"_ASSOC_CLSID.log", L"_DelFile.log"}) {
      ::DeleteFileW(TodaysLog(suffix).c_str());
    }
  }
  AskUserFn Ask() {
    return [this](HWND, const std::wstring& text, const std::wstring&, UINT style) {
      asked_.push_back({text, style});
      for (const auto& [fragment, answer] : answers_) {
        if (text.find(fragment) != std::wstring::npos) return answer;
      }
      return (style & MB_YESNO) ? IDNO : IDOK;
    };
  }
  // One removal run over the rows; answers the rows left in the view.
  std::vector<Finding> Remove(const std::vector<Finding>& rows, bool serviceDeleteMode = false,
                              std::shared_ptr<ITaskStore> tasks = nullptr, const std::wstring& folder = L"") {
    RowsWindow window(rows);
    ScanState state;
    state.ServiceDeleteMode = serviceDeleteMode;
    RemovalOptions options;
    options.ask = Ask();
    options.backupStore = StoreFolderBelow(folder.empty() ? program_.Path() : folder);
    options.tasks = std::move(tasks);
    RunRemoval(window, state, options);
    return window.Rows();
  }
  std::vector<RestoreEntry> Entries() { return ListBackups(StoreFolderBelow(program_.Path())); }
  // Restores every restorable entry of the newest run; answers how many came back.
  int RestoreAll(std::shared_ptr<ITaskStore> tasks = nullptr) {
    int restored = 0;
    const auto entries = Entries();
    for (const auto& e : entries) {
      if (e.runFolder != entries.front().runFolder || !e.restorable) continue;
      std::wstring message;
      RestoreContext context{Ask(), nullptr, tasks, [](const std::wstring& record) { WriteRestoreLog(record); }};
      if (RestoreItem(e, context, message)) ++restored;
      messages_.push_back(message);
    }
    return restored;
  }
  std::map<std::wstring, int> Kinds() {
    std::map<std::wstring, int> kinds;
    for (const auto& e : Entries()) ++kinds[e.entry.item.Get(L"kind")];
    return kinds;
  }

  TempFolder program_{L"vxbackupprog"};
  std::vector<Asked> asked_;
  std::vector<std::pair<std::wstring, int>> answers_;
  std::vector<std::wstring> messages_;
};

const wchar_t* const kKey = L"Software\\VxBackupTest";
const wchar_t* const kClsid = L"{5B1F0C3E-7A2D-4E1B-9C3F-2D4E6F8A0B1C}";

std::vector<unsigned char> Utf16Z(const std::wstring& s) {
  std::vector<unsigned char> b;
  for (wchar_t c : s + L'\0') {
    b.push_back(static_cast<unsigned char>(c & 0xFF));
    b.push_back(static_cast<unsigned char>(c >> 8));
  }
  return b;
}

}  // namespace

TEST_F(BackupRestoreTest, RegistryValuesAndKeysComeBackExactly) {
  TestRegistryKey root(HKEY_CURRENT_USER, kKey);
  TestRegistryKey run(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Run");
  run.SetString(L"", L"c:\\x\\default.exe");
  run.SetString(L"vxrun", L"\"c:\\x\\a.exe\" /q", REG_EXPAND_SZ);
  run.SetBinary(L"vxodd", {0x41, 0x00, 0x42}, REG_SZ);  // a string without its terminator, odd length
  run.SetString(L"vxkeep", L"stays");
  TestRegistryKey tool(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Handlers\\VxTool\\Sub");
  tool.SetDword(L"n", 0x12345678);
  tool.SetBinary(L"multi", Utf16Z(std::wstring(L"a\0b\0", 4)), REG_MULTI_SZ);
  tool.SetBinary(L"q", {1, 2, 3, 4, 5, 6, 7, 8}, REG_QWORD);
  TestRegistryKey toolTop(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Handlers\\VxTool");
  toolTop.SetString(L"", L"{handler}");
  TestRegistryKey classKey(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsid + L"\\InprocServer32", KEY_WOW64_64KEY);
  classKey.SetString(L"", L"c:\\x\\bho.dll");
  classKey.SetString(L"ThreadingModel", L"Apartment");
  TestRegistryKey classTop(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsid, KEY_WOW64_64KEY);
  // The class of the same id in the 32-bit view is another registration, left alone.
  TestRegistryKey class32(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsid, KEY_WOW64_32KEY);
  const auto before = Tree(HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", kKey);
  const auto classBefore = Tree(HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT", std::wstring(L"CLSID\\") + kClsid);
  ASSERT_EQ(classBefore.size(), 2u);

  const std::wstring hkcu = std::wstring(L"HKEY_CURRENT_USER\\") + kKey;
  const auto left = Remove({
      Row(L"Run", L"", hkcu + L"\\Run"),
      Row(L"Run", L"vxrun", hkcu + L"\\Run"),
      Row(L"其它加载项", L"vxodd", hkcu + L"\\Run"),
      Row(L"BHO插件", L"VxTool", hkcu + L"\\Handlers\\VxTool", L"c:\\x\\bho.dll",
          std::wstring(L"HKEY_CLASSES_ROOT\\CLSID\\") + kClsid),
  });
  EXPECT_TRUE(left.empty());
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Run", L"", 0));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Run", L"vxrun", 0));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Handlers\\VxTool", 0));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsid, KEY_WOW64_64KEY));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsid, KEY_WOW64_32KEY));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Run", L"vxkeep", 0));

  // The backup: one folder, a manifest, one .reg per value and key, readable by the registry editor.
  const auto entries = Entries();
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(Kinds(), (std::map<std::wstring, int>{{kKindValue, 3}, {kKindKey, 2}}));
  for (const auto& e : entries) {
    EXPECT_TRUE(e.restorable) << e.state;
    EXPECT_EQ(e.entry.done, std::optional<bool>(true));
    const auto reg = ReadBytes(e.runFolder + L"\\" + e.entry.item.Get(L"reg"));
    ASSERT_GE(reg.size(), 2u);
    EXPECT_EQ(reg[0], 0xFF);
    EXPECT_EQ(reg[1], 0xFE);
    EXPECT_EQ(TextFromUtf16Le(reg).rfind(L"Windows Registry Editor Version 5.00\r\n", 0), 0u);
  }

  ASSERT_EQ(asked_.size(), 1u);  // only the Explorer question of the Run rows
  EXPECT_EQ(asked_[0].text, L"是否重建桌面进程Explorer.exe，以卸载运行中的dll？");
  asked_.clear();
  EXPECT_EQ(RestoreAll(), 5) << (messages_.empty() ? L"" : messages_.back());
  EXPECT_EQ(Tree(HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", kKey), before);
  EXPECT_EQ(Tree(HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT", std::wstring(L"CLSID\\") + kClsid), classBefore);
  for (const auto& e : Entries()) {
    EXPECT_TRUE(e.entry.restored);
    EXPECT_FALSE(e.restorable);
  }
  EXPECT_TRUE(asked_.empty());
}

namespace {
class TestService {
 public:
  TestService(const std::wstring& name, DWORD type, DWORD start, const std::wstring& binary) : name_(name) {
    manager_.reset(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    winaccess::unique_sc_handle service(::CreateServiceW(manager_.get(), name.c_str(), (name + L" display").c_str(),
                                                         SERVICE_ALL_ACCESS, type, start, SERVICE_ERROR_IGNORE,
                                                         binary.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    created_ = static_cast<bool>(service);
  }
  ~TestService() {
    winaccess::unique_sc_handle service(::OpenServiceW(manager_.get(), name_.c_str(), DELETE));
    if (service) ::DeleteService(service.get());
  }
  TestService(const TestService&) = delete;
  TestService& operator=(const TestService&) = delete;
  bool Created() const { return created_; }
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
}  // namespace

TEST_F(BackupRestoreTest, ServiceStartTypeAndDeletedServiceComeBack) {
  TestService service(L"vxbksvc", SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, L"C:\\vxnone\\svc.exe");
  ASSERT_TRUE(service.Created());
  EXPECT_TRUE(Remove({Row(L"服务", L"vxbksvc", L"")}).empty());
  EXPECT_EQ(service.StartType(), static_cast<long>(SERVICE_DISABLED));
  EXPECT_EQ(Kinds(), (std::map<std::wstring, int>{{kKindServiceStart, 1}}));
  EXPECT_EQ(RestoreAll(), 1);
  EXPECT_EQ(service.StartType(), static_cast<long>(SERVICE_AUTO_START));

  // Service-deletion mode: the whole key is kept and the service made again from it.
  TestRegistryKey parameters(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\vxbksvc\\Parameters");
  parameters.SetString(L"ServiceDll", L"c:\\vxnone\\x.dll", REG_EXPAND_SZ);
  const auto keyBefore = Tree(HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", L"SYSTEM\\CurrentControlSet\\Services\\vxbksvc");
  ASSERT_FALSE(keyBefore.empty());
  EXPECT_TRUE(Remove({Row(L"服务", L"vxbksvc", L"")}, true).empty());
  EXPECT_EQ(service.StartType(), -1);
  EXPECT_EQ(RestoreAll(), 1) << (messages_.empty() ? L"" : messages_.back());
  EXPECT_EQ(service.StartType(), static_cast<long>(SERVICE_AUTO_START));
  // Every key and value the service had is back as it was.
  const auto keyAfter = Tree(HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", L"SYSTEM\\CurrentControlSet\\Services\\vxbksvc");
  for (const auto& key : keyBefore) {
    const auto it = std::find_if(keyAfter.begin(), keyAfter.end(), [&](const RegKeyRecord& k) { return k.path == key.path; });
    ASSERT_NE(it, keyAfter.end()) << key.path;
    for (const auto& v : key.values) {
      EXPECT_NE(std::find(it->values.begin(), it->values.end(), v), it->values.end()) << key.path << " " << v.name;
    }
  }
}

namespace {
// The seam for the Task Scheduler: Wine lists no registered task, so the backup and restore of a
// task are checked against this store as well as against the real one.
class RecordingTaskStore : public ITaskStore {
 public:
  std::map<std::wstring, std::wstring> tasks;  // "<folder>|<name>" -> XML
  Read ReadTaskXml(const std::wstring& folder, const std::wstring& name, std::wstring& xml) override {
    const auto it = tasks.find(folder + L"|" + name);
    if (it == tasks.end()) return Read::Missing;
    xml = it->second;
    return Read::Found;
  }
  bool TaskExists(const std::wstring& folder, const std::wstring& name) override {
    return tasks.count(folder + L"|" + name) != 0;
  }
  bool RegisterTaskXml(const std::wstring& folder, const std::wstring& name, const std::wstring& xml,
                       std::wstring&) override {
    tasks[folder + L"|" + name] = xml;
    return true;
  }
};

class SchedulerTask {
 public:
  explicit SchedulerTask(const std::wstring& name) : name_(name) {
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
  ~SchedulerTask() {
    if (folder_) {
      BSTR taskName = ::SysAllocString(name_.c_str());
      folder_->DeleteTask(taskName, 0);
      ::SysFreeString(taskName);
    }
    folder_.Reset();
    service_.Reset();
    ::CoUninitialize();
  }
  SchedulerTask(const SchedulerTask&) = delete;
  SchedulerTask& operator=(const SchedulerTask&) = delete;

 private:
  std::wstring name_;
  Microsoft::WRL::ComPtr<ITaskService> service_;
  Microsoft::WRL::ComPtr<ITaskFolder> folder_;
};
}  // namespace

TEST_F(BackupRestoreTest, TaskDefinitionIsKeptAndRegisteredAgainThroughTheSeam) {
  auto store = std::make_shared<RecordingTaskStore>();
  const std::wstring xml = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><Task><Principals><Principal>"
                           L"<UserId>S-1-5-18</UserId></Principal></Principals><Actions><Exec>"
                           L"<Command>c:\\x\\a.exe</Command></Exec></Actions></Task>";
  store->tasks[L"\\Vx|VxTask"] = xml;
  // The scheduler itself is left alone through the seam: the deletion runs on the real one and
  // finds nothing; only the backup and the restore go through the store.
  Remove({Row(L"计划任务", L"VxTask", L"\\Vx\\VxTask")}, false, store);
  ASSERT_EQ(Kinds(), (std::map<std::wstring, int>{{kKindTask, 1}}));
  const auto entry = Entries().front();
  EXPECT_EQ(entry.entry.item.Get(L"folder"), L"\\Vx");
  EXPECT_EQ(TextFromUtf16Le(ReadBytes(entry.runFolder + L"\\" + entry.entry.item.Get(L"xml"))), xml);
  // A task of that name that is there again is never replaced.
  EXPECT_EQ(RestoreAll(store), 0);
  store->tasks.clear();
  EXPECT_EQ(RestoreAll(store), 1);
  EXPECT_EQ(store->tasks[L"\\Vx|VxTask"], xml);
}

// Against the real Task Scheduler as far as Wine goes: read the XML of a task, delete it, and
// register it again from its backup.
TEST_F(BackupRestoreTest, TaskComesBackInTheSchedulerOfWine) {
  SchedulerTask task(L"VxBackupTask");
  auto scheduler = SchedulerTaskStore();
  std::wstring xml;
  ASSERT_EQ(scheduler->ReadTaskXml(L"", L"VxBackupTask", xml), ITaskStore::Read::Found);
  EXPECT_NE(xml.find(L"<Task"), std::wstring::npos);
  Remove({Row(L"计划任务", L"VxBackupTask", L"\\VxBackupTask")});
  EXPECT_FALSE(scheduler->TaskExists(L"", L"VxBackupTask"));
  EXPECT_EQ(RestoreAll(), 1) << (messages_.empty() ? L"" : messages_.back());
  ASSERT_TRUE(scheduler->TaskExists(L"", L"VxBackupTask"));
  // Wine writes an Exec action without its command into the XML (a real Windows keeps it), so the
  // definition is compared as Wine gives it.
  std::wstring again;
  ASSERT_EQ(scheduler->ReadTaskXml(L"", L"VxBackupTask", again), ITaskStore::Read::Found);
  EXPECT_EQ(again, xml);
}

TEST_F(BackupRestoreTest, FilesAndFoldersComeBackByHash) {
  TempFolder files{L"vxbkfiles"};
  ::CreateDirectoryW(files.File(L"VxTool").c_str(), nullptr);
  ::CreateDirectoryW(files.File(L"VxTool\\bin").c_str(), nullptr);
  ASSERT_TRUE(WriteBytes(files.File(L"VxTool\\bin\\t.sys"), {'t', 1, 2}));
  ASSERT_TRUE(WriteBytes(files.File(L"VxTool\\readme.txt"), {'r'}));
  ASSERT_TRUE(WriteBytes(files.File(L"del.txt"), {'d', 0, 'x'}));
  ASSERT_TRUE(WriteBytes(files.File(L"bad.dll"), {'b', 'a', 'd'}));
  ASSERT_TRUE(WriteBytes(files.File(L"logon.bat"), {'r', 'e', 'm'}));
  ASSERT_TRUE(WriteBytes(files.File(L"logon.bat.bak"), {'o', 'l', 'd'}));  // deleted to make room: kept too
  TestRegistryKey env(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Environment");
  env.SetString(L"VXSCRIPT", files.File(L"logon.bat"));
  std::map<std::wstring, std::wstring> before;
  for (const wchar_t* f : {L"VxTool", L"del.txt", L"bad.dll", L"logon.bat", L"logon.bat.bak"}) {
    ASSERT_TRUE(HashPath(files.File(f), before[f])) << f;
  }
  answers_ = {{L"处理失败", IDYES}};
  const auto left = Remove({
      Row(L"文件", L"del.txt", L"", files.File(L"del.txt")),
      Row(L"病毒文件", L"bad.dll", L"", files.File(L"bad.dll")),
      Row(L"环境变量", L"VXSCRIPT", std::wstring(L"HKEY_CURRENT_USER\\") + kKey + L"\\Environment", files.File(L"logon.bat")),
      Row(L"驱动", L"vxnosuchdrv", L"", files.File(L"VxTool\\bin\\t.sys"), L"", L"\\vxtool\\"),
  });
  EXPECT_TRUE(left.empty());
  EXPECT_FALSE(IsFile(files.File(L"del.txt")));
  EXPECT_FALSE(IsFile(files.File(L"bad.dll")));
  EXPECT_TRUE(IsFile(Desktop() + L"\\bad.dll.隔离"));
  EXPECT_TRUE(IsFolder(files.File(L"logon.bat")));  // the blocking folder
  EXPECT_TRUE(IsFolder(files.File(L"vxtool_bak")));
  EXPECT_EQ(Kinds(), (std::map<std::wstring, int>{{kKindFileCopy, 2}, {kKindMove, 3}, {kKindValue, 1}}));

  EXPECT_EQ(RestoreAll(), 6) << (messages_.empty() ? L"" : messages_.back());
  for (const auto& [name, hash] : before) {
    std::wstring now;
    ASSERT_TRUE(HashPath(files.File(name), now)) << name;
    EXPECT_EQ(now, hash) << name;
  }
  EXPECT_TRUE(IsFile(files.File(L"logon.bat")));
  EXPECT_FALSE(IsFolder(files.File(L"vxtool_bak")));
  EXPECT_FALSE(IsFile(Desktop() + L"\\bad.dll.隔离"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Environment", L"VXSCRIPT", 0));
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
}

TEST_F(BackupRestoreTest, ABackupThatCannotBeWrittenStopsTheRow) {
  TestRegistryKey run(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Run");
  run.SetString(L"vxrun", L"x");
  // The "program folder" is a file: no backup folder can be made in it.
  ASSERT_TRUE(WriteBytes(program_.File(L"not-a-folder"), {'x'}));
  const Finding row = Row(L"Run", L"vxrun", std::wstring(L"HKEY_CURRENT_USER\\") + kKey + L"\\Run");
  const auto left = Remove({row}, false, nullptr, program_.File(L"not-a-folder"));
  ASSERT_EQ(left.size(), 1u);  // the row stays in the view
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Run", L"vxrun", 0));
  ASSERT_EQ(asked_.size(), 1u);
  EXPECT_EQ(asked_[0].text.rfind(L"无法写入备份，vxrun 未处理完：", 0), 0u) << asked_[0].text;
  EXPECT_EQ(asked_[0].style, static_cast<UINT>(MB_OK | MB_ICONERROR));
}

TEST_F(BackupRestoreTest, RestoringOverAFileThatReappearedAsksFirst) {
  TempFolder files{L"vxbkagain"};
  ASSERT_TRUE(WriteBytes(files.File(L"a.txt"), {'o', 'l', 'd'}));
  Remove({Row(L"文件", L"a.txt", L"", files.File(L"a.txt"))});
  ASSERT_TRUE(WriteBytes(files.File(L"a.txt"), {'n', 'e', 'w'}));
  EXPECT_EQ(RestoreAll(), 0);  // answered No
  ASSERT_EQ(asked_.size(), 1u);
  EXPECT_NE(asked_[0].text.find(L"已经存在"), std::wstring::npos);
  EXPECT_EQ(ReadBytes(files.File(L"a.txt")), (std::vector<unsigned char>{'n', 'e', 'w'}));
  EXPECT_TRUE(Entries().front().restorable);
  answers_ = {{L"已经存在", IDYES}};
  EXPECT_EQ(RestoreAll(), 1);
  EXPECT_EQ(ReadBytes(files.File(L"a.txt")), (std::vector<unsigned char>{'o', 'l', 'd'}));
  // Both attempts are in the day's log.
  const std::wstring log = TextFromUtf16Le(ReadBytes(TodaysLog(L"_Varnex.log")));
  EXPECT_NE(log.find(L"恢复失败：\t文件\ta.txt\t位置：" + files.File(L"a.txt")), std::wstring::npos) << log;
  EXPECT_NE(log.find(L"恢复成功：\t文件\ta.txt\t位置：" + files.File(L"a.txt")), std::wstring::npos) << log;
}

TEST_F(BackupRestoreTest, TwoRunsMakeTwoBackupFolders) {
  TempFolder files{L"vxbktwice"};
  ASSERT_TRUE(WriteBytes(files.File(L"1.txt"), {'1'}));
  ASSERT_TRUE(WriteBytes(files.File(L"2.txt"), {'2'}));
  Remove({Row(L"文件", L"1.txt", L"", files.File(L"1.txt"))});
  Remove({Row(L"文件", L"2.txt", L"", files.File(L"2.txt"))});
  const auto entries = Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_NE(entries[0].runFolder, entries[1].runFolder);
  EXPECT_EQ(entries[0].entry.item.Get(L"name"), L"2.txt");  // newest run first
  // A run that removed nothing leaves no folder.
  Remove({Row(L"进程", L"none", L"")});
  EXPECT_EQ(Entries().size(), 2u);
}

// Damaged, truncated or hand-edited manifests, odd bytes in a .reg, data files gone: what can be
// read is listed, the rest marked, nothing restored from a damaged entry, nothing crashes.
TEST_F(BackupRestoreTest, BadBackupsAreListedAsUnreadableAndRestoreNothing) {
  TestRegistryKey run(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Run");
  for (const wchar_t* name : {L"v1", L"v2", L"v3", L"v4"}) run.SetString(name, name);
  const std::wstring path = std::wstring(L"HKEY_CURRENT_USER\\") + kKey + L"\\Run";
  Remove({Row(L"Run", L"v1", path), Row(L"Run", L"v2", path), Row(L"Run", L"v3", path), Row(L"Run", L"v4", path)});
  auto entries = Entries();
  ASSERT_EQ(entries.size(), 4u);
  const std::wstring folder = entries[0].runFolder;
  const std::wstring manifestPath = folder + L"\\清单.txt";
  auto byName = [&](const std::wstring& n) {
    for (const auto& e : Entries()) {
      if (e.entry.item.Get(L"value") == n) return e;
    }
    return RestoreEntry{};
  };
  // v1: its .reg gets odd bytes; v2: its .reg is gone; v3: its manifest line is edited by hand.
  auto reg1 = ReadBytes(folder + L"\\" + byName(L"v1").entry.item.Get(L"reg"));
  reg1.push_back(0x7F);
  ::DeleteFileW((folder + L"\\" + byName(L"v1").entry.item.Get(L"reg")).c_str());
  ASSERT_TRUE(WriteBytes(folder + L"\\" + byName(L"v1").entry.item.Get(L"reg"), reg1));
  ::DeleteFileW((folder + L"\\" + byName(L"v2").entry.item.Get(L"reg")).c_str());
  std::wstring manifest = TextFromUtf16Le(ReadBytes(manifestPath));
  const auto v3 = manifest.find(L"value=v3");
  ASSERT_NE(v3, std::wstring::npos);
  manifest[v3 + 7] = L'9';
  ::DeleteFileW(manifestPath.c_str());
  ASSERT_TRUE(WriteUtf16File(manifestPath, manifest));

  entries = Entries();
  ASSERT_EQ(entries.size(), 4u);
  int unreadable = 0;
  for (const auto& e : entries) {
    if (!e.entry.readable) ++unreadable;
    std::wstring message;
    const bool restored = RestoreItem(e, RestoreContext{Ask(), nullptr, nullptr, nullptr}, message);
    EXPECT_EQ(restored, e.entry.item.Get(L"value") == L"v4") << message;
  }
  EXPECT_EQ(unreadable, 1);
  EXPECT_EQ(byName(L"v2").state, L"无法恢复：备份文件缺失");
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Run", L"v1", 0));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Run", L"v2", 0));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Run", L"v3", 0));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Run", L"v4", 0));

  // A truncated manifest: the lines before the cut are still read.
  auto bytes = ReadBytes(manifestPath);
  bytes.resize(bytes.size() / 2 + 1);
  ::DeleteFileW(manifestPath.c_str());
  ASSERT_TRUE(WriteBytes(manifestPath, bytes));
  entries = Entries();
  EXPECT_FALSE(entries.empty());
  // The manifest gone, or the whole backup folder gone.
  ::DeleteFileW(manifestPath.c_str());
  entries = Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_FALSE(entries[0].restorable);
  std::wstring message;
  EXPECT_FALSE(RestoreItem(entries[0], RestoreContext{Ask(), nullptr, nullptr, nullptr}, message));
  DeleteTree(folder);
  EXPECT_TRUE(Entries().empty());
}
