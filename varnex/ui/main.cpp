#include <windows.h>

#include "varnex_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  CVarnexApp app(instance, commandLine != nullptr ? commandLine : L"");
  app.InitInstance();
  // A scan or removal worker may still run: end the process here rather than run static
  // destructors under it.
  ::ExitProcess(0);
}
