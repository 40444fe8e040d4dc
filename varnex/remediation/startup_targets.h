// What the removal of a startup-place row changes, worked out from the row's texts before anything
// is touched: the logon value to repair, the hijacking value to delete, the Startup-folder file to
// move away. Each answers nothing when the row does not name exactly such an item.
#pragma once

#include <optional>
#include <string>

#include "../core/finding.h"

namespace varnex::remediation {

// A Winlogon value is never deleted where Windows has a default: Shell and Userinit get their
// default text written back; only the added Taskman is deleted.
struct WinlogonRepair {
  std::wstring valueName;
  std::optional<std::wstring> defaultText;  // nullopt: delete the value
};
// For a row whose StartPath ends in "\Winlogon" and whose Name is Shell, Userinit or Taskman.
std::optional<WinlogonRepair> WinlogonRepairFor(const Finding& row);

// The value that starts the other program: "MonitorProcess" under SilentProcessExit, "Debugger"
// under Image File Execution Options. The key must be the program's own key, named by Name.
std::optional<std::wstring> HijackValueNameFor(const Finding& row);

// StartPath + "\" + Name, when Name is a plain file name (no folder part, not "." or "..").
std::optional<std::wstring> StartupFolderFileFor(const Finding& row);

}  // namespace varnex::remediation
