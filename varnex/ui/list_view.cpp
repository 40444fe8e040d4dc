#include <windows.h>

#include "list_view.h"

#include <commctrl.h>

#include <vector>

namespace varnex::ui {

HWND CreateResultView(HWND dialog, int id) {
  HWND view = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT,
                                0, 0, 960, 303, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(dialog, GWLP_HINSTANCE)), nullptr);
  if (view == nullptr) return nullptr;
  const DWORD ex = LVS_EX_CHECKBOXES | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE |
                   LVS_EX_FLATSB;
  ::SendMessageW(view, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
  for (int c = 0; c < kFindingColumnCount; ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = kFindingColumns[c].width;
    column.pszText = const_cast<wchar_t*>(kFindingColumns[c].title);
    column.iSubItem = c;
    ::SendMessageW(view, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
  }
  return view;
}

int RowCount(HWND view) { return static_cast<int>(::SendMessageW(view, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring CellText(HWND view, int row, int column) {
  // Grows the buffer until the text fits: command lines can be long.
  for (int capacity = 512; capacity <= (1 << 20); capacity *= 4) {
    std::vector<wchar_t> buffer(capacity, L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = capacity;
    const auto length = static_cast<int>(::SendMessageW(view, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    if (length < capacity - 1) return std::wstring(buffer.data(), length < 0 ? 0 : length);
  }
  return {};
}

void SetCellText(HWND view, int row, int column, const std::wstring& text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  ::SendMessageW(view, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

bool IsRowChecked(HWND view, int row) {
  const auto state = static_cast<UINT>(::SendMessageW(view, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void SetRowChecked(HWND view, int row, bool checked) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  ::SendMessageW(view, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

int InsertFindingRow(HWND view, int position, const Finding& finding, const std::wstring& id) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = position;
  item.pszText = const_cast<wchar_t*>(finding.Name.c_str());
  const int row = static_cast<int>(::SendMessageW(view, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return -1;
  for (int c = 1; c < kFindingColumnCount; ++c) {
    SetCellText(view, row, c, c == kColId ? id : FieldOf(finding, c));
  }
  return row;
}

int SelectedRow(HWND view) {
  return static_cast<int>(::SendMessageW(view, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

}  // namespace varnex::ui
