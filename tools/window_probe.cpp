// Used by scripts/run when there is no display: waits until the varnex window shows the end of
// its scan, prints the status text, then closes the window. Runs as a separate process beside
// the program under test.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kActionButton = 1005;
constexpr int kStatusBox = 1006;

std::wstring TextOf(HWND hwnd) {
  wchar_t buffer[4096] = {};
  ::SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, nullptr);
  buffer[4095] = L'\0';
  return buffer;
}

BOOL CALLBACK MatchVarnexWindow(HWND hwnd, LPARAM lParam) {
  wchar_t title[256] = {};
  ::GetWindowTextW(hwnd, title, 256);
  if (std::wstring(title).rfind(L"Varnex", 0) == 0 && ::GetDlgItem(hwnd, kStatusBox) != nullptr) {
    *reinterpret_cast<HWND*>(lParam) = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindVarnexWindow() {
  HWND found = nullptr;
  ::EnumWindows(MatchVarnexWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

void PrintUtf8(const std::wstring& text) {
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(bytes > 0 ? bytes : 1, '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
  std::fputs(utf8.c_str(), stdout);
  std::fputs("\n", stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  const int timeoutSeconds = argc > 2 ? std::atoi(argv[2]) : 600;
  const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutSeconds) * 1000;
  if (command == "wait") {
    while (::GetTickCount64() < end) {
      if (HWND window = FindVarnexWindow()) {
        if (TextOf(::GetDlgItem(window, kActionButton)) == L"处理选中") {
          PrintUtf8(L"title:  " + TextOf(window));
          PrintUtf8(L"status: " + TextOf(::GetDlgItem(window, kStatusBox)));
          return 0;
        }
      }
      ::Sleep(500);
    }
    std::fputs("window_probe: no finished varnex window in time\n", stderr);
    return 1;
  }
  if (command == "close") {
    if (HWND window = FindVarnexWindow()) ::PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
  }
  std::fputs("usage: window_probe wait [seconds] | close\n", stderr);
  return 2;
}
