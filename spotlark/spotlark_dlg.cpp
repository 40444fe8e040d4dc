#include <windows.h>

#include "spotlark_dlg.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <vector>

#include "common/text/text_rules.h"
#include "common/winaccess/winaccess.h"
#include "resource.h"
#include "shell_integration.h"
#include "spotlark_messages.h"

namespace spotlark {

namespace {

constexpr int kTabStripHeight = 22;

void StartVarnexWithShell(const std::wstring& folder, const std::wstring& parameters) {
  ::ShellExecuteW(nullptr, L"Open", L"varnex.exe", parameters.c_str(), folder.c_str(), SW_SHOWNORMAL);
}

// Lets files be dropped onto this elevated window from an Explorer without elevation. The call
// exists from Vista on and is looked up at run time.
void AllowDropMessagesFromLowerIntegrity() {
  using ChangeWindowMessageFilterFn = BOOL(WINAPI*)(UINT, DWORD);
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return;
  auto change = reinterpret_cast<ChangeWindowMessageFilterFn>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "ChangeWindowMessageFilter")));
  if (change == nullptr) return;
  change(WM_DROPFILES, 1 /*MSGFLT_ADD*/);
  change(0x0049 /*WM_COPYGLOBALDATA*/, 1);
}

}  // namespace

CSpotlarkDlg::CSpotlarkDlg(SpotlarkDlgOptions options)
    : options_(std::move(options)), finder_(options_.finderShell), tray_(options_.trayServices) {
  if (!options_.startVarnex) options_.startVarnex = StartVarnexWithShell;
  if (!options_.showMessage) {
    options_.showMessage = [this](const std::wstring& message) {
      ::MessageBoxW(Hwnd(), message.c_str(), L"Spotlark", MB_OK);
    };
  }
}

INT_PTR CSpotlarkDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_COMMAND: return OnCommand(LOWORD(wParam));
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == IDC_TAB && header->code == static_cast<UINT>(TCN_SELCHANGE)) OnTabChange();
      return FALSE;
    }
    case WM_SHOW_FINDER_PAGE: ShowFinderPage(); return TRUE;
    case WM_DROPFILES:
      // Dropped beside the pages (tab strip, check boxes): the finder page shows it and frees it.
      ::SendMessageW(finder_.Hwnd(), WM_DROPFILES, wParam, lParam);
      return TRUE;
    case WM_PAINT: return OnPaintMinimized() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
      ::SetWindowLongPtrW(Hwnd(), DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(icon_));
      return TRUE;
    case WM_CLOSE: Close(IDCANCEL); return TRUE;
    default: return FALSE;
  }
}

BOOL CSpotlarkDlg::OnInitDialog() {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(Hwnd(), GWLP_HINSTANCE));
  icon_ = ::LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
  ::SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  ::SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

  EnableDebugPrivilege();

  programPath_ = options_.programPath.empty() ? winaccess::ProgramPath() : options_.programPath;
  const std::size_t slash = programPath_.rfind(L'\\');
  programFolder_ = slash == std::wstring::npos ? std::wstring() : programPath_.substr(0, slash);

  if (RefreshShellMenuEntries(programPath_)) ::CheckDlgButton(Hwnd(), IDC_SHELL_MENU, BST_CHECKED);

  CreatePages();

  Shared().mainWindow = Hwnd();
  Shared().varnexButton = ::GetDlgItem(Hwnd(), IDC_VARNEX);

  ShowCommandLinePath();
  AllowDropMessagesFromLowerIntegrity();
  return TRUE;
}

void CSpotlarkDlg::CreatePages() {
  HWND tab = ::GetDlgItem(Hwnd(), IDC_TAB);
  const wchar_t* captions[] = {L"窗口", L"任务栏及托盘"};
  for (int i = 0; i < 2; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(captions[i]);
    ::SendMessageW(tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(Hwnd(), GWLP_HINSTANCE));
  finder_.Create(instance, IDD_FINDER_PAGE, tab);
  tray_.Create(instance, IDD_TRAY_PAGE, tab);

  RECT client{};
  ::GetClientRect(tab, &client);
  client.top += kTabStripHeight;
  for (HWND page : {finder_.Hwnd(), tray_.Hwnd()}) {
    ::MoveWindow(page, client.left, client.top, client.right - client.left, client.bottom - client.top, FALSE);
  }
  ::ShowWindow(finder_.Hwnd(), SW_SHOW);
  ::ShowWindow(tray_.Hwnd(), SW_HIDE);
  ::SendMessageW(tab, TCM_SETCURSEL, 0, 0);
}

void CSpotlarkDlg::ShowCommandLinePath() {
  std::wstring path = options_.commandLine;
  if (!path.empty()) ::CharLowerBuffW(path.data(), static_cast<DWORD>(path.size()));
  path = text::Trim(path);
  if (path.empty()) return;
  path = text::TrimChar(path, L'"');
  ::SetWindowTextW(Shared().pathBox, path.c_str());
  ::SendMessageW(finder_.Hwnd(), WM_FILL_FROM_PATH, 0, 0);
}

INT_PTR CSpotlarkDlg::OnCommand(WORD id) {
  switch (id) {
    case IDC_TOPMOST: OnTopmost(); return TRUE;
    case IDC_SHELL_MENU: OnShellMenu(); return TRUE;
    case IDC_VARNEX: OnVarnex(); return TRUE;
    case IDCANCEL: Close(IDCANCEL); return TRUE;
    default: return FALSE;
  }
}

void CSpotlarkDlg::OnTabChange() {
  const bool finder = ::SendMessageW(::GetDlgItem(Hwnd(), IDC_TAB), TCM_GETCURSEL, 0, 0) == 0;
  ::ShowWindow(finder ? tray_.Hwnd() : finder_.Hwnd(), SW_HIDE);
  ::ShowWindow(::GetDlgItem(Hwnd(), IDC_VARNEX), finder ? SW_SHOW : SW_HIDE);
  ::ShowWindow(finder ? finder_.Hwnd() : tray_.Hwnd(), SW_SHOW);
}

void CSpotlarkDlg::ShowFinderPage() {
  ::SendMessageW(::GetDlgItem(Hwnd(), IDC_TAB), TCM_SETCURSEL, 0, 0);
  ::ShowWindow(tray_.Hwnd(), SW_HIDE);
  ::ShowWindow(finder_.Hwnd(), SW_SHOW);
}

void CSpotlarkDlg::OnTopmost() {
  const bool on = ::IsDlgButtonChecked(Hwnd(), IDC_TOPMOST) == BST_CHECKED;
  ::SetWindowPos(Hwnd(), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void CSpotlarkDlg::OnShellMenu() {
  if (::IsDlgButtonChecked(Hwnd(), IDC_SHELL_MENU) == BST_CHECKED) {
    WriteShellMenuEntries(programPath_);
  } else {
    DeleteShellMenuEntries();
  }
}

void CSpotlarkDlg::OnVarnex() {
  wchar_t path[260] = {};
  ::GetWindowTextW(Shared().pathBox, path, 260);
  const std::wstring varnex = programFolder_ + L"\\varnex.exe";
  if (::PathFileExistsW(varnex.c_str())) {
    options_.startVarnex(programFolder_, L"\"" + text::FromBuffer(path, 260) + L"\"");
  } else {
    options_.showMessage(L"请在Varnex目录里打开本程序");
  }
}

bool CSpotlarkDlg::OnPaintMinimized() {
  if (!::IsIconic(Hwnd())) return false;
  PAINTSTRUCT paint{};
  HDC dc = ::BeginPaint(Hwnd(), &paint);
  RECT client{};
  ::GetClientRect(Hwnd(), &client);
  const int cx = ::GetSystemMetrics(SM_CXICON);
  const int cy = ::GetSystemMetrics(SM_CYICON);
  ::DrawIcon(dc, (client.right - client.left - cx + 1) / 2, (client.bottom - client.top - cy + 1) / 2, icon_);
  ::EndPaint(Hwnd(), &paint);
  return true;
}

}  // namespace spotlark
