#include "service_removal.h"

#include "../../common/winaccess/unique_resource.h"

namespace varnex::remediation {

bool DisableService(const ServiceContext& context, std::wstring serviceName, DWORD startType, bool stop) {
  if (context.manager == nullptr) return false;
  auto report = [&](const std::wstring& text) { context.ask(context.owner, text, kProgramCaption, MB_OK); };

  const DWORD access = SERVICE_CHANGE_CONFIG | SERVICE_QUERY_STATUS | SERVICE_STOP |
                       (context.serviceDeleteMode ? DELETE : 0);
  winaccess::unique_sc_handle service(::OpenServiceW(context.manager, serviceName.c_str(), access));
  if (!service) {
    report(serviceName + L"拒绝访问！错误代码：" + ErrorText(::GetLastError()));
    return false;
  }
  SERVICE_STATUS status{};
  if (!::QueryServiceStatus(service.get(), &status)) return false;

  bool result = true;
  // Without the database lock the start type stays as it is; that is not counted as a failure.
  if (SC_LOCK lock = ::LockServiceDatabase(context.manager)) {
    if (!::ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr)) {
      report(L"禁止服务" + serviceName + L"失败！错误代码：" + ErrorText(::GetLastError()));
      result = false;
    }
    ::UnlockServiceDatabase(lock);
  }
  if (stop && status.dwCurrentState == SERVICE_RUNNING) {
    SERVICE_STATUS stopped{};
    if (!::ControlService(service.get(), SERVICE_CONTROL_STOP, &stopped)) {
      report(L"无法停止服务：" + serviceName + L"！错误代码：" + ErrorText(::GetLastError()));
      result = false;
    }
  }
  if (context.serviceDeleteMode && !::DeleteService(service.get())) {
    report(L"删除服务" + serviceName + L"失败！错误代码：" + ErrorText(::GetLastError()));
    result = false;
  }
  return result;
}

}  // namespace varnex::remediation
