// Small wrappers over the list-view messages the result views need.
#pragma once

#include <windows.h>

#include <string>

#include "../core/finding.h"

namespace varnex::ui {

HWND CreateResultView(HWND dialog, int id);
int RowCount(HWND view);
std::wstring CellText(HWND view, int row, int column);
void SetCellText(HWND view, int row, int column, const std::wstring& text);
bool IsRowChecked(HWND view, int row);
void SetRowChecked(HWND view, int row, bool checked);
// Inserts a row at `position` holding the Finding's fields, with `id` in the ID column; returns
// the row's index or -1.
int InsertFindingRow(HWND view, int position, const Finding& finding, const std::wstring& id);
// The first row in the selected state, or -1.
int SelectedRow(HWND view);

}  // namespace varnex::ui
