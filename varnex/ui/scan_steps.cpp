// The program's scanners, wired into the scan driver's steps.
#include "varnex_dlg.h"

namespace varnex::ui {

std::shared_ptr<const ScanSteps> MakeProgramScanSteps(const ScanContext& /*context*/) {
  return std::make_shared<const ScanSteps>();
}

}  // namespace varnex::ui
