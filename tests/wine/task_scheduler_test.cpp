// The Task Scheduler adapter as far as Wine's scheduler goes: connect, open folders, list
// subfolders, and read a registered task's name, path and first action. Wine cannot list the
// tasks of a folder, so the walk itself is tested with fakes natively.
#include <windows.h>
#include <taskschd.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <thread>

#include "registry_scanner_fixtures.h"
#include "varnex/scanners/com_owners.h"
#include "varnex/scanners/command_resolution.h"
#include "varnex/scanners/task_scheduler.h"

using Microsoft::WRL::ComPtr;
using namespace varnex;
using namespace varnex::scanners;

namespace {

const std::wstring kFolderName = L"VxTestTasks";
const std::wstring kTaskName = L"VxTestUpdater";

class ComThread {
 public:
  ComThread() : ok_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
  ~ComThread() {
    if (ok_) ::CoUninitialize();
  }
  ComThread(const ComThread&) = delete;
  ComThread& operator=(const ComThread&) = delete;

 private:
  bool ok_;
};

// A folder under the root with one task whose first action runs a program and whose second
// action is ignored; both removed at the end.
class RegisteredTestTask {
 public:
  explicit RegisteredTestTask(ITaskService* service) : service_(service) {
    const unique_bstr root(L"\\");
    if (FAILED(service->GetFolder(root.get(), &root_))) return;
    const unique_bstr folderName(kFolderName);
    const unique_variant noSecurity;
    root_->CreateFolder(folderName.get(), noSecurity.get(), &folder_);
    if (!folder_) return;

    ComPtr<ITaskDefinition> definition;
    if (FAILED(service->NewTask(0, &definition))) return;
    ComPtr<IActionCollection> actions;
    definition->get_Actions(&actions);
    AddExec(actions.Get(), L"Updater.exe", L"-q", L"C:\\Program Files\\Vendor");
    AddExec(actions.Get(), L"second.exe", L"", L"");
    const unique_bstr taskName(kTaskName);
    const unique_variant user, password, sddl;
    ComPtr<IRegisteredTask> registered;
    registered_ = SUCCEEDED(folder_->RegisterTaskDefinition(taskName.get(), definition.Get(), TASK_CREATE_OR_UPDATE,
                                                            user.get(), password.get(), TASK_LOGON_INTERACTIVE_TOKEN,
                                                            sddl.get(), &registered));
  }
  ~RegisteredTestTask() {
    if (folder_) {
      const unique_bstr taskName(kTaskName);
      folder_->DeleteTask(taskName.get(), 0);
    }
    if (root_) {
      const unique_bstr folderName(kFolderName);
      root_->DeleteFolder(folderName.get(), 0);
    }
  }
  RegisteredTestTask(const RegisteredTestTask&) = delete;
  RegisteredTestTask& operator=(const RegisteredTestTask&) = delete;

  bool Registered() const { return registered_; }
  ComPtr<IRegisteredTask> Get() const {
    ComPtr<IRegisteredTask> task;
    const unique_bstr taskName(kTaskName);
    if (folder_) folder_->GetTask(taskName.get(), &task);
    return task;
  }

 private:
  static void AddExec(IActionCollection* actions, const wchar_t* path, const wchar_t* arguments,
                      const wchar_t* directory) {
    ComPtr<IAction> action;
    if (actions == nullptr || FAILED(actions->Create(TASK_ACTION_EXEC, &action))) return;
    ComPtr<IExecAction> exec;
    if (FAILED(action.As(&exec))) return;
    const unique_bstr p(path), a(arguments), d(directory);
    exec->put_Path(p.get());
    if (*arguments) exec->put_Arguments(a.get());
    if (*directory) exec->put_WorkingDirectory(d.get());
  }

  ITaskService* service_;
  ComPtr<ITaskFolder> root_;
  ComPtr<ITaskFolder> folder_;
  bool registered_ = false;
};

}  // namespace

TEST(TaskSchedulerAdapterWine, ConnectFoldersAndReadRegisteredTask) {
  const ComThread com;
  const auto service = ConnectTaskService();
  ASSERT_TRUE(service);
  ASSERT_TRUE(OpenTaskFolder(service.Get(), L"\\"));
  EXPECT_FALSE(OpenTaskFolder(service.Get(), L"\\VxNoSuchFolder"));
  EXPECT_FALSE(OpenTaskFolder(nullptr, L"\\"));

  const RegisteredTestTask fixture(service.Get());
  ASSERT_TRUE(fixture.Registered());
  ASSERT_TRUE(OpenTaskFolder(service.Get(), L"\\" + kFolderName));
  EXPECT_FALSE(OpenTaskFolder(service.Get(), L"\\")->Subfolders().empty());

  const ComScheduledTask task(fixture.Get());
  EXPECT_EQ(task.Name(), kTaskName);
  EXPECT_EQ(task.Path(), L"\\" + kFolderName + L"\\" + kTaskName);
  // Wine stores no actions and its action count is a stub, so the first action reads as absent
  // there; a real scheduler gives the program, its arguments and its working directory.
  const auto stored = task.FirstAction();
  if (stored) {
    EXPECT_EQ(stored->kind, TaskAction::Kind::Exec);
    EXPECT_EQ(stored->program, L"Updater.exe");
    EXPECT_EQ(stored->arguments, L"-q");
    EXPECT_EQ(stored->workingDirectory, L"C:\\Program Files\\Vendor");
  } else {
    RecordProperty("first_action", "not readable from this scheduler");
  }
  TaskAction action;
  action.kind = TaskAction::Kind::Exec;
  action.program = L"Updater.exe";
  action.arguments = L"-q";
  action.workingDirectory = L"C:\\Program Files\\Vendor";

  // The Finding the walk makes of it, with the real resolution.
  std::vector<Finding> found;
  const TaskScanSeams seams{[](const std::wstring& c) { return ResolveCommandPath(c); },
                            [](const std::wstring& c) { return GetComServerPath(c); }, registry_test::MarkIdentity,
                            [&](Finding f) { found.push_back(std::move(f)); }};
  const Finding f = ScheduledTaskFinding(*task.Name(), task.Path(), action, seams);
  EXPECT_EQ(f.FilePath, L"c:\\program files\\vendor\\updater.exe");
  EXPECT_EQ(f.BinPath, L"C:\\Program Files\\Vendor\\updater.exe -q");
  EXPECT_EQ(f.StartPath, L"\\VxTestTasks\\VxTestUpdater");
  EXPECT_EQ(f.Type, L"计划任务");

  // Walking the test folder through the adapter: a real scheduler lists the one task (Wine lists
  // none); whatever is listed carries the task's path.
  ScanTaskFolder(*OpenTaskFolder(service.Get(), L"\\" + kFolderName), seams);
  ScanTaskSubfolders(*OpenTaskFolder(service.Get(), L"\\" + kFolderName), seams);
  EXPECT_LE(found.size(), 1u);
  for (const auto& listed : found) EXPECT_EQ(listed.StartPath, L"\\VxTestTasks\\VxTestUpdater");
}

TEST(TaskSchedulerAdapterWine, ScanRunsOnItsOwnThread) {
  // Wine lists no tasks, so only the frame shows here: the status text, COM set up and torn down
  // on the scanning thread, and well-formed Findings if any appear.
  registry_test::RecordingWindow window;
  std::vector<Finding> found;
  std::thread worker([&] {
    ScanScheduledTasks(window, registry_test::MarkIdentity, [&](Finding f) { found.push_back(std::move(f)); });
  });
  worker.join();
  EXPECT_EQ(window.statusTexts, std::vector<std::wstring>{L"正在扫描计划任务..."});
  for (const auto& f : found) EXPECT_EQ(f.Type, L"计划任务");
}
