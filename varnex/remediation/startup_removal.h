// The removal of the startup places beyond the Run keys: a Winlogon value is repaired, a debugger
// or exit monitor value deleted with nothing else of its key, a Startup-folder file quarantined.
#pragma once

#include <string>

#include "../core/finding.h"
#include "../backup/step_backup.h"

namespace varnex::remediation {

// Acts on a row of Type "Winlogon", "映像劫持" or "启动文件夹"; a row that does not name exactly
// such an item is left alone. Each step is backed up first (no step runs without its backup).
// Answers the numbered quarantine name a file had to take, if any.
std::wstring RemoveStartupPlaceItem(const Finding& row, backup::IStepBackup& backup);

}  // namespace varnex::remediation
