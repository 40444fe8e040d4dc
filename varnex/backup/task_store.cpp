#include <windows.h>

#include "task_store.h"

#include <oleauto.h>
#include <taskschd.h>
#include <wrl/client.h>

#include "task_logon_pure.h"

namespace varnex::backup {
namespace {

using Microsoft::WRL::ComPtr;

const CLSID kTaskSchedulerClass = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};

struct Apartment {
  Apartment() : ok(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
    if (!ok) return;
    ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_PRIVACY, RPC_C_IMP_LEVEL_IMPERSONATE,
                           nullptr, EOAC_NONE, nullptr);
  }
  ~Apartment() {
    if (ok) ::CoUninitialize();
  }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;
  bool ok;
};

struct Bstr {
  explicit Bstr(const std::wstring& s) : value(::SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
  Bstr() = default;
  ~Bstr() { ::SysFreeString(value); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  std::wstring Text() const { return value ? std::wstring(value, ::SysStringLen(value)) : std::wstring(); }
  BSTR value = nullptr;
};

struct Variant {
  Variant() { ::VariantInit(&value); }
  explicit Variant(const std::wstring& s) : Variant() {
    if (s.empty()) return;
    value.vt = VT_BSTR;
    value.bstrVal = ::SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
  }
  ~Variant() { ::VariantClear(&value); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT value;
};

std::wstring FolderPath(const std::wstring& folder) { return folder.empty() ? L"\\" : folder; }

ComPtr<ITaskService> Connect() {
  ComPtr<ITaskService> service;
  if (FAILED(::CoCreateInstance(kTaskSchedulerClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskService),
                                reinterpret_cast<void**>(service.GetAddressOf()))) ||
      !service) {
    return nullptr;
  }
  const Variant server, user, domain, password;
  if (FAILED(service->Connect(server.value, user.value, domain.value, password.value))) return nullptr;
  return service;
}

ComPtr<ITaskFolder> Folder(ITaskService& service, const std::wstring& folder, bool create) {
  ComPtr<ITaskFolder> result;
  const Bstr path(FolderPath(folder));
  if (SUCCEEDED(service.GetFolder(path.value, &result)) && result) return result;
  if (!create) return nullptr;
  ComPtr<ITaskFolder> root;
  const Bstr rootPath(L"\\");
  if (FAILED(service.GetFolder(rootPath.value, &root)) || !root) return nullptr;
  const Variant sddl;
  result.Reset();
  if (FAILED(root->CreateFolder(path.value, sddl.value, &result))) return nullptr;
  return result;
}

class SchedulerStore : public ITaskStore {
 public:
  Read ReadTaskXml(const std::wstring& folder, const std::wstring& name, std::wstring& xml) override {
    const Apartment apartment;
    if (!apartment.ok) return Read::Failed;
    auto service = Connect();
    if (!service) return Read::Failed;
    auto f = Folder(*service.Get(), folder, false);
    if (!f) return Read::Missing;
    ComPtr<IRegisteredTask> task;
    const Bstr taskName(name);
    if (FAILED(f->GetTask(taskName.value, &task)) || !task) return Read::Missing;
    Bstr text;
    if (FAILED(task->get_Xml(&text.value)) || text.Text().empty()) return Read::Failed;
    xml = text.Text();
    return Read::Found;
  }

  bool TaskExists(const std::wstring& folder, const std::wstring& name) override {
    const Apartment apartment;
    auto service = apartment.ok ? Connect() : nullptr;
    auto f = service ? Folder(*service.Get(), folder, false) : nullptr;
    if (!f) return false;
    ComPtr<IRegisteredTask> task;
    const Bstr taskName(name);
    return SUCCEEDED(f->GetTask(taskName.value, &task)) && task;
  }

  bool RegisterTaskXml(const std::wstring& folder, const std::wstring& name, const std::wstring& xml,
                       std::wstring& problem) override {
    const Apartment apartment;
    auto service = apartment.ok ? Connect() : nullptr;
    if (!service) {
      problem = L"无法连接任务计划程序";
      return false;
    }
    auto f = Folder(*service.Get(), folder, true);
    if (!f) {
      problem = L"无法打开或创建任务文件夹 " + FolderPath(folder);
      return false;
    }
    const TaskLogon logon = TaskLogonOf(xml);
    const Bstr taskName(name), text(xml);
    const Variant user(logon.user), password, sddl;
    ComPtr<IRegisteredTask> registered;
    const HRESULT hr = f->RegisterTask(taskName.value, text.value, TASK_CREATE, user.value, password.value,
                                       static_cast<TASK_LOGON_TYPE>(logon.type), sddl.value, &registered);
    if (FAILED(hr)) {
      wchar_t code[16] = {};
      ::swprintf(code, 16, L"0x%08lx", static_cast<unsigned long>(hr));
      problem = L"任务注册失败，错误" + std::wstring(code);
      return false;
    }
    return true;
  }
};

}  // namespace

std::shared_ptr<ITaskStore> SchedulerTaskStore() { return std::make_shared<SchedulerStore>(); }

}  // namespace varnex::backup
