// Fixtures of the locator's tests: a window-owning child process and the dialog opened in-process.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "spotlark/spotlark_dlg.h"

namespace spotlark_testing {

// Path of the signed window-owning program built beside the tests.
std::wstring SignedTargetProgram();
inline constexpr const wchar_t* kTargetSigner = L"Spotlark Test Signer";

// Starts the window-owning program and waits for its window; ends it at the end.
class TargetProcess {
 public:
  TargetProcess(const std::wstring& title, int x, int y, bool toolWindow = false);
  ~TargetProcess();
  TargetProcess(const TargetProcess&) = delete;
  TargetProcess& operator=(const TargetProcess&) = delete;

  HWND Window() const { return window_; }
  HWND Button() const { return button_; }
  DWORD Pid() const { return pid_; }
  HANDLE Process() const { return process_; }
  const std::wstring& CommandLine() const { return commandLine_; }
  bool WaitForExit(DWORD ms = 10000) const { return ::WaitForSingleObject(process_, ms) == WAIT_OBJECT_0; }

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND window_ = nullptr;
  HWND button_ = nullptr;
  std::wstring commandLine_;
};

std::wstring WindowText(HWND window);
std::wstring ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::wstring& text);
void Click(HWND dialog, int id);
bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b);

// The main window created modeless in this process, destroyed at the end.
class OpenDialog {
 public:
  explicit OpenDialog(spotlark::SpotlarkDlgOptions options);
  ~OpenDialog();
  OpenDialog(const OpenDialog&) = delete;
  OpenDialog& operator=(const OpenDialog&) = delete;
  spotlark::CSpotlarkDlg& Dialog() { return *dialog_; }
  HWND Main() const { return dialog_->Hwnd(); }
  HWND Finder() { return dialog_->FinderPage().Hwnd(); }
  HWND Tray() { return dialog_->TrayPage().Hwnd(); }

 private:
  std::unique_ptr<spotlark::CSpotlarkDlg> dialog_;
};

// Options that touch nothing outside the test: no tray source, no shell calls.
spotlark::SpotlarkDlgOptions QuietOptions();

}  // namespace spotlark_testing
