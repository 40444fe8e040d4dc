// Used by scripts/run when there is no display: watches the varnex and spotlark windows from a
// separate process beside the programs under test, so that the script can wait for the end of a
// scan, take screenshots and close the programs.
//
//   window_probe wait WINDOW_SECONDS SCAN_SECONDS   varnex: main window, then the end of its scan
//   window_probe close                              varnex: close the main window
//   window_probe spotlark-wait SECONDS              spotlark: main window shown
//   window_probe spotlark-page N                    spotlark: click tab N (0 finder, 1 taskbar/tray)
//   window_probe spotlark-close                     spotlark: close the main window
//
// Every command that finds its window prints the window's screen rectangle as
// "rect: WIDTHxHEIGHT+X+Y" (the geometry that ImageMagick's -crop takes).
// Exit codes: 0 done, 1 the scan did not end in time, 2 usage, 3 no window in time.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kActionButton = 1005;
constexpr int kStatusBox = 1006;
constexpr int kSpotlarkTab = 1000;

std::wstring TextOf(HWND hwnd) {
  wchar_t buffer[4096] = {};
  ::SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, nullptr);
  buffer[4095] = L'\0';
  return buffer;
}

struct WindowQuery {
  const wchar_t* titlePrefix;
  int childId;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam) {
  auto* query = reinterpret_cast<WindowQuery*>(lParam);
  wchar_t title[256] = {};
  ::GetWindowTextW(hwnd, title, 256);
  if (std::wstring(title).rfind(query->titlePrefix, 0) == 0 && ::IsWindowVisible(hwnd) &&
      ::GetDlgItem(hwnd, query->childId) != nullptr) {
    query->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindWindowWith(const wchar_t* titlePrefix, int childId) {
  WindowQuery query{titlePrefix, childId, nullptr};
  ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

HWND FindVarnexWindow() { return FindWindowWith(L"Varnex", kStatusBox); }
HWND FindSpotlarkWindow() { return FindWindowWith(L"Spotlark", kSpotlarkTab); }

void PrintUtf8(const std::wstring& text) {
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(bytes > 0 ? bytes : 1, '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
  std::fputs(utf8.c_str(), stdout);
  std::fputs("\n", stdout);
  std::fflush(stdout);
}

void PrintRect(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  std::printf("rect: %ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top);
  std::fflush(stdout);
}

// Polls for a window until the deadline; nullptr when none appeared.
template <typename Finder>
HWND WaitForWindow(Finder find, ULONGLONG deadline) {
  for (;;) {
    if (HWND window = find()) return window;
    if (::GetTickCount64() >= deadline) return nullptr;
    ::Sleep(250);
  }
}

ULONGLONG DeadlineAfter(int seconds) { return ::GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000; }

int WaitForScanEnd(int windowSeconds, int scanSeconds) {
  HWND window = WaitForWindow(FindVarnexWindow, DeadlineAfter(windowSeconds));
  if (window == nullptr) {
    std::fprintf(stderr, "window_probe: no varnex main window appeared within %d s\n", windowSeconds);
    return 3;
  }
  std::puts("window: varnex main window shown");
  std::fflush(stdout);
  const ULONGLONG end = DeadlineAfter(scanSeconds);
  while (::GetTickCount64() < end) {
    if (!::IsWindow(window)) {
      std::fputs("window_probe: the varnex window closed before its scan ended\n", stderr);
      return 1;
    }
    if (TextOf(::GetDlgItem(window, kActionButton)) == L"处理选中") {
      PrintUtf8(L"title:  " + TextOf(window));
      PrintUtf8(L"status: " + TextOf(::GetDlgItem(window, kStatusBox)));
      PrintRect(window);
      return 0;
    }
    ::Sleep(500);
  }
  std::fprintf(stderr, "window_probe: the scan did not end within %d s\n", scanSeconds);
  return 1;
}

// WM_NOTIFY does not cross processes under Wine, so the tab is clicked where it is drawn. Its
// rectangle is asked for through a buffer in the owner's address space.
bool ClickTab(HWND tab, int index) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(tab, &pid);
  HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (process == nullptr) return false;
  void* remote = ::VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  RECT rect{};
  bool got = false;
  if (remote != nullptr) {
    DWORD_PTR result = 0;
    if (::SendMessageTimeoutW(tab, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 2000,
                              &result) &&
        result != 0) {
      got = ::ReadProcessMemory(process, remote, &rect, sizeof rect, nullptr) != FALSE;
    }
    ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  ::CloseHandle(process);
  if (!got) return false;
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  ::PostMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(tab, WM_LBUTTONUP, 0, at);
  return true;
}

int SpotlarkPage(int index) {
  HWND window = FindSpotlarkWindow();
  if (window == nullptr) {
    std::fputs("window_probe: no spotlark window\n", stderr);
    return 3;
  }
  HWND tab = ::GetDlgItem(window, kSpotlarkTab);
  if (!ClickTab(tab, index)) {
    std::fprintf(stderr, "window_probe: could not click spotlark's tab %d\n", index);
    return 1;
  }
  for (int i = 0; i < 40 && ::SendMessageW(tab, TCM_GETCURSEL, 0, 0) != index; ++i) ::Sleep(100);
  ::Sleep(1500);  // let the page fill and paint
  PrintRect(window);
  return ::SendMessageW(tab, TCM_GETCURSEL, 0, 0) == index ? 0 : 1;
}

int ArgInt(int argc, char** argv, int index, int fallback) {
  return argc > index ? std::atoi(argv[index]) : fallback;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "wait") return WaitForScanEnd(ArgInt(argc, argv, 2, 180), ArgInt(argc, argv, 3, 600));
  if (command == "close") {
    if (HWND window = FindVarnexWindow()) ::PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
  }
  if (command == "spotlark-wait") {
    HWND window = WaitForWindow(FindSpotlarkWindow, DeadlineAfter(ArgInt(argc, argv, 2, 180)));
    if (window == nullptr) {
      std::fputs("window_probe: no spotlark window appeared in time\n", stderr);
      return 3;
    }
    ::Sleep(1500);  // the finder page fills its fields from the path after the window shows
    PrintRect(window);
    return 0;
  }
  if (command == "spotlark-page") return SpotlarkPage(ArgInt(argc, argv, 2, 0));
  if (command == "spotlark-close") {
    if (HWND window = FindSpotlarkWindow()) ::PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
  }
  std::fputs(
      "usage: window_probe wait [window-seconds [scan-seconds]] | close | spotlark-wait [seconds] | "
      "spotlark-page N | spotlark-close\n",
      stderr);
  return 2;
}
