// What the removal worker needs from the window it works for: the rows of the view it handles,
// the status line and the buttons. The main dialog implements it over its list views; the tests
// and the restore code drive the worker through their own implementations, without a dialog.
#pragma once

#include <windows.h>

#include <string>

#include "../core/finding.h"

namespace varnex::remediation {

class IRemovalWindow {
 public:
  virtual ~IRemovalWindow() = default;
  // Rows of the view being worked on; row indexes are those of that view.
  virtual int RowCount() = 0;
  virtual bool IsRowChecked(int row) = 0;
  // The row's eleven columns as a Finding.
  virtual Finding ReadRow(int row) = 0;
  // Takes a handled row out of the view and, when the view is a category view, the row of the
  // all-items view that stands for the same item.
  virtual void RemoveRow(int row, const Finding& finding) = 0;
  virtual void SetStatusText(const std::wstring& text) = 0;
  // Enables the Rescan button, then the action button (the restore button before them).
  virtual void EnableButtons() = 0;
  // Owner of the program's message boxes (may be null).
  virtual HWND Owner() = 0;
};

}  // namespace varnex::remediation
