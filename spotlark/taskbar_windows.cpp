#include <windows.h>

#include "taskbar_windows.h"

#include <oleacc.h>

namespace spotlark {

namespace {
#ifndef STATE_SYSTEM_INVISIBLE
constexpr DWORD STATE_SYSTEM_INVISIBLE = 0x8000;
#endif
}  // namespace

bool IsTaskbarWindow(HWND window) {
  const LONG style = ::GetWindowLongW(window, GWL_STYLE);
  if ((style & WS_MINIMIZE) && (style & WS_VISIBLE)) return true;
  if (!::IsWindowVisible(window)) return false;

  HWND current = ::GetAncestor(window, GA_ROOTOWNER);
  if (current == nullptr) return false;
  // The walk ends at a visible last active popup or at a window that is its own; a cycle in the
  // owner chain cannot keep it going.
  for (int step = 0; step < 256; ++step) {
    HWND popup = ::GetLastActivePopup(current);
    if (popup == current || ::IsWindowVisible(popup)) break;
    current = popup;
  }
  if (current != window) return false;

  TITLEBARINFO titleBar{};
  titleBar.cbSize = sizeof titleBar;
  if (::GetTitleBarInfo(window, &titleBar) && (titleBar.rgstate[0] & STATE_SYSTEM_INVISIBLE)) return false;

  return (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) == 0;
}

namespace {

BOOL CALLBACK CollectTaskbarWindow(HWND window, LPARAM context) {
  auto& found = *reinterpret_cast<std::vector<HWND>*>(context);
  if (!IsTaskbarWindow(window)) return TRUE;
  wchar_t className[1024] = {};
  if (::GetClassNameW(window, className, 1024) == 0) return TRUE;
  if (::lstrcmpiW(className, L"ApplicationFrameWindow") == 0) return TRUE;
  wchar_t title[1024] = {};
  if (::GetWindowTextW(window, title, 1024) == 0) return TRUE;
  found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> ListTaskbarWindows() {
  std::vector<HWND> windows;
  ::EnumWindows(CollectTaskbarWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

}  // namespace spotlark
