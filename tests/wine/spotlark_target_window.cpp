// A window-owning program for the locator's tests: a top-level window with a push button, placed
// where the test says, living until it is closed or ended.
//   spotlark_target_window.exe <title> <x> <y> [tool]
// "tool" makes it a tool window, which has no taskbar button.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 4) return 2;
  const std::wstring title = argv[1];
  const int x = std::wcstol(argv[2], nullptr, 10);
  const int y = std::wcstol(argv[3], nullptr, 10);
  const bool tool = argc > 4 && std::wstring(argv[4]) == L"tool";

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = L"SpotlarkTestTarget";
  ::RegisterClassW(&windowClass);
  HWND window = ::CreateWindowExW(tool ? WS_EX_TOOLWINDOW : 0, L"SpotlarkTestTarget", title.c_str(),
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 260, 160, nullptr, nullptr, instance, nullptr);
  ::CreateWindowExW(0, L"BUTTON", L"Target button", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 20, 180, 60, window,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(100)), instance, nullptr);
  ::LocalFree(argv);

  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return 0;
}
