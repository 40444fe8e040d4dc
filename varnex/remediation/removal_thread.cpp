#include <windows.h>

#include "removal_thread.h"

#include <commctrl.h>
#include <shellapi.h>

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/unique_resource.h"
#include "../core/scan_texts.h"
#include "../core/worker.h"
#include "../ui/list_view.h"
#include "../ui/resource.h"
#include "row_handler.h"

namespace varnex::remediation {
namespace {

struct RemovalWindow {
  HWND dialog = nullptr;
  HWND view = nullptr;      // the view being worked on
  HWND allItems = nullptr;  // view 0
  HWND status = nullptr;
  HWND action = nullptr;
  HWND rescan = nullptr;
  int tabIndex = 0;
};

void EnableButtons(const RemovalWindow& window) {
  ::EnableWindow(window.rescan, TRUE);
  ::EnableWindow(window.action, TRUE);
}

Finding ReadRow(HWND view, int row) {
  Finding finding;
  for (int c = 0; c < kFindingColumnCount; ++c) FieldOf(finding, c) = ui::CellText(view, row, c);
  return finding;
}

// The row of view 0 that a category row stands for: its ID column, when that row is still the
// same item. A position that names no row, or another item, leaves view 0 alone.
int AllItemsRow(const RemovalWindow& window, const Finding& row) {
  unsigned long position = 0;
  if (!text::ParseUnsigned(row.Id, position) || position >= static_cast<unsigned long>(ui::RowCount(window.allItems))) {
    return -1;
  }
  const int at = static_cast<int>(position);
  if (ui::CellText(window.allItems, at, kColName) != row.Name ||
      ui::CellText(window.allItems, at, kColType) != row.Type ||
      ui::CellText(window.allItems, at, kColStartPath) != row.StartPath) {
    return -1;
  }
  return at;
}

void AskToRestartExplorer(const RemovalWindow& window, const AskUserFn& ask) {
  if (ask(window.dialog, L"是否重建桌面进程Explorer.exe，以卸载运行中的dll？", kProgramCaption, MB_YESNO) != IDYES) {
    return;
  }
  ::ShellExecuteW(nullptr, L"open", L"c:\\windows\\system32\\cmd.exe",
                  L"/c taskkill /f /im explorer.exe&&start c:\\windows\\explorer.exe", nullptr, SW_SHOW);
  ::SetWindowTextW(window.status,
                   L"已重建桌面进程。如果桌面白屏或黑屏，可能是杀软阻止了相关操作。可以Ctrl+Shift+Esc调出任务管理器，"
                   L"点文件，运行新任务，打开Explorer.exe");
}

void RemovalThread(const RemovalWindow& window, ScanState& state, const AskUserFn& ask) {
  const int count = ui::RowCount(window.view);
  if (count == 0) {
    state.RemovalRunning = false;
    EnableButtons(window);
    return;
  }
  winaccess::unique_sc_handle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  RemovalRun run;
  run.services = {manager.get(), state.ServiceDeleteMode, window.dialog, ask};

  // Bottom to top, so that deleting a row never moves a row still to be visited.
  for (int i = count - 1; i >= 0; --i) {
    if (!ui::IsRowChecked(window.view, i)) continue;
    const Finding row = ReadRow(window.view, i);
    ::SetWindowTextW(window.status, (L"正在处理：" + row.Name).c_str());
    HandleRow(row, run);
    const int allItemsRow = window.tabIndex != 0 ? AllItemsRow(window, row) : -1;
    ::SendMessageW(window.view, LVM_DELETEITEM, i, 0);
    if (allItemsRow >= 0) ::SendMessageW(window.allItems, LVM_DELETEITEM, allItemsRow, 0);
  }

  ::SetWindowTextW(window.status, L"处理完毕！");
  // Marked stale before the buttons come back, so a Rescan pressed at once is not undone by it.
  state.CategoryViewsStale = true;
  state.RemovalRunning = false;
  manager.reset();
  EnableButtons(window);
  if (run.restartExplorer) AskToRestartExplorer(window, ask);
}

}  // namespace

bool StartRemovalThread(HWND dialog, int tabIndex, std::shared_ptr<ScanState> state, AskUserFn ask) {
  RemovalWindow window;
  window.dialog = dialog;
  window.tabIndex = tabIndex >= 0 && tabIndex < kViewCount ? tabIndex : 0;
  window.view = ::GetDlgItem(dialog, IDC_VIEW_FIRST + window.tabIndex);
  window.allItems = ::GetDlgItem(dialog, IDC_VIEW_FIRST);
  window.status = ::GetDlgItem(dialog, IDC_STATUS);
  window.action = ::GetDlgItem(dialog, IDC_ACTION);
  window.rescan = ::GetDlgItem(dialog, IDC_RESCAN);

  state->RemovalRunning = true;
  const bool started = StartWorker([window, state, ask = AskUserOrMessageBox(std::move(ask))] {
    RemovalThread(window, *state, ask);
    state->RemovalRunning = false;
  });
  if (!started) {
    state->RemovalRunning = false;
    EnableButtons(window);
  }
  return started;
}

}  // namespace varnex::remediation
