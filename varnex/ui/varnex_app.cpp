#include <windows.h>

#include "varnex_app.h"

#include <commctrl.h>

#include "resource.h"
#include "restore_command.h"
#include "restore_dlg.h"
#include "varnex_dlg.h"

CVarnexApp::CVarnexApp(HINSTANCE instance, std::wstring commandLine)
    : instance_(instance), commandLine_(std::move(commandLine)) {}

bool CVarnexApp::InitInstance() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = 0xFF;
  ::InitCommonControlsEx(&controls);

  if (varnex::IsRestoreCommandLine(commandLine_)) {
    varnex::ui::CRestoreDlg restore;
    restore.DoModal(instance_, IDD_RESTORE_DIALOG);
    return false;
  }
  varnex::ui::VarnexDlgOptions options;
  options.commandLine = commandLine_;
  varnex::ui::CVarnexDlg dialog(std::move(options));
  dialog.DoModal(instance_, IDD_VARNEX_DIALOG);
  return false;
}
