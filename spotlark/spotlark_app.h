// The application object: shows the main window modally; the program ends when it closes.
#pragma once

#include <windows.h>

#include <string>

class CSpotlarkApp {
 public:
  CSpotlarkApp(HINSTANCE instance, std::wstring commandLine);
  bool InitInstance();

 private:
  HINSTANCE instance_;
  std::wstring commandLine_;
};
