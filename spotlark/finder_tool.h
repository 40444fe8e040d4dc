// The finder tool: an icon the user drags from a dialog onto any window on the screen.
//
// Use: give the tool the dialog, the icon control that acts as the drag source, the two icons
// (idle: window with cross-hair; dragging: empty window), the drag cursor and the callbacks, then
// pass the dialog's mouse messages to it:
//
//   FinderTool tool(dialog, GetDlgItem(dialog, IDC_FINDER_TOOL), images, events);
//   case WM_LBUTTONDOWN: case WM_MOUSEMOVE: case WM_LBUTTONUP: case WM_CAPTURECHANGED:
//     if (tool.HandleMouse(message, wParam, lParam)) return TRUE;
//
// An icon static without SS_NOTIFY lets clicks through to its dialog, so the button-down arrives
// at the dialog. While dragging, the dialog holds the mouse capture; the window under the pointer
// (child controls included) carries an inverted frame and is reported through `hovered`, except
// the windows of the dialog's own thread, which are never framed. On release the frame goes and
// `released` gets the window under the pointer. Losing the capture ends the drag quietly.
#pragma once

#include <windows.h>

#include <functional>

namespace spotlark {

struct FinderImages {
  HICON idle = nullptr;
  HICON dragging = nullptr;
  HCURSOR cursor = nullptr;
};

struct FinderEvents {
  std::function<void()> began;
  std::function<void(HWND)> hovered;
  std::function<void(HWND)> released;
};

class FinderTool {
 public:
  FinderTool() = default;
  FinderTool(HWND dialog, HWND tool, FinderImages images, FinderEvents events);
  FinderTool(const FinderTool&) = delete;
  FinderTool& operator=(const FinderTool&) = delete;
  FinderTool& operator=(FinderTool&&) = default;

  // True when the message belonged to the tool.
  bool HandleMouse(UINT message, WPARAM wParam, LPARAM lParam);
  bool Dragging() const { return dragging_; }
  HWND Framed() const { return framed_; }

 private:
  void Begin();
  void Move(POINT clientPoint);
  void End(POINT clientPoint);
  void Stop();
  HWND WindowAt(POINT clientPoint) const;

  HWND dialog_ = nullptr;
  HWND tool_ = nullptr;
  FinderImages images_;
  FinderEvents events_;
  bool dragging_ = false;
  bool releasing_ = false;
  HWND framed_ = nullptr;
  HCURSOR previousCursor_ = nullptr;
};

// Draws the inverted frame over the whole window; drawing it again removes it.
void ToggleWindowFrame(HWND window);

}  // namespace spotlark
