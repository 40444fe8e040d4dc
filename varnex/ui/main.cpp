#include <windows.h>

#include "report_command.h"
#include "varnex_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  // "/report" and "/compare" run without any window and end with their own exit code.
  const int reportExit = varnex::ui::RunReportCommandLine(::GetCommandLineW());
  if (reportExit >= 0) ::ExitProcess(static_cast<UINT>(reportExit));
  CVarnexApp app(instance, commandLine != nullptr ? commandLine : L"");
  app.InitInstance();
  // A scan or removal worker may still run: end the process here rather than run static
  // destructors under it.
  ::ExitProcess(0);
}
