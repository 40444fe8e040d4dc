#include <windows.h>

#include "dialog_removal_window.h"

#include <commctrl.h>

#include "../../common/text/text_rules.h"
#include "../core/scan_texts.h"
#include "list_view.h"
#include "resource.h"

namespace varnex::ui {

DialogRemovalWindow::DialogRemovalWindow(HWND dialog, int tabIndex)
    : dialog_(dialog), tabIndex_(tabIndex >= 0 && tabIndex < kViewCount ? tabIndex : 0) {
  view_ = ::GetDlgItem(dialog, IDC_VIEW_FIRST + tabIndex_);
  allItems_ = ::GetDlgItem(dialog, IDC_VIEW_FIRST);
  status_ = ::GetDlgItem(dialog, IDC_STATUS);
  action_ = ::GetDlgItem(dialog, IDC_ACTION);
  rescan_ = ::GetDlgItem(dialog, IDC_RESCAN);
  restore_ = ::GetDlgItem(dialog, IDC_RESTORE);
}

int DialogRemovalWindow::RowCount() { return ui::RowCount(view_); }

bool DialogRemovalWindow::IsRowChecked(int row) { return ui::IsRowChecked(view_, row); }

Finding DialogRemovalWindow::ReadRow(int row) {
  Finding finding;
  for (int c = 0; c < kFindingColumnCount; ++c) FieldOf(finding, c) = CellText(view_, row, c);
  return finding;
}

// The row of view 0 that a category row stands for: its ID column, when that row is still the
// same item. A position that names no row, or another item, leaves view 0 alone.
int DialogRemovalWindow::AllItemsRow(const Finding& row) const {
  unsigned long position = 0;
  if (!text::ParseUnsigned(row.Id, position) || position >= static_cast<unsigned long>(ui::RowCount(allItems_))) {
    return -1;
  }
  const int at = static_cast<int>(position);
  if (CellText(allItems_, at, kColName) != row.Name || CellText(allItems_, at, kColType) != row.Type ||
      CellText(allItems_, at, kColStartPath) != row.StartPath) {
    return -1;
  }
  return at;
}

void DialogRemovalWindow::RemoveRow(int row, const Finding& finding) {
  const int allItemsRow = tabIndex_ != 0 ? AllItemsRow(finding) : -1;
  ::SendMessageW(view_, LVM_DELETEITEM, row, 0);
  if (allItemsRow >= 0) ::SendMessageW(allItems_, LVM_DELETEITEM, allItemsRow, 0);
}

void DialogRemovalWindow::SetStatusText(const std::wstring& text) { ::SetWindowTextW(status_, text.c_str()); }

void DialogRemovalWindow::EnableButtons() {
  ::EnableWindow(restore_, TRUE);
  ::EnableWindow(rescan_, TRUE);
  ::EnableWindow(action_, TRUE);
}

}  // namespace varnex::ui
