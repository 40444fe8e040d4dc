// The application object: registers the common controls and shows the main dialog modally; the
// program ends when the dialog closes.
#pragma once

#include <windows.h>

#include <string>

class CVarnexApp {
 public:
  CVarnexApp(HINSTANCE instance, std::wstring commandLine);
  // Returns false: there is no message loop after the dialog.
  bool InitInstance();

 private:
  HINSTANCE instance_;
  std::wstring commandLine_;
};
