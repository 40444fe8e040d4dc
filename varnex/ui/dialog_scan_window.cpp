#include "dialog_scan_window.h"

#include "../report/report_io.h"
#include "resource.h"

namespace varnex::ui {

DialogScanWindow::DialogScanWindow(HWND dialog, std::shared_ptr<ScanState> state, PostMessageFn post)
    : dialog_(dialog),
      status_(::GetDlgItem(dialog, IDC_STATUS)),
      action_(::GetDlgItem(dialog, IDC_ACTION)),
      rescan_(::GetDlgItem(dialog, IDC_RESCAN)),
      state_(std::move(state)),
      post_(post ? std::move(post) : PostMessageFn(::PostMessageW)) {}

void DialogScanWindow::PostFinding(const Finding& finding) {
  state_->Findings.Append(finding);
  const long index = state_->PostedCount;
  // A lost WM_FINDING would also make every later index differ from the row count, dropping every
  // row after it: when the queue is full, wait until the window has taken some messages.
  while (!post_(dialog_, WM_FINDING, 0, static_cast<LPARAM>(index))) {
    if (!::IsWindow(dialog_)) break;  // the window is gone; nobody will read the message
    ::Sleep(5);
  }
  state_->PostedCount = index + 1;
}

void DialogScanWindow::SetStatusText(const std::wstring& text) {
  facts_.OnStatus(text);
  ::SetWindowTextW(status_, text.c_str());
}

void DialogScanWindow::SetTitle(const std::wstring& text) {
  facts_.OnTitle(text);
  ::SetWindowTextW(dialog_, text.c_str());
}

void DialogScanWindow::SetActionButtonText(const std::wstring& text) { ::SetWindowTextW(action_, text.c_str()); }

void DialogScanWindow::EnableRescanButton(bool enable) {
  // The scan enables Rescan as its last step.
  if (enable) facts_.OnFinished(report::NowIsoTime());
  ::EnableWindow(rescan_, enable ? TRUE : FALSE);
}

}  // namespace varnex::ui
