#include <windows.h>

#include "task_removal.h"

#include <oleauto.h>
#include <taskschd.h>
#include <wrl/client.h>

namespace varnex::remediation {
namespace {

using Microsoft::WRL::ComPtr;

// This toolchain's uuid library lacks the scheduler's class id.
const CLSID kTaskSchedulerClass = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};

class ComApartment {
 public:
  ComApartment() : ok_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
  ~ComApartment() {
    if (ok_) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  bool Ok() const { return ok_; }

 private:
  bool ok_;
};

class Bstr {
 public:
  explicit Bstr(const std::wstring& s) : value_(::SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
  Bstr() = default;
  ~Bstr() { ::SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return value_; }
  BSTR* put() {
    ::SysFreeString(value_);
    value_ = nullptr;
    return &value_;
  }

 private:
  BSTR value_ = nullptr;
};

class Variant {
 public:
  Variant() { ::VariantInit(&value_); }
  explicit Variant(LONG i) : Variant() {
    value_.vt = VT_I4;
    value_.lVal = i;
  }
  ~Variant() { ::VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  const VARIANT& get() const { return value_; }

 private:
  VARIANT value_;
};

ComPtr<ITaskFolder> OpenFolder(const std::wstring& folderPath) {
  ComPtr<ITaskService> service;
  if (FAILED(::CoCreateInstance(kTaskSchedulerClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskService),
                                reinterpret_cast<void**>(service.GetAddressOf()))) ||
      !service) {
    return nullptr;
  }
  const Variant server, user, domain, password;  // the local machine, the current user
  if (FAILED(service->Connect(server.get(), user.get(), domain.get(), password.get()))) return nullptr;
  const Bstr path(folderPath);
  ComPtr<ITaskFolder> folder;
  if (FAILED(service->GetFolder(path.get(), &folder))) return nullptr;
  return folder;
}

// A running task is stopped before its deletion; the name must match exactly.
void StopTaskNamed(ITaskFolder& folder, const std::wstring& taskName) {
  ComPtr<IRegisteredTaskCollection> tasks;
  if (FAILED(folder.GetTasks(0, &tasks)) || !tasks) return;
  LONG count = 0;
  if (FAILED(tasks->get_Count(&count))) return;
  for (LONG i = 1; i <= count; ++i) {
    ComPtr<IRegisteredTask> task;
    const Variant index(i);
    if (FAILED(tasks->get_Item(index.get(), &task)) || !task) continue;
    Bstr name;
    if (FAILED(task->get_Name(name.put())) || name.get() == nullptr) continue;
    if (taskName == std::wstring(name.get(), ::SysStringLen(name.get()))) {
      task->Stop(0);
      return;
    }
  }
}

}  // namespace

bool DeleteScheduledTask(std::wstring taskName, std::wstring folderPath) {
  const ComApartment apartment;
  if (!apartment.Ok()) return false;
  const HRESULT security = ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_PRIVACY,
                                                  RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  if (FAILED(security) && security != RPC_E_TOO_LATE) return false;
  ComPtr<ITaskFolder> folder = OpenFolder(folderPath);
  if (!folder) return false;
  StopTaskNamed(*folder.Get(), taskName);
  const Bstr name(taskName);
  return SUCCEEDED(folder->DeleteTask(name.get(), 0));
}

}  // namespace varnex::remediation
