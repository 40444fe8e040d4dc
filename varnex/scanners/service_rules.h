// Which installed services and drivers the service scanner examines, and how their Findings are
// labelled. No Windows API here.
#pragma once

#include <string>

namespace varnex {

enum class ServiceKind { Services = 0, Drivers = 1 };

// Services: automatic (2) and on-demand (3) starts. Drivers: every start type except on demand (3)
// and disabled (4). In service-deletion mode every start type of both kinds.
bool IsStartTypeExamined(ServiceKind kind, unsigned long startType, bool serviceDeleteMode);

const wchar_t* ServiceTypeLabel(ServiceKind kind);  // "服务" or "驱动"

// "HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\services\" + name
std::wstring ServiceKeyPath(const std::wstring& serviceName);

}  // namespace varnex
