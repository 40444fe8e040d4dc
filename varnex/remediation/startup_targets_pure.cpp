#include "startup_targets.h"

#include "../../common/text/text_rules.h"
#include "../core/startup_places.h"

namespace varnex::remediation {
namespace {

// True when the lower-cased key path ends in the parent mark followed by the lower-case name.
bool EndsInKey(const std::wstring& keyPath, const std::wstring& lowerName, const std::wstring& lowerParentMark) {
  const std::wstring lowered = text::LowerAZ(keyPath);
  const std::wstring tail = lowerParentMark + lowerName;
  return !lowerName.empty() && lowered.size() > tail.size() && text::EndsWith(lowered, tail);
}

}  // namespace

std::optional<WinlogonRepair> WinlogonRepairFor(const Finding& row) {
  if (!EndsInKey(row.StartPath, L"winlogon", L"\\windows nt\\currentversion\\")) return std::nullopt;
  if (row.Name == L"Shell") return WinlogonRepair{row.Name, std::wstring(kDefaultShell)};
  if (row.Name == L"Userinit") return WinlogonRepair{row.Name, std::wstring(kDefaultUserinit)};
  if (row.Name == L"Taskman") return WinlogonRepair{row.Name, std::nullopt};
  return std::nullopt;
}

std::optional<std::wstring> HijackValueNameFor(const Finding& row) {
  if (row.Name.find_first_of(L"\\/") != std::wstring::npos) return std::nullopt;
  const std::wstring name = text::LowerAZ(row.Name);
  if (EndsInKey(row.StartPath, name, L"\\windows nt\\currentversion\\image file execution options\\")) {
    return std::wstring(L"Debugger");
  }
  if (EndsInKey(row.StartPath, name, L"\\windows nt\\currentversion\\silentprocessexit\\")) {
    return std::wstring(L"MonitorProcess");
  }
  return std::nullopt;
}

std::optional<std::wstring> StartupFolderFileFor(const Finding& row) {
  if (row.StartPath.empty() || row.Name.empty() || row.Name == L"." || row.Name == L"..") return std::nullopt;
  if (row.Name.find_first_of(L"\\/:") != std::wstring::npos) return std::nullopt;
  std::wstring folder = row.StartPath;
  if (folder.back() == L'\\') folder.pop_back();
  if (folder.empty()) return std::nullopt;
  return folder + L"\\" + row.Name;
}

}  // namespace varnex::remediation
