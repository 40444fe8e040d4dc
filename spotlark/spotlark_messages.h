// Private messages between the main window and its two pages, and the window handles they share.
#pragma once

#include <windows.h>

namespace spotlark {

// To the main window: select tab 0 and show the finder page.
inline constexpr UINT WM_SHOW_FINDER_PAGE = WM_USER + 1;
// To the finder page: look up the window whose handle is in the handle box.
inline constexpr UINT WM_FIND_BY_HANDLE = WM_USER + 2;
// To the finder page: show the details of the file in the path box.
inline constexpr UINT WM_FILL_FROM_PATH = WM_USER + 3;

// Set once when the windows start; the pages reach each other only through these.
struct SharedHandles {
  HWND mainWindow = nullptr;
  HWND varnexButton = nullptr;
  HWND finderPage = nullptr;
  HWND handleBox = nullptr;
  HWND pathBox = nullptr;
};

SharedHandles& Shared();

}  // namespace spotlark
