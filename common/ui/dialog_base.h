// One thunk from the dialog procedure to a member handler: `this` is stored at WM_INITDIALOG and
// every later message goes to OnMessage. Both programs' dialogs derive from it.
#pragma once

#include <windows.h>

class CDialogBase {
 public:
  CDialogBase() = default;
  CDialogBase(const CDialogBase&) = delete;
  CDialogBase& operator=(const CDialogBase&) = delete;
  // A modeless dialog whose object goes away takes its window with it: a window left behind
  // would call into the freed object with its next message.
  virtual ~CDialogBase();

  INT_PTR DoModal(HINSTANCE instance, int templateId, HWND parent = nullptr);
  // Modeless, for pages and for tests that drive a dialog from their own message loop.
  HWND Create(HINSTANCE instance, int templateId, HWND parent = nullptr);

  HWND Hwnd() const { return hwnd_; }
  bool IsModal() const { return modal_; }

 protected:
  // Returns what the dialog procedure returns; FALSE lets the system handle the message.
  virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Ends a modal dialog, or destroys a modeless one.
  void Close(INT_PTR result);

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  bool modal_ = false;
};
