// The scan's window in a headless run: no window at all. Findings go to the FindingList as the
// dialog's would; status texts and titles are kept for the report; buttons do not exist.
#pragma once

#include <memory>

#include "../core/scan_state.h"
#include "../core/scan_window.h"
#include "scan_facts.h"

namespace varnex::report {

class RecordingScanWindow : public IScanWindow {
 public:
  explicit RecordingScanWindow(std::shared_ptr<ScanState> state) : state_(std::move(state)) {}

  void PostFinding(const Finding& finding) override;
  void SetStatusText(const std::wstring& text) override { facts_.OnStatus(text); }
  void SetTitle(const std::wstring& text) override { facts_.OnTitle(text); }
  void SetActionButtonText(const std::wstring&) override {}
  void EnableRescanButton(bool) override {}

  const ScanFacts& Facts() const { return facts_; }

 private:
  std::shared_ptr<ScanState> state_;
  ScanFacts facts_;
};

// The Findings of the list as the "所有项目" view shows them: the ID column holds the index.
std::vector<Finding> ListedItems(const FindingList& findings);

}  // namespace varnex::report
