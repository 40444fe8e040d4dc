// How the removal code asks and tells the user: a callable shaped like MessageBoxW, so the
// program shows real message boxes and tests answer them without blocking.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace varnex {

// owner (may be null), text, caption, style -> IDYES, IDNO, IDOK, ...
using AskUserFn = std::function<int(HWND, const std::wstring&, const std::wstring&, UINT)>;

inline constexpr const wchar_t* kProgramCaption = L"Varnex";

// The callable given, or MessageBoxW when it is empty.
AskUserFn AskUserOrMessageBox(AskUserFn ask);

// "<code>，<system message>", the message as the system words it (line break included).
std::wstring ErrorText(DWORD code);

}  // namespace varnex
