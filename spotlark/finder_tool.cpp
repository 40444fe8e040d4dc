#include <windows.h>

#include "finder_tool.h"

#include <windowsx.h>

#include <utility>

namespace spotlark {

void ToggleWindowFrame(HWND window) {
  RECT rect{};
  if (!::IsWindow(window) || !::GetWindowRect(window, &rect)) return;
  HDC dc = ::GetWindowDC(window);
  if (dc == nullptr) return;
  HPEN pen = ::CreatePen(PS_INSIDEFRAME, 3 * ::GetSystemMetrics(SM_CXBORDER), RGB(0, 0, 0));
  const int oldMode = ::SetROP2(dc, R2_NOT);
  HGDIOBJ oldPen = ::SelectObject(dc, pen);
  HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
  ::Rectangle(dc, 0, 0, rect.right - rect.left, rect.bottom - rect.top);
  ::SelectObject(dc, oldBrush);
  ::SelectObject(dc, oldPen);
  ::SetROP2(dc, oldMode);
  ::ReleaseDC(window, dc);
  if (pen != nullptr) ::DeleteObject(pen);
}

FinderTool::FinderTool(HWND dialog, HWND tool, FinderImages images, FinderEvents events)
    : dialog_(dialog), tool_(tool), images_(images), events_(std::move(events)) {
  ::SendMessageW(tool_, STM_SETICON, reinterpret_cast<WPARAM>(images_.idle), 0);
}

bool FinderTool::HandleMouse(UINT message, WPARAM, LPARAM lParam) {
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_LBUTTONDOWN:
      if (dragging_ || tool_ == nullptr || ::ChildWindowFromPoint(dialog_, point) != tool_) return false;
      Begin();
      return true;
    case WM_MOUSEMOVE:
      if (!dragging_) return false;
      Move(point);
      return true;
    case WM_LBUTTONUP:
      if (!dragging_) return false;
      End(point);
      return true;
    case WM_CAPTURECHANGED:
      if (!dragging_ || releasing_) return false;
      Stop();
      return true;
    default:
      return false;
  }
}

void FinderTool::Begin() {
  ::SetCapture(dialog_);
  previousCursor_ = ::SetCursor(images_.cursor);
  ::SendMessageW(tool_, STM_SETICON, reinterpret_cast<WPARAM>(images_.dragging), 0);
  dragging_ = true;
  if (events_.began) events_.began();
}

HWND FinderTool::WindowAt(POINT clientPoint) const {
  POINT screen = clientPoint;
  ::ClientToScreen(dialog_, &screen);
  return ::WindowFromPoint(screen);
}

void FinderTool::Move(POINT clientPoint) {
  HWND target = WindowAt(clientPoint);
  if (target == nullptr) return;
  if (::GetWindowThreadProcessId(target, nullptr) == ::GetWindowThreadProcessId(dialog_, nullptr)) return;
  if (framed_ != target) {
    if (framed_ != nullptr) ToggleWindowFrame(framed_);
    framed_ = target;
    ToggleWindowFrame(framed_);
  }
  if (events_.hovered) events_.hovered(target);
}

void FinderTool::Stop() {
  dragging_ = false;
  ::SetCursor(previousCursor_);
  ::SendMessageW(tool_, STM_SETICON, reinterpret_cast<WPARAM>(images_.idle), 0);
  if (framed_ != nullptr) {
    ToggleWindowFrame(framed_);
    framed_ = nullptr;
  }
}

void FinderTool::End(POINT clientPoint) {
  HWND target = WindowAt(clientPoint);
  releasing_ = true;
  ::ReleaseCapture();
  releasing_ = false;
  Stop();
  if (events_.released) events_.released(target);
}

}  // namespace spotlark
