#include "startup_removal.h"

#include "../core/startup_places.h"
#include "file_actions.h"
#include "registry_removal.h"
#include "startup_targets.h"

namespace varnex::remediation {

std::wstring RemoveStartupPlaceItem(const Finding& row, backup::IStepBackup& backup) {
  if (row.Type == kTypeWinlogon) {
    if (const auto repair = WinlogonRepairFor(row)) {
      // The old text is kept in the backup whether the value is repaired or deleted.
      if (!backup.Value(row.StartPath, repair->valueName)) return {};
      backup.Done(repair->defaultText ? WriteRegText(row.StartPath, repair->valueName, *repair->defaultText)
                                      : DeleteRegValue(row.StartPath, repair->valueName));
    }
  } else if (row.Type == kTypeImageHijack) {
    if (const auto valueName = HijackValueNameFor(row)) {
      if (!backup.Value(row.StartPath, *valueName)) return {};
      backup.Done(DeleteRegValue(row.StartPath, *valueName));
    }
  } else if (row.Type == kTypeStartupFolder) {
    if (const auto file = StartupFolderFileFor(row)) return QuarantineFile(row.Name, *file, backup);
  }
  return {};
}

}  // namespace varnex::remediation
