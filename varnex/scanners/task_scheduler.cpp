#include "task_scheduler.h"

#include "com_owners.h"
#include "command_resolution.h"

using Microsoft::WRL::ComPtr;

namespace varnex::scanners {

const CLSID kClsidTaskScheduler = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};
const IID kIidComHandlerAction = {0x6d2fd252, 0x75c5, 0x4f66, {0x90, 0xba, 0x2a, 0x7d, 0x8c, 0xc3, 0x03, 0x9f}};

namespace {

// IComHandlerAction as Windows publishes it; only its class identifier is read.
struct ComHandlerActionAbi : public IAction {
  virtual HRESULT STDMETHODCALLTYPE get_ClassId(BSTR* classId) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_ClassId(BSTR classId) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Data(BSTR* data) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Data(BSTR data) = 0;
};

TaskAction ReadExecAction(IExecAction& exec) {
  TaskAction action;
  action.kind = TaskAction::Kind::Exec;
  action.program = ReadBstr([&](BSTR* out) { return exec.get_Path(out); });
  action.workingDirectory = ReadBstr([&](BSTR* out) { return exec.get_WorkingDirectory(out); });
  action.arguments = ReadBstr([&](BSTR* out) { return exec.get_Arguments(out); });
  return action;
}

TaskAction ReadComHandlerAction(ComHandlerActionAbi& handler) {
  TaskAction action;
  action.kind = TaskAction::Kind::ComHandler;
  action.classId = ReadBstr([&](BSTR* out) { return handler.get_ClassId(out); });
  return action;
}

// Releases COM for this thread at the end of the scan, if the scan initialised it.
class ComApartment {
 public:
  ComApartment() : initialised_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (initialised_) ::CoUninitialize();
  }
  explicit operator bool() const { return initialised_; }

 private:
  bool initialised_;
};

}  // namespace

std::optional<std::wstring> ComScheduledTask::Name() const {
  return ReadBstr([&](BSTR* out) { return task_->get_Name(out); });
}

std::optional<std::wstring> ComScheduledTask::Path() const {
  return ReadBstr([&](BSTR* out) { return task_->get_Path(out); });
}

std::optional<TaskAction> ComScheduledTask::FirstAction() const {
  ComPtr<ITaskDefinition> definition;
  if (FAILED(task_->get_Definition(&definition)) || !definition) return std::nullopt;
  ComPtr<IActionCollection> actions;
  if (FAILED(definition->get_Actions(&actions)) || !actions) return std::nullopt;
  LONG count = 0;
  if (FAILED(actions->get_Count(&count)) || count <= 0) return std::nullopt;
  ComPtr<IAction> first;
  if (FAILED(actions->get_Item(1, &first)) || !first) return std::nullopt;

  ComPtr<IExecAction> exec;
  if (SUCCEEDED(first->QueryInterface(__uuidof(IExecAction), reinterpret_cast<void**>(exec.GetAddressOf()))) && exec) {
    return ReadExecAction(*exec.Get());
  }
  ComPtr<ComHandlerActionAbi> handler;
  if (SUCCEEDED(first->QueryInterface(kIidComHandlerAction, reinterpret_cast<void**>(handler.GetAddressOf()))) &&
      handler) {
    return ReadComHandlerAction(*handler.Get());
  }
  return TaskAction{};
}

std::vector<std::unique_ptr<IScheduledTaskView>> ComTaskFolder::Tasks() const {
  std::vector<std::unique_ptr<IScheduledTaskView>> tasks;
  ComPtr<IRegisteredTaskCollection> collection;
  // Flags 0: hidden tasks are left out.
  if (FAILED(folder_->GetTasks(0, &collection)) || !collection) return tasks;
  LONG count = 0;
  if (FAILED(collection->get_Count(&count))) return tasks;
  for (LONG i = 1; i <= count; ++i) {  // the collection is 1-based
    ComPtr<IRegisteredTask> task;
    const unique_variant index(i);
    if (SUCCEEDED(collection->get_Item(index.get(), &task)) && task) {
      tasks.push_back(std::make_unique<ComScheduledTask>(std::move(task)));
    }
  }
  return tasks;
}

std::vector<std::unique_ptr<ITaskFolderView>> ComTaskFolder::Subfolders() const {
  std::vector<std::unique_ptr<ITaskFolderView>> folders;
  ComPtr<ITaskFolderCollection> collection;
  if (FAILED(folder_->GetFolders(0, &collection)) || !collection) return folders;
  LONG count = 0;
  if (FAILED(collection->get_Count(&count))) return folders;
  for (LONG i = 1; i <= count; ++i) {
    ComPtr<ITaskFolder> folder;
    const unique_variant index(i);
    if (SUCCEEDED(collection->get_Item(index.get(), &folder)) && folder) {
      folders.push_back(std::make_unique<ComTaskFolder>(std::move(folder)));
    }
  }
  return folders;
}

ComPtr<ITaskService> ConnectTaskService() {
  ComPtr<ITaskService> service;
  if (FAILED(::CoCreateInstance(kClsidTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskService),
                                reinterpret_cast<void**>(service.GetAddressOf()))) ||
      !service) {
    return nullptr;
  }
  // Empty variants: the local machine, the current user.
  const unique_variant server, user, domain, password;
  if (FAILED(service->Connect(server.get(), user.get(), domain.get(), password.get()))) return nullptr;
  return service;
}

std::unique_ptr<ComTaskFolder> OpenTaskFolder(ITaskService* service, const std::wstring& path) {
  if (service == nullptr) return nullptr;
  const unique_bstr folderPath(path);
  ComPtr<ITaskFolder> folder;
  if (FAILED(service->GetFolder(folderPath.get(), &folder)) || !folder) return nullptr;
  return std::make_unique<ComTaskFolder>(std::move(folder));
}

void ScanScheduledTasks(IScanWindow& window, const IdentityFiller& fillIdentity, const FindingConsumer& consume) {
  window.SetStatusText(L"正在扫描计划任务...");
  const ComApartment apartment;
  if (!apartment) return;
  const HRESULT security = ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_PRIVACY,
                                                  RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  if (FAILED(security) && security != RPC_E_TOO_LATE) return;

  std::unique_ptr<ComTaskFolder> root;
  {
    const auto service = ConnectTaskService();
    root = OpenTaskFolder(service.Get(), L"\\");
  }
  if (!root) return;

  const TaskScanSeams seams{[](const std::wstring& command) { return ResolveCommandPath(command); },
                            [](const std::wstring& clsid) { return GetComServerPath(clsid); }, fillIdentity, consume};
  ScanTaskFolder(*root, seams);
  ScanTaskSubfolders(*root, seams);
}

}  // namespace varnex::scanners
