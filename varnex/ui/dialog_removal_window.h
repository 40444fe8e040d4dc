// The main dialog as the removal worker sees it: the view of the tab that was current when the
// action button was pressed, view 0, the status line and the two buttons. Holds only window
// handles, so its calls simply fail once the window is gone.
#pragma once

#include <windows.h>

#include "../remediation/removal_window.h"

namespace varnex::ui {

class DialogRemovalWindow : public remediation::IRemovalWindow {
 public:
  DialogRemovalWindow(HWND dialog, int tabIndex);

  int RowCount() override;
  bool IsRowChecked(int row) override;
  Finding ReadRow(int row) override;
  void RemoveRow(int row, const Finding& finding) override;
  void SetStatusText(const std::wstring& text) override;
  void EnableButtons() override;
  HWND Owner() override { return dialog_; }

 private:
  int AllItemsRow(const Finding& row) const;

  HWND dialog_;
  int tabIndex_;
  HWND view_;
  HWND allItems_;
  HWND status_;
  HWND action_;
  HWND rescan_;
  HWND restore_;  // off while a removal writes its backups
};

}  // namespace varnex::ui
