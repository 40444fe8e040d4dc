#include <windows.h>

#include "dialog_tray.h"

#include <shellapi.h>

#include "common/text/text_rules.h"
#include "handle_text.h"
#include "resource.h"
#include "spotlark_messages.h"
#include "taskbar_windows.h"
#include "window_identity.h"

namespace spotlark {

namespace {

struct Column {
  const wchar_t* title;
  int width;
};
constexpr Column kColumns[] = {{L"提示信息", 100}, {L"窗口句柄", 100}, {L"PID", 70}, {L"路径", 360}, {L"类型", 100}};
constexpr DWORD kListStyles = 0x173;  // grid lines, sub-item images, full-row select, header drag,
                                      // one-click activation, flat scroll bars
constexpr std::size_t kTipLimit = 259;

std::wstring CellText(HWND list, int row, int column) {
  wchar_t buffer[1024] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = 1024;
  ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  return text::FromBuffer(buffer, 1024);
}

void SetCell(HWND list, int row, int column, const std::wstring& value) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(value.c_str());
  ::SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

CDialogTray::CDialogTray(TrayServices services) : services_(std::move(services)) {}

INT_PTR CDialogTray::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_COMMAND: return OnCommand(LOWORD(wParam));
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == IDC_TRAY_LIST && header->code == static_cast<UINT>(NM_CLICK)) OnRowClick();
      return FALSE;
    }
    default: return FALSE;
  }
}

BOOL CDialogTray::OnInitDialog() {
  list_ = ::GetDlgItem(Hwnd(), IDC_TRAY_LIST);
  ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, kListStyles);
  for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(kColumns[i].title);
    column.cx = kColumns[i].width;
    ::SendMessageW(list_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  AttachNewImageList();
  ListAllKinds();
  ::EnableWindow(::GetDlgItem(Hwnd(), IDC_MORE_INFO), FALSE);
  return TRUE;
}

INT_PTR CDialogTray::OnCommand(WORD id) {
  switch (id) {
    case IDC_TRAY_REFRESH: Refresh(); return TRUE;
    case IDC_TRAY_END: OnAction(TrayAction::End); return TRUE;
    case IDC_TRAY_SHOW: OnAction(TrayAction::Show); return TRUE;
    case IDC_TRAY_HIDE: OnAction(TrayAction::Hide); return TRUE;
    case IDC_MORE_INFO: OnMoreInfo(); return TRUE;
    default: return FALSE;
  }
}

void CDialogTray::AttachNewImageList() {
  // The list shares the image list (LVS_SHAREIMAGELISTS): the page owns and destroys it.
  unique_image_list fresh(::ImageList_Create(16, 16, ILC_COLOR32, 10, 10));
  ::SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(fresh.get()));
  images_ = std::move(fresh);
}

void CDialogTray::ListAllKinds() {
  for (TrayKind kind : {TrayKind::NotificationArea, TrayKind::Tray, TrayKind::Taskbar}) {
    WalkTrayItems(kind, TrayAction::List);
  }
}

void CDialogTray::Refresh() {
  selectedHandle_.clear();
  selectedPid_.clear();
  selectedKind_.clear();
  selectedRow_ = -1;
  ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
  AttachNewImageList();
  ::SetProcessWorkingSetSize(::GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
  ListAllKinds();
  ::EnableWindow(::GetDlgItem(Hwnd(), IDC_MORE_INFO), FALSE);
}

void CDialogTray::AddTrayRow(const TrayRow& row, HICON icon) {
  const int count = static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
  std::wstring tip = row.tip.substr(0, kTipLimit);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = count;
  item.pszText = tip.data();
  item.iImage = count;
  const int inserted = static_cast<int>(::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  // One image per row keeps a row's image index equal to its position when it was inserted, so an
  // icon the list cannot take (a handle gone stale) is replaced by the empty finder icon.
  if (::ImageList_ReplaceIcon(images_.get(), -1, icon) < 0) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(Hwnd(), GWLP_HINSTANCE));
    ::ImageList_ReplaceIcon(images_.get(), -1, ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_FINDER_EMPTY)));
  }
  if (inserted < 0) return;
  SetCell(list_, inserted, 1, row.handle);
  SetCell(list_, inserted, 2, row.pid);
  SetCell(list_, inserted, 3, row.path);
  SetCell(list_, inserted, 4, row.kind);
}

void CDialogTray::DeleteSelectedRow() {
  if (selectedRow_ >= 0) ::SendMessageW(list_, LVM_DELETEITEM, selectedRow_, 0);
  selectedRow_ = -1;
}

void CDialogTray::WalkTrayItems(TrayKind kind, TrayAction action) {
  if (kind == TrayKind::Taskbar) {
    if (action == TrayAction::List) {
      ListTaskbar();
    } else if (action == TrayAction::End) {
      EndProcessById(selectedPid_);
      selectedHandle_.clear();
      selectedPid_.clear();
      DeleteSelectedRow();
    }
    return;
  }
  WalkExplorerTray(kind, action);
}

namespace {

// Adds the row's icon: the window's own, else the program file's, else the empty finder icon.
template <typename AddRow>
void WithRowIcon(HICON own, const std::wstring& path, HWND page, AddRow addRow) {
  if (own != nullptr) {
    addRow(own);
    return;
  }
  SHFILEINFOW info{};
  if (!path.empty() && ::SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) &&
      info.hIcon != nullptr) {
    addRow(info.hIcon);
    ::DestroyIcon(info.hIcon);
    return;
  }
  addRow(::LoadIconW(reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(page, GWLP_HINSTANCE)),
                     MAKEINTRESOURCEW(IDI_FINDER_EMPTY)));
}

std::wstring TitleOf(HWND window) {
  wchar_t title[1024] = {};
  ::GetWindowTextW(window, title, 1024);
  return text::FromBuffer(title, 1024);
}

}  // namespace

void CDialogTray::ListTaskbar() {
  for (HWND window : ListTaskbarWindows()) {
    const WindowProcess process = GetWindowProcessPath(window);
    TrayRow row{TitleOf(window), FormatHandle(window), process.pid, process.path, TrayKindText(TrayKind::Taskbar)};
    HICON own = reinterpret_cast<HICON>(::GetClassLongPtrW(window, GCLP_HICON));
    WithRowIcon(own, row.path, Hwnd(), [&](HICON icon) { AddTrayRow(row, icon); });
  }
}

void CDialogTray::WalkExplorerTray(TrayKind kind, TrayAction action) {
  if (!services_.openTray) return;
  std::unique_ptr<ITraySource> tray = services_.openTray(kind);
  if (!tray) return;
  const int count = tray->Count();
  for (int index = 0; index < count; ++index) {
    const std::optional<TrayItem> item = tray->Item(index);
    if (!item) continue;
    NOTIFYICONDATAW request = MakeNotifyRequest(*item);
    const std::wstring handle = FormatHandle(item->window);
    switch (action) {
      case TrayAction::List: {
        const WindowProcess process = GetWindowProcessPath(item->window);
        TrayRow row{item->tip, handle, process.pid, process.path, TrayKindText(kind)};
        WithRowIcon(item->icon, row.path, Hwnd(), [&](HICON icon) { AddTrayRow(row, icon); });
        break;
      }
      case TrayAction::End:
        if (handle != selectedHandle_) break;
        services_.notifyIcon(NIM_DELETE, &request);
        EndProcessById(selectedPid_);
        selectedHandle_.clear();
        DeleteSelectedRow();
        break;
      case TrayAction::Hide:
      case TrayAction::Show:
        if (handle != selectedHandle_) break;
        request.dwState = action == TrayAction::Hide ? NIS_HIDDEN : 2;
        request.dwStateMask = NIS_HIDDEN;
        services_.notifyIcon(NIM_MODIFY, &request);
        break;
    }
  }
}

void CDialogTray::OnRowClick() {
  const int row = static_cast<int>(::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  HWND more = ::GetDlgItem(Hwnd(), IDC_MORE_INFO);
  if (row < 0) {
    ::EnableWindow(more, FALSE);
    return;
  }
  selectedHandle_ = CellText(list_, row, 1);
  selectedPid_ = CellText(list_, row, 2);
  selectedKind_ = CellText(list_, row, 4);
  selectedRow_ = row;
  ::EnableWindow(more, TRUE);
}

void CDialogTray::OnAction(TrayAction action) {
  if (!selectedHandle_.empty()) {
    for (TrayKind kind : {TrayKind::NotificationArea, TrayKind::Tray, TrayKind::Taskbar}) {
      if (selectedKind_ == TrayKindText(kind)) WalkTrayItems(kind, action);
    }
  }
  ::EnableWindow(::GetDlgItem(Hwnd(), IDC_MORE_INFO), FALSE);
}

void CDialogTray::OnMoreInfo() {
  const SharedHandles& shared = Shared();
  ::SetWindowTextW(shared.handleBox, selectedHandle_.c_str());
  ::ShowWindow(shared.varnexButton, SW_SHOW);
  ::SendMessageW(shared.mainWindow, WM_SHOW_FINDER_PAGE, 0, 0);
  ::SendMessageW(shared.finderPage, WM_FIND_BY_HANDLE, 0, 0);
  ::EnableWindow(::GetDlgItem(Hwnd(), IDC_MORE_INFO), FALSE);
}

}  // namespace spotlark
