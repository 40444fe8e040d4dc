#include <windows.h>

#include "removal_thread.h"

#include <shellapi.h>

#include "../../common/winaccess/unique_resource.h"
#include "../../common/winaccess/winaccess.h"
#include "../core/worker.h"
#include "row_handler.h"

namespace varnex::remediation {
namespace {

void AskToRestartExplorer(IRemovalWindow& window, const AskUserFn& ask) {
  if (ask(window.Owner(), L"是否重建桌面进程Explorer.exe，以卸载运行中的dll？", kProgramCaption, MB_YESNO) != IDYES) {
    return;
  }
  ::ShellExecuteW(nullptr, L"open", L"c:\\windows\\system32\\cmd.exe",
                  L"/c taskkill /f /im explorer.exe&&start c:\\windows\\explorer.exe", nullptr, SW_SHOW);
  window.SetStatusText(
                   L"已重建桌面进程。如果桌面白屏或黑屏，可能是杀软阻止了相关操作。可以Ctrl+Shift+Esc调出任务管理器，"
                   L"点文件，运行新任务，打开Explorer.exe");
}

}  // namespace

void RunRemoval(IRemovalWindow& window, ScanState& state, const RemovalOptions& options) {
  const AskUserFn ask = AskUserOrMessageBox(options.ask);
  const int count = window.RowCount();
  if (count == 0) {
    state.RemovalRunning = false;
    window.EnableButtons();
    return;
  }
  winaccess::unique_sc_handle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  const auto backups =
      backup::OpenRemovalBackups(options.backupStore.empty() ? backup::DefaultStoreFolder() : options.backupStore,
                                 options.tasks);
  RemovalRun run;
  run.services = {manager.get(), state.ServiceDeleteMode, window.Owner(), ask};
  run.backups = backups.get();

  // Bottom to top, so that deleting a row never moves a row still to be visited.
  for (int i = count - 1; i >= 0; --i) {
    if (!window.IsRowChecked(i)) continue;
    const Finding row = window.ReadRow(i);
    window.SetStatusText(L"正在处理：" + row.Name);
    // A row whose backup could not be written stays, so the user sees it was not handled.
    if (HandleRow(row, run)) window.RemoveRow(i, row);
  }

  window.SetStatusText(L"处理完毕！");
  // Marked stale before the buttons come back, so a Rescan pressed at once is not undone by it.
  state.CategoryViewsStale = true;
  state.RemovalRunning = false;
  manager.reset();
  window.EnableButtons();
  if (run.restartExplorer) AskToRestartExplorer(window, ask);
}

bool StartRemovalThread(std::shared_ptr<IRemovalWindow> window, std::shared_ptr<ScanState> state,
                        RemovalOptions options) {
  state->RemovalRunning = true;
  const bool started = StartWorker([window, state, options = std::move(options)] {
    RunRemoval(*window, *state, options);
    state->RemovalRunning = false;
  });
  if (!started) {
    state->RemovalRunning = false;
    window->EnableButtons();
  }
  return started;
}

}  // namespace varnex::remediation
