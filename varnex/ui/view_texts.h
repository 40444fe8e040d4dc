// Texts and row rules of the result-view commands. Pure, so they are tested natively.
#pragma once

#include <string>

namespace varnex::ui {

// A protected row keeps its check mark through Select all and Invert: a driver trojan or an
// item whose vendor column says it is only suspicious.
bool IsProtectedItem(const std::wstring& company, const std::wstring& fileDescription);

std::wstring SelectionCountText(int count);

// The detail pane's text for a row: process rows name the PIDs, every other row its description
// and registration.
std::wstring DetailText(const std::wstring& type, const std::wstring& descrip, const std::wstring& matchMethod,
                        const std::wstring& startPath, const std::wstring& binPath);

// The row whose details a key press shows: up and down move one row within the view; other keys
// keep the selected row; with no selection only the down key shows row 0. -1 means none.
int RowAfterKey(int selectedRow, int rowCount, unsigned key);

}  // namespace varnex::ui
