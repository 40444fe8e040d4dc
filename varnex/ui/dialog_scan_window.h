// The main window as the scan worker sees it: holds only window handles and the shared scan state,
// so it stays valid (its calls simply fail) after the window is gone.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "../core/scan_state.h"
#include "../core/scan_window.h"
#include "../report/scan_facts.h"

namespace varnex::ui {

inline constexpr UINT WM_FINDING = WM_USER + 17;

// PostMessageW, or a test's stand-in that refuses for a while.
using PostMessageFn = std::function<BOOL(HWND, UINT, WPARAM, LPARAM)>;

class DialogScanWindow : public IScanWindow {
 public:
  DialogScanWindow(HWND dialog, std::shared_ptr<ScanState> state, PostMessageFn post = nullptr);

  void PostFinding(const Finding& finding) override;
  void SetStatusText(const std::wstring& text) override;
  void SetTitle(const std::wstring& text) override;
  void SetActionButtonText(const std::wstring& text) override;
  void EnableRescanButton(bool enable) override;

  // The final status, the alerts and the end time of the last scan, for an export.
  report::ScanFacts& Facts() { return facts_; }

 private:
  HWND dialog_;
  HWND status_;
  HWND action_;
  HWND rescan_;
  std::shared_ptr<ScanState> state_;
  PostMessageFn post_;
  report::ScanFacts facts_;
};

}  // namespace varnex::ui
