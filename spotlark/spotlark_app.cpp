#include <windows.h>

#include "spotlark_app.h"

#include <commctrl.h>

#include "resource.h"
#include "spotlark_dlg.h"

CSpotlarkApp::CSpotlarkApp(HINSTANCE instance, std::wstring commandLine)
    : instance_(instance), commandLine_(std::move(commandLine)) {}

bool CSpotlarkApp::InitInstance() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES;
  ::InitCommonControlsEx(&controls);

  spotlark::SpotlarkDlgOptions options;
  options.commandLine = commandLine_;
  spotlark::CSpotlarkDlg dialog(std::move(options));
  dialog.DoModal(instance_, IDD_SPOTLARK_DIALOG);
  return false;
}
