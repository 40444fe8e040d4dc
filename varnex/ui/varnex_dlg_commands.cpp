// The user's commands on the result views: select all, invert, the detail text, the context
// menu, and the minimised icon.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/unique_resource.h"
#include "../../common/winaccess/winaccess.h"
#include "list_view.h"
#include "resource.h"
#include "varnex_dlg.h"
#include "view_texts.h"

namespace varnex::ui {

int CVarnexDlg::CurrentTab() const {
  const auto index = static_cast<int>(::SendDlgItemMessageW(Hwnd(), IDC_TAB, TCM_GETCURSEL, 0, 0));
  return index >= 0 && index < kViewCount ? index : 0;
}

bool CVarnexDlg::IsProtectedRow(HWND view, int row) const {
  return IsProtectedItem(CellText(view, row, kColCompany), CellText(view, row, kColFileDescription));
}

namespace {

// The row of view 0 that a category view's row stands for, or -1 when its ID names none.
int AllItemsRowOf(HWND allItems, HWND view, int row) {
  unsigned long n = 0;
  if (!text::ParseUnsigned(CellText(view, row, kColId), n)) return -1;
  return n < static_cast<unsigned long>(RowCount(allItems)) ? static_cast<int>(n) : -1;
}

}  // namespace

void CVarnexDlg::OnSelectAll() {
  const int tab = CurrentTab();
  HWND view = views_[tab];
  int skipped = 0;
  for (int r = 0; r < RowCount(view); ++r) {
    if (IsProtectedRow(view, r)) {
      if (!IsRowChecked(view, r)) ++skipped;
    } else {
      SetRowChecked(view, r, true);
    }
    if (tab != 0) {
      const int target = AllItemsRowOf(views_[0], view, r);
      if (target >= 0) SetRowChecked(views_[0], target, true);
    } else {
      state_->CategoryViewsStale = true;
    }
  }
  ::SetDlgItemTextW(Hwnd(), IDC_STATUS, SelectionCountText(RowCount(view) - skipped).c_str());
}

void CVarnexDlg::OnInvert() {
  const int tab = CurrentTab();
  HWND view = views_[tab];
  for (int r = 0; r < RowCount(view); ++r) {
    const bool checked = !IsRowChecked(view, r);
    if (!IsProtectedRow(view, r)) SetRowChecked(view, r, checked);
    if (tab != 0) {
      const int target = AllItemsRowOf(views_[0], view, r);
      if (target >= 0) SetRowChecked(views_[0], target, checked);
    } else {
      state_->CategoryViewsStale = true;
    }
  }
  ::SetDlgItemTextW(Hwnd(), IDC_STATUS, L"");
}

void CVarnexDlg::ShowDetails(HWND view, int row) {
  if (row < 0 || row >= RowCount(view)) {
    ::SetDlgItemTextW(Hwnd(), IDC_STATUS, L"");
    return;
  }
  const std::wstring details =
      DetailText(CellText(view, row, kColType), CellText(view, row, kColDescrip), CellText(view, row, kColMatchMethod),
                 CellText(view, row, kColStartPath), CellText(view, row, kColBinPath));
  ::SetDlgItemTextW(Hwnd(), IDC_STATUS, details.c_str());
}

void CVarnexDlg::OnViewClick(HWND /*view*/) {
  HWND current = views_[CurrentTab()];
  ShowDetails(current, SelectedRow(current));
}

void CVarnexDlg::OnViewKeyDown(HWND /*view*/, WORD key) {
  HWND current = views_[CurrentTab()];
  ShowDetails(current, RowAfterKey(SelectedRow(current), RowCount(current), key));
}

void CVarnexDlg::OnViewRightClick(HWND /*view*/) {
  HWND current = views_[CurrentTab()];
  const int row = SelectedRow(current);
  if (row >= 0) {
    const std::wstring filePath = CellText(current, row, kColFilePath);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(Hwnd(), GWLP_HINSTANCE));
    winaccess::unique_menu menu(::LoadMenuW(instance, MAKEINTRESOURCEW(IDR_CONTEXT_MENU)));
    HMENU popup = menu ? ::GetSubMenu(menu.get(), 0) : nullptr;
    UINT command = 0;
    if (popup != nullptr) {
      if (options_.trackMenu) {
        command = options_.trackMenu(Hwnd(), popup);
      } else {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        command = static_cast<UINT>(
            ::TrackPopupMenu(popup, TPM_RIGHTBUTTON | TPM_RETURNCMD, cursor.x, cursor.y, 0, Hwnd(), nullptr));
      }
    }
    if (command == ID_OPEN_LOCATION) {
      std::wstring explorer;
      if (!winaccess::ExpandEnvironment(L"%systemroot%\\explorer.exe", explorer, 522)) explorer = L"explorer.exe";
      const std::wstring parameters = L"/select," + filePath;
      if (options_.launch) {
        options_.launch(explorer, parameters);
      } else {
        ::ShellExecuteW(nullptr, L"open", explorer.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
      }
    }
    if (command == ID_EXPORT_ALL) {
      ExportAllResults();
      return;  // the status box tells how the export went
    }
  }
  ::SetDlgItemTextW(Hwnd(), IDC_STATUS, L"");
}

bool CVarnexDlg::OnPaintMinimised() {
  if (!::IsIconic(Hwnd())) return false;
  PAINTSTRUCT paint{};
  HDC dc = ::BeginPaint(Hwnd(), &paint);
  ::SendMessageW(Hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client{};
  ::GetClientRect(Hwnd(), &client);
  const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc, x, y, icon_);
  ::EndPaint(Hwnd(), &paint);
  return true;
}

}  // namespace varnex::ui
