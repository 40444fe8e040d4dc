#include "startup_removal.h"

#include "../core/startup_places.h"
#include "file_actions.h"
#include "registry_removal.h"
#include "startup_targets.h"

namespace varnex::remediation {

std::wstring RemoveStartupPlaceItem(const Finding& row) {
  if (row.Type == kTypeWinlogon) {
    if (const auto repair = WinlogonRepairFor(row)) {
      if (repair->defaultText) {
        WriteRegText(row.StartPath, repair->valueName, *repair->defaultText);
      } else {
        DeleteRegValue(row.StartPath, repair->valueName);
      }
    }
  } else if (row.Type == kTypeImageHijack) {
    if (const auto valueName = HijackValueNameFor(row)) DeleteRegValue(row.StartPath, *valueName);
  } else if (row.Type == kTypeStartupFolder) {
    if (const auto file = StartupFolderFileFor(row)) return QuarantineFile(row.Name, *file);
  }
  return {};
}

}  // namespace varnex::remediation
