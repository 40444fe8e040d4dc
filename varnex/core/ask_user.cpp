#include "ask_user.h"

namespace varnex {

AskUserFn AskUserOrMessageBox(AskUserFn ask) {
  if (ask) return ask;
  return [](HWND owner, const std::wstring& text, const std::wstring& caption, UINT style) {
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), style);
  };
}

std::wstring ErrorText(DWORD code) {
  wchar_t* message = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  std::wstring text = std::to_wstring(static_cast<long>(code)) + L"，";
  if (length != 0 && message != nullptr) text.append(message, length);
  if (message != nullptr) ::LocalFree(message);
  return text;
}

}  // namespace varnex
