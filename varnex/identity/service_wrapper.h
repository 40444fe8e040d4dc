// The command a service-wrapper service (a generic program that starts another one) is set up to
// run, as read from the service's Parameters key.
#pragma once

#include <string>

namespace varnex {

// "Application" and "AppParameters" of HKLM\SYSTEM\CurrentControlSet\services\<name>\Parameters,
// joined by one blank. Each value is read raw into 522 bytes as UTF-16 text, whatever its type and
// unexpanded; a missing or longer value reads as "". A service without the key gives " ".
std::wstring GetServiceWrapperCommand(std::wstring serviceName);

}  // namespace varnex
