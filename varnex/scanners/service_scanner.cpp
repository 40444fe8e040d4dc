#include <windows.h>

#include <winsvc.h>

#include <vector>

#include "service_scanner.h"

#include "../../common/winaccess/registry.h"
#include "../../common/winaccess/unique_resource.h"
#include "../../common/winaccess/winaccess.h"
#include "../identity/fill_identity.h"

namespace varnex {

namespace {

using winaccess::unique_sc_handle;

struct ServiceConfig {
  DWORD startType = 0;
  std::wstring binaryPath;
};

bool QueryConfig(SC_HANDLE manager, const std::wstring& name, ServiceConfig& out) {
  unique_sc_handle service(::OpenServiceW(manager, name.c_str(), SERVICE_QUERY_CONFIG));
  if (!service) return false;
  DWORD needed = 0;
  if (::QueryServiceConfigW(service.get(), nullptr, 0, &needed) || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
      needed < sizeof(QUERY_SERVICE_CONFIGW)) {
    return false;
  }
  std::vector<BYTE> buffer(needed);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
  if (!::QueryServiceConfigW(service.get(), config, needed, &needed)) return false;
  out.startType = config->dwStartType;
  out.binaryPath = config->lpBinaryPathName != nullptr ? config->lpBinaryPathName : L"";
  return true;
}

ServiceImage ImageOf(SC_HANDLE manager, ServiceKind kind, const std::wstring& name, bool serviceDeleteMode) {
  ServiceConfig config;
  if (!QueryConfig(manager, name, config) || !IsStartTypeExamined(kind, config.startType, serviceDeleteMode)) {
    return {};
  }
  ServiceImage image{config.binaryPath, config.binaryPath};
  if (kind == ServiceKind::Services) {
    std::wstring dll = GetServiceDll(name);
    if (!dll.empty()) image.file = std::move(dll);
  }
  return image;
}

unique_sc_handle OpenManager() { return unique_sc_handle(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)); }

struct ServiceEntry {
  std::wstring name;
  std::wstring displayName;
};

std::vector<ServiceEntry> EnumerateServices(SC_HANDLE manager, ServiceKind kind) {
  const DWORD type = kind == ServiceKind::Drivers ? SERVICE_DRIVER : SERVICE_WIN32;
  DWORD needed = 0, count = 0;
  if (::EnumServicesStatusW(manager, type, SERVICE_STATE_ALL, nullptr, 0, &needed, &count, nullptr) ||
      ::GetLastError() != ERROR_MORE_DATA) {
    return {};
  }
  // Room for entries installed between the two calls, so one call still lists them all.
  needed += 4096;
  std::vector<BYTE> buffer(needed);
  auto* entries = reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data());
  DWORD more = 0;
  // Should the list still have outgrown the buffer, the entries that fitted are listed all the same.
  if (!::EnumServicesStatusW(manager, type, SERVICE_STATE_ALL, entries, needed, &more, &count, nullptr) &&
      ::GetLastError() != ERROR_MORE_DATA) {
    return {};
  }

  std::vector<ServiceEntry> result;
  result.reserve(count);
  for (DWORD i = 0; i < count; ++i) {
    result.push_back({entries[i].lpServiceName != nullptr ? entries[i].lpServiceName : L"",
                      entries[i].lpDisplayName != nullptr ? entries[i].lpDisplayName : L""});
  }
  return result;
}

}  // namespace

void ScanServices(ServiceKind kind, const ScanState& state, IScanWindow& window, const FindingConsumer& consume) {
  window.SetStatusText(kServiceScanStatus);
  unique_sc_handle manager = OpenManager();
  if (!manager) return;

  for (const ServiceEntry& entry : EnumerateServices(manager.get(), kind)) {
    const ServiceImage image = ImageOf(manager.get(), kind, entry.name, state.ServiceDeleteMode);
    if (image.file.empty()) continue;

    Finding f;
    f.Name = entry.name;
    f.FilePath = kind == ServiceKind::Drivers ? winaccess::NormalizeDriverPath(image.file)
                                              : winaccess::NormalizeServicePath(image.file);
    f.BinPath = image.raw;
    FillIdentity(f);
    f.Type = ServiceTypeLabel(kind);
    f.Descrip = entry.displayName;
    f.StartPath = ServiceKeyPath(entry.name);
    consume(std::move(f));
    if (state.StopRequested) break;
  }
}

ServiceImage GetServiceImagePath(const std::wstring& serviceName, bool serviceDeleteMode) {
  unique_sc_handle manager = OpenManager();
  return manager ? ImageOf(manager.get(), ServiceKind::Services, serviceName, serviceDeleteMode) : ServiceImage{};
}

ServiceImage GetDriverImagePath(const std::wstring& serviceName, bool serviceDeleteMode) {
  unique_sc_handle manager = OpenManager();
  return manager ? ImageOf(manager.get(), ServiceKind::Drivers, serviceName, serviceDeleteMode) : ServiceImage{};
}

std::wstring GetServiceDll(const std::wstring& serviceName) {
  const std::wstring serviceKey = L"SYSTEM\\CurrentControlSet\\services\\" + serviceName;
  winaccess::unique_hkey key = winaccess::OpenKey(HKEY_LOCAL_MACHINE, serviceKey + L"\\Parameters", KEY_QUERY_VALUE);
  if (!key) key = winaccess::OpenKey(HKEY_LOCAL_MACHINE, serviceKey, KEY_QUERY_VALUE);
  if (!key) return {};
  std::wstring dll;
  return winaccess::ReadRegistryText(key.get(), L"ServiceDll", dll) ? dll : std::wstring();
}

}  // namespace varnex
