#include <windows.h>

#include "spotlark_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  CSpotlarkApp app(instance, commandLine != nullptr ? commandLine : L"");
  app.InitInstance();
  return 0;
}
