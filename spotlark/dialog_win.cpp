#include <windows.h>

#include "dialog_win.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <vector>

#include "common/text/text_rules.h"
#include "common/winaccess/unique_resource.h"
#include "common/winaccess/winaccess.h"
#include "handle_text.h"
#include "resource.h"
#include "shortcut.h"
#include "spotlark_messages.h"
#include "window_identity.h"

namespace spotlark {

namespace {

std::wstring ChooseFileWithDialog(HWND owner, const std::wstring& initialFolder) {
  wchar_t chosen[MAX_PATH] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFile = chosen;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = initialFolder.c_str();
  ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER;
  if (!::GetOpenFileNameW(&ofn)) return {};
  return text::FromBuffer(chosen, MAX_PATH);
}

}  // namespace

FinderShell DefaultFinderShell() {
  FinderShell shell;
  shell.chooseFile = [](const std::wstring& folder) { return ChooseFileWithDialog(Shared().mainWindow, folder); };
  shell.showProperties = [](const std::wstring& path) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.lpVerb = L"properties";
    info.lpFile = path.c_str();
    info.nShow = SW_SHOW;
    ::ShellExecuteExW(&info);
  };
  shell.openLocation = [](const std::wstring& path) {
    std::wstring explorer;
    if (!winaccess::ExpandEnvironment(L"%systemroot%\\explorer.exe", explorer)) return;
    const std::wstring parameters = L"/select," + path;
    ::ShellExecuteW(nullptr, L"open", explorer.c_str(), parameters.c_str(), nullptr, SW_SHOW);
  };
  return shell;
}

CDialogWin::CDialogWin(FinderShell shell) : shell_(std::move(shell)) {}

std::wstring CDialogWin::Text(int id) const {
  HWND control = ::GetDlgItem(Hwnd(), id);
  const int length = ::GetWindowTextLengthW(control);
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
  ::GetWindowTextW(control, buffer.data(), static_cast<int>(buffer.size()));
  return text::FromBuffer(buffer.data(), buffer.size());
}

void CDialogWin::SetText(int id, const std::wstring& text) { ::SetDlgItemTextW(Hwnd(), id, text.c_str()); }

INT_PTR CDialogWin::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_COMMAND: return OnCommand(LOWORD(wParam));
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED: return tool_.HandleMouse(message, wParam, lParam) ? TRUE : FALSE;
    case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wParam)); return TRUE;
    case WM_FIND_BY_HANDLE: FindByHandle(); return TRUE;
    case WM_FILL_FROM_PATH: target_ = nullptr; FillDetails(true); return TRUE;
    default: return FALSE;
  }
}

BOOL CDialogWin::OnInitDialog() {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(Hwnd(), GWLP_HINSTANCE));
  FinderImages images;
  images.idle = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_FINDER_FULL));
  images.dragging = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_FINDER_EMPTY));
  images.cursor = ::LoadCursorW(instance, MAKEINTRESOURCEW(IDC_FINDER_CURSOR));
  FinderEvents events;
  events.began = [this] {
    SetText(IDC_HANDLE, L"");
    SetText(IDC_TITLE, L"");
    FillDetails(false);
  };
  events.hovered = [this](HWND window) {
    SetText(IDC_HANDLE, FormatHandle(window));
    SetText(IDC_TITLE, WindowTextOf(window));
  };
  events.released = [this](HWND window) {
    target_ = window;
    FillDetails(true);
  };
  tool_ = FinderTool(Hwnd(), ::GetDlgItem(Hwnd(), IDC_FINDER_TOOL), images, std::move(events));
  ::DragAcceptFiles(Hwnd(), TRUE);

  Shared().finderPage = Hwnd();
  Shared().handleBox = ::GetDlgItem(Hwnd(), IDC_HANDLE);
  Shared().pathBox = ::GetDlgItem(Hwnd(), IDC_PATH);
  return TRUE;
}

INT_PTR CDialogWin::OnCommand(WORD id) {
  switch (id) {
    case IDC_BROWSE: OnBrowse(); return TRUE;
    case IDC_FIND: FindByHandle(); return TRUE;
    case IDC_PROPERTIES: OnProperties(); return TRUE;
    case IDC_END_PROCESS: OnEndProcess(); return TRUE;
    case IDC_OPEN_LOCATION: OnOpenLocation(); return TRUE;
    default: return FALSE;
  }
}

void CDialogWin::FillDetails(bool fill) {
  std::wstring path, pid, commandLine, description, product, legal, company, signer;
  if (fill) {
    if (target_ != nullptr) {
      WindowProcess process = GetWindowProcessPath(target_);
      path = process.path;
      pid = process.pid;
      unsigned long id = 0;
      if (text::ParseUnsigned(pid, id) && id != 0) {
        winaccess::unique_handle handle(::OpenProcess(0x1F0FFF, FALSE, static_cast<DWORD>(id)));
        if (handle) commandLine = winaccess::GetProcessCommandLine(handle.get());
      }
    } else {
      path = Text(IDC_PATH);
      SetText(IDC_HANDLE, L"");
      SetText(IDC_TITLE, L"");
    }
    LocatorVersionTexts version = ReadLocatorVersionTexts(path);
    description = std::move(version.description);
    product = std::move(version.product);
    legal = std::move(version.legal);
    company = std::move(version.company);
    signer = path.empty() ? std::wstring() : winaccess::GetSignerName(path);
  }
  SetText(IDC_PATH, path);
  SetText(IDC_PID, pid);
  SetText(IDC_DESCRIPTION, description);
  SetText(IDC_PRODUCT, product);
  SetText(IDC_COMPANY, company);
  SetText(IDC_COPYRIGHT, legal);
  SetText(IDC_SIGNER, signer);
  SetText(IDC_COMMAND_LINE, commandLine);
}

void CDialogWin::FindByHandle() {
  const std::uint32_t value = ParseHandleText(Text(IDC_HANDLE));
  if (value == 0) return;
  target_ = HandleFromValue(value);
  SetText(IDC_HANDLE, FormatHandle(target_));
  if (::IsWindow(target_)) {
    SetText(IDC_TITLE, WindowTextOf(target_));
    FillDetails(true);
  } else {
    target_ = nullptr;
    FillDetails(false);
  }
}

void CDialogWin::ShowPathDetails(const std::wstring& path) {
  SetText(IDC_PATH, path);
  target_ = nullptr;
  FillDetails(true);
}

void CDialogWin::OnDropFiles(HDROP drop) {
  wchar_t first[260] = {};
  const UINT length = ::DragQueryFileW(drop, 0, first, 260);
  ::DragFinish(drop);
  if (length == 0) return;
  const std::wstring path = text::FromBuffer(first, 260);
  // A plain folder has nothing to show; one with more attribute bits is shown like a file.
  if (::GetFileAttributesW(path.c_str()) == FILE_ATTRIBUTE_DIRECTORY) return;
  ShowPathDetails(ResolveDroppedPath(path));
}

void CDialogWin::OnBrowse() {
  const std::wstring path = Text(IDC_PATH);
  const std::size_t slash = path.rfind(L'\\');
  std::wstring folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
  if (folder.empty()) folder = L"C:\\Program Files";
  if (!shell_.chooseFile) return;
  const std::wstring chosen = shell_.chooseFile(folder);
  if (!chosen.empty()) ShowPathDetails(chosen);
}

void CDialogWin::OnProperties() {
  const std::wstring path = Text(IDC_PATH);
  if (!path.empty() && ::PathFileExistsW(path.c_str()) && shell_.showProperties) shell_.showProperties(path);
}

void CDialogWin::OnEndProcess() {
  const std::wstring pid = Text(IDC_PID);
  const std::uint32_t value = ParseHandleText(Text(IDC_HANDLE));
  HWND window = HandleFromValue(value);
  // Only a real window: a typed special value such as 0xFFFF would otherwise broadcast WM_CLOSE
  // to every top-level window.
  if (value != 0 && ::IsWindow(window)) {
    ::ShowWindow(window, SW_HIDE);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
  }
  EndProcessById(pid);
}

void CDialogWin::OnOpenLocation() {
  if (shell_.openLocation) shell_.openLocation(Text(IDC_PATH));
}

}  // namespace spotlark
