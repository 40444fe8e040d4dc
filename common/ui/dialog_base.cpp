#include "dialog_base.h"

CDialogBase::~CDialogBase() {
  if (hwnd_ != nullptr && ::IsWindow(hwnd_)) {
    // The derived object is already gone: detach first, so no message reaches OnMessage.
    ::SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    ::DestroyWindow(hwnd_);
  }
}

INT_PTR CDialogBase::DoModal(HINSTANCE instance, int templateId, HWND parent) {
  modal_ = true;
  return ::DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), parent, DialogProc, reinterpret_cast<LPARAM>(this));
}

HWND CDialogBase::Create(HINSTANCE instance, int templateId, HWND parent) {
  modal_ = false;
  return ::CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), parent, DialogProc,
                              reinterpret_cast<LPARAM>(this));
}

void CDialogBase::Close(INT_PTR result) {
  if (modal_) {
    ::EndDialog(hwnd_, result);
  } else {
    ::DestroyWindow(hwnd_);
  }
}

INT_PTR CALLBACK CDialogBase::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialogBase* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialogBase*>(lParam);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
  } else {
    self = reinterpret_cast<CDialogBase*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  if (self == nullptr) return FALSE;
  const INT_PTR result = self->OnMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}
