// What the locator asks Windows about a window, its process and its program file.
#pragma once

#include <windows.h>

#include <string>

namespace spotlark {

// The version strings the finder page shows, from one read of the file's version block; unlike
// the scanner's reader, an empty path or a missing file gives "" for each.
struct LocatorVersionTexts {
  std::wstring description;
  std::wstring product;
  std::wstring company;
  std::wstring legal;  // LegalCopyright
};
LocatorVersionTexts ReadLocatorVersionTexts(const std::wstring& path);

struct WindowProcess {
  std::wstring pid;   // decimal process id of the window's thread
  std::wstring path;  // drive-letter path of the process's program file, "" when unreadable
};
WindowProcess GetWindowProcessPath(HWND window);

// Process id in decimal; answers whether the process was opened and ended (exit code 0).
bool EndProcessById(const std::wstring& pidText);

// Title or control text of any window (WM_GETTEXT, at most 512 characters); a window that does
// not answer within a second gives "" rather than freezing the locator.
std::wstring WindowTextOf(HWND window);

}  // namespace spotlark
