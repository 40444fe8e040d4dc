#include <windows.h>

#include "service_wrapper.h"

#include <vector>

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/registry.h"

namespace varnex {
namespace {

// Any value type is taken as UTF-16 text up to its first 0 or the end of the data; a value longer
// than the 522-byte buffer is not read at all.
std::wstring ReadRawText(HKEY key, const wchar_t* valueName) {
  constexpr DWORD kBytes = winaccess::kRegistryDataBytes;
  // Spare zeros past the size handed to the API keep a value that fills the buffer terminated.
  std::vector<BYTE> buffer(kBytes + sizeof(wchar_t), 0);
  DWORD size = kBytes;
  if (::RegQueryValueExW(key, valueName, nullptr, nullptr, buffer.data(), &size) != ERROR_SUCCESS) return {};
  const DWORD used = size < kBytes ? size : kBytes;
  return text::FromBuffer(reinterpret_cast<const wchar_t*>(buffer.data()), used / sizeof(wchar_t));
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
