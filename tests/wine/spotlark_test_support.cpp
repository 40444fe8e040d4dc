#include <windows.h>

#include "spotlark_test_support.h"

#include <shlwapi.h>

#include "common/text/text_rules.h"
#include "spotlark/resource.h"
#include "test_support.h"

namespace spotlark_testing {

std::wstring SignedTargetProgram() {
  return testing_support::TestProgramFolder() + L"\\spotlark_target_window_signed.exe";
}

TargetProcess::TargetProcess(const std::wstring& title, int x, int y, bool toolWindow) {
  const std::wstring program = SignedTargetProgram();
  commandLine_ = L"\"" + program + L"\" \"" + title + L"\" " + std::to_wstring(x) + L" " + std::to_wstring(y) +
                 (toolWindow ? L" tool" : L"");
  std::wstring mutableLine = commandLine_;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
    return;
  }
  ::CloseHandle(info.hThread);
  process_ = info.hProcess;
  pid_ = info.dwProcessId;
  testing_support::PumpUntil([&] {
    window_ = ::FindWindowW(L"SpotlarkTestTarget", title.c_str());
    return window_ != nullptr;
  });
  if (window_ != nullptr) {
    testing_support::PumpUntil([&] {
      button_ = ::FindWindowExW(window_, nullptr, L"Button", nullptr);
      return button_ != nullptr;
    });
  }
}

TargetProcess::~TargetProcess() {
  if (process_ == nullptr) return;
  if (::WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
    ::TerminateProcess(process_, 0);
    ::WaitForSingleObject(process_, 10000);
  }
  ::CloseHandle(process_);
}

std::wstring WindowText(HWND window) {
  wchar_t buffer[1024] = {};
  ::GetWindowTextW(window, buffer, 1024);
  return text::FromBuffer(buffer, 1024);
}

std::wstring ItemText(HWND dialog, int id) { return WindowText(::GetDlgItem(dialog, id)); }
void SetItemText(HWND dialog, int id, const std::wstring& text) { ::SetDlgItemTextW(dialog, id, text.c_str()); }
void Click(HWND dialog, int id) { ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

OpenDialog::OpenDialog(spotlark::SpotlarkDlgOptions options)
    : dialog_(std::make_unique<spotlark::CSpotlarkDlg>(std::move(options))) {
  dialog_->Create(::GetModuleHandleW(nullptr), IDD_SPOTLARK_DIALOG);
}

OpenDialog::~OpenDialog() {
  if (dialog_->Hwnd() != nullptr) ::DestroyWindow(dialog_->Hwnd());
  testing_support::PumpFor(20);
}

spotlark::SpotlarkDlgOptions QuietOptions() {
  spotlark::SpotlarkDlgOptions options;
  options.programPath = L"C:\\spotlark_tests_nowhere\\spotlark.exe";
  options.trayServices.openTray = [](spotlark::TrayKind) { return std::unique_ptr<spotlark::ITraySource>(); };
  options.trayServices.notifyIcon = [](DWORD, NOTIFYICONDATAW*) { return FALSE; };
  options.finderShell.chooseFile = [](const std::wstring&) { return std::wstring(); };
  options.finderShell.showProperties = [](const std::wstring&) {};
  options.finderShell.openLocation = [](const std::wstring&) {};
  options.startVarnex = [](const std::wstring&, const std::wstring&) {};
  options.showMessage = [](const std::wstring&) {};
  return options;
}

}  // namespace spotlark_testing
