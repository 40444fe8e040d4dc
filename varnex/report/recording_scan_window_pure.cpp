#include "recording_scan_window.h"

namespace varnex::report {

void RecordingScanWindow::PostFinding(const Finding& finding) {
  state_->Findings.Append(finding);
  state_->PostedCount = state_->PostedCount + 1;
}

std::vector<Finding> ListedItems(const FindingList& findings) {
  std::vector<Finding> items;
  for (std::size_t i = 0; i < findings.Size(); ++i) {
    auto finding = findings.At(i);
    if (!finding) break;
    finding->Id = std::to_wstring(i);
    items.push_back(std::move(*finding));
  }
  return items;
}

}  // namespace varnex::report
