// Top-level windows that have a taskbar button.
#pragma once

#include <windows.h>

#include <vector>

namespace spotlark {

// Whether the window has a button on the taskbar, by the rule the taskbar itself follows.
bool IsTaskbarWindow(HWND window);

// The windows the tray page lists as "任务栏": taskbar windows with a readable class other than
// "ApplicationFrameWindow" and a title that is not empty, in EnumWindows order.
std::vector<HWND> ListTaskbarWindows();

}  // namespace spotlark
