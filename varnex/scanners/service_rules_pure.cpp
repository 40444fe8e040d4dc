#include "service_rules.h"

namespace varnex {

namespace {
constexpr unsigned long kAutoStart = 2;
constexpr unsigned long kDemandStart = 3;
constexpr unsigned long kDisabled = 4;
}  // namespace

bool IsStartTypeExamined(ServiceKind kind, unsigned long startType, bool serviceDeleteMode) {
  if (serviceDeleteMode) return true;
  if (kind == ServiceKind::Services) return startType == kAutoStart || startType == kDemandStart;
  return startType != kDemandStart && startType != kDisabled;
}

const wchar_t* ServiceTypeLabel(ServiceKind kind) { return kind == ServiceKind::Drivers ? L"驱动" : L"服务"; }

std::wstring ServiceKeyPath(const std::wstring& serviceName) {
  return L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\services\\" + serviceName;
}

}  // namespace varnex
