// Installed services and drivers: one Finding per entry whose start type is examined, naming the
// file the entry loads (for a shared-process service its ServiceDll, not the host program),
// completed with FillIdentity and handed to the consumer.
//
// From a scan step (drivers = false for services, true for drivers):
//   varnex::ScanServices(drivers ? varnex::ServiceKind::Drivers : varnex::ServiceKind::Services,
//                        *context.state, *context.window, classifier.Consumer());
#pragma once

#include <string>

#include "../core/scan_state.h"
#include "../core/scan_window.h"
#include "finding_consumer.h"
#include "service_rules.h"

namespace varnex {

inline constexpr const wchar_t* kServiceScanStatus = L"正在扫描服务驱动...";

// Stops the walk after the classified entry during which StopRequested became set.
void ScanServices(ServiceKind kind, const ScanState& state, IScanWindow& window, const FindingConsumer& consume);

struct ServiceImage {
  std::wstring file;  // the text to normalise into FilePath
  std::wstring raw;   // the image path as the service manager holds it
};

// Both texts "" when the entry cannot be read or its start type is not examined. For services the
// file is the ServiceDll when there is one, else the image path; for drivers both are the image
// path.
ServiceImage GetServiceImagePath(const std::wstring& serviceName, bool serviceDeleteMode);
ServiceImage GetDriverImagePath(const std::wstring& serviceName, bool serviceDeleteMode);

// The "ServiceDll" value under the service's "Parameters" key, or under the service key itself
// when there is no "Parameters" key; "" when absent or longer than 260 characters.
std::wstring GetServiceDll(const std::wstring& serviceName);

}  // namespace varnex
