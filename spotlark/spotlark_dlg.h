// The locator's main window: a tab control hosting the finder page and the taskbar and tray page,
// "置顶", the context-menu entry "集成到右键" and the button that hands the shown path to varnex.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/ui/dialog_base.h"
#include "dialog_tray.h"
#include "dialog_win.h"

namespace spotlark {

struct SpotlarkDlgOptions {
  std::wstring commandLine;
  std::wstring programPath;  // "" for the running program's own path
  FinderShell finderShell = DefaultFinderShell();
  TrayServices trayServices;
  // Starts varnex.exe of the folder with the argument; replaced in tests.
  std::function<void(const std::wstring& folder, const std::wstring& parameters)> startVarnex;
  std::function<void(const std::wstring& text)> showMessage;
};

class CSpotlarkDlg : public CDialogBase {
 public:
  explicit CSpotlarkDlg(SpotlarkDlgOptions options);

  CDialogWin& FinderPage() { return finder_; }
  CDialogTray& TrayPage() { return tray_; }
  const std::wstring& ProgramPath() const { return programPath_; }
  const std::wstring& ProgramFolder() const { return programFolder_; }

 protected:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  BOOL OnInitDialog();
  INT_PTR OnCommand(WORD id);
  void OnTabChange();
  void ShowFinderPage();
  void OnTopmost();
  void OnShellMenu();
  void OnVarnex();
  void CreatePages();
  void ShowCommandLinePath();
  bool OnPaintMinimized();

  SpotlarkDlgOptions options_;
  std::wstring programPath_;
  std::wstring programFolder_;
  HICON icon_ = nullptr;
  CDialogWin finder_;
  CDialogTray tray_;
};

// Turns on SeDebugPrivilege for this process; failures are ignored.
void EnableDebugPrivilege();

}  // namespace spotlark
