#include <windows.h>

#include "window_identity.h"

#include "common/text/text_rules.h"
#include "common/winaccess/unique_resource.h"
#include "common/winaccess/winaccess.h"

namespace spotlark {

namespace {
// PROCESS_ALL_ACCESS as older Windows versions define it, accepted by every version.
constexpr DWORD kProcessAllAccessLegacy = 0x1F0FFF;
}  // namespace

LocatorVersionTexts ReadLocatorVersionTexts(const std::wstring& path) {
  // The same redirection rule as the reader itself, so the existence test looks where it reads.
  winaccess::DisableWow64Redirection();
  if (path.empty() || ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return {};
  const winaccess::VersionInfo version(path);
  return {version.FileDescription(), version.ProductName(), version.CompanyName(), version.String(L"LegalCopyright")};
}

WindowProcess GetWindowProcessPath(HWND window) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  WindowProcess result;
  result.pid = std::to_wstring(pid);
  winaccess::unique_handle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid));
  if (process) result.path = winaccess::GetProcessImagePath(process.get());
  return result;
}

bool EndProcessById(const std::wstring& pidText) {
  unsigned long pid = 0;
  if (!text::ParseUnsigned(pidText, pid) || pid == 0 || pid > 0xFFFFFFFFul) return false;
  winaccess::unique_handle process(::OpenProcess(kProcessAllAccessLegacy, FALSE, static_cast<DWORD>(pid)));
  return process && ::TerminateProcess(process.get(), 0) != FALSE;
}

std::wstring WindowTextOf(HWND window) {
  wchar_t buffer[512] = {};
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 1000,
                             &copied)) {
    return {};
  }
  return text::FromBuffer(buffer, 512);
}

}  // namespace spotlark
