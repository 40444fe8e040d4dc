#include <windows.h>

#include "service_wrapper.h"

#include "../../common/winaccess/registry.h"

namespace varnex {
namespace {

// Any value type is taken as text; a value longer than the 522-byte buffer is not read at all.
std::wstring ReadRawText(HKEY key, const wchar_t* valueName) {
  std::wstring text;
  return winaccess::ReadRegistryRawText(key, valueName, text) ? text : std::wstring();
}

}  // namespace

std::wstring GetServiceWrapperCommand(std::wstring serviceName) {
  std::wstring application;
  std::wstring parameters;
  // Service names cannot hold a backslash; one here would lead the read into another key.
  if (!serviceName.empty() && serviceName.find(L'\\') == std::wstring::npos) {
    const auto key = winaccess::OpenKey(HKEY_LOCAL_MACHINE,
                                        L"SYSTEM\\CurrentControlSet\\services\\" + serviceName + L"\\Parameters",
                                        KEY_QUERY_VALUE);
    if (key) {
      application = ReadRawText(key.get(), L"Application");
      parameters = ReadRawText(key.get(), L"AppParameters");
    }
  }
  return application + L" " + parameters;
}

}  // namespace varnex
