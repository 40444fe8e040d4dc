#include <windows.h>

#include "restore_dlg.h"

#include "../backup/step_backup.h"
#include "../remediation/log_writer.h"

#include <commctrl.h>

#include "../../common/winaccess/winaccess.h"
#include "list_view.h"
#include "resource.h"

namespace varnex::ui {
namespace {

constexpr int kColumnWidths[] = {135, 80, 130, 320, 80, 200};

}  // namespace

CRestoreDlg::CRestoreDlg(RestoreDlgOptions options) : options_(std::move(options)) {
  if (options_.backupStore.empty()) options_.backupStore = backup::DefaultStoreFolder();
  if (!options_.log) options_.log = [](const std::wstring& record) { remediation::WriteRestoreLog(record); };
}

HWND CRestoreDlg::List() const { return ::GetDlgItem(Hwnd(), IDC_RESTORE_LIST); }

INT_PTR CRestoreDlg::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      if (LOWORD(wParam) == IDC_RESTORE_SELECTED) {
        OnRestoreSelected();
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        Close(IDCANCEL);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE: Close(IDCANCEL); return TRUE;
    default: return FALSE;
  }
}

BOOL CRestoreDlg::OnInitDialog() {
  HWND list = List();
  const DWORD ex = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
  ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
  for (int c = 0; c < 6; ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = kColumnWidths[c];
    column.pszText = const_cast<wchar_t*>(kRestoreColumns[c]);
    column.iSubItem = c;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
  }
  Fill();
  return TRUE;
}

void CRestoreDlg::Fill() {
  HWND list = List();
  ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  entries_ = backup::ListBackups(options_.backupStore);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const auto& e = entries_[i];
    const auto& item = e.entry.item;
    const std::wstring time = item.Get(L"time").empty() ? e.runName : item.Get(L"time");
    // An unreadable line is named by where it stands, so it can be found in the manifest.
    const std::wstring name = !item.Get(L"name").empty() ? item.Get(L"name")
                              : e.entry.line > 0         ? L"清单第 " + std::to_wstring(e.entry.line) + L" 行"
                                                         : std::wstring(L"清单");
    const std::wstring texts[] = {time, item.Get(L"type"), name, item.Get(L"place").empty() ? e.runFolder : item.Get(L"place"),
                                  item.Get(L"how"), e.state};
    LVITEMW row{};
    row.mask = LVIF_TEXT;
    row.iItem = static_cast<int>(i);
    row.pszText = const_cast<wchar_t*>(texts[0].c_str());
    const int at = static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
    for (int c = 1; c < 6; ++c) SetCellText(list, at, c, texts[c]);
  }
  ::SetDlgItemTextW(Hwnd(), IDC_RESTORE_STATUS,
                    entries_.empty() ? L"没有备份。" : (L"共 " + std::to_wstring(entries_.size()) + L" 项备份。").c_str());
}

void CRestoreDlg::OnRestoreSelected() {
  HWND list = List();
  int restored = 0, failed = 0;
  std::wstring messages;
  backup::RestoreContext context{options_.ask, Hwnd(), options_.tasks, options_.log};
  for (int i = 0; i < RowCount(list) && i < static_cast<int>(entries_.size()); ++i) {
    if (!IsRowChecked(list, i)) continue;
    std::wstring message;
    if (backup::RestoreItem(entries_[i], context, message)) {
      ++restored;
    } else {
      ++failed;
    }
    messages += entries_[i].entry.item.Get(L"name") + L"：" + message + L"\r\n";
  }
  Fill();
  const std::wstring summary = restored + failed == 0
                                   ? std::wstring(L"没有选中任何项目。")
                                   : L"已恢复 " + std::to_wstring(restored) + L" 项，未恢复 " + std::to_wstring(failed) +
                                         L" 项。\r\n" + messages;
  ::SetDlgItemTextW(Hwnd(), IDC_RESTORE_STATUS, summary.c_str());
}

}  // namespace varnex::ui
