// The removal worker: handles the ticked rows of the shown result view, bottom to top, and takes
// them out of the views. It reads the rows and reports through IRemovalWindow.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "../backup/step_backup.h"
#include "../core/ask_user.h"
#include "../core/scan_state.h"
#include "removal_window.h"

namespace varnex::remediation {

struct RemovalOptions {
  AskUserFn ask;              // may be empty: real message boxes
  std::wstring backupStore;  // the folder of the backup runs; "" = backup::DefaultStoreFolder()
  std::shared_ptr<backup::ITaskStore> tasks;  // may be null: the Task Scheduler
};

// One whole run on the calling thread.
void RunRemoval(IRemovalWindow& window, ScanState& state, const RemovalOptions& options);

// Called on the window's thread by the action button, which has already disabled the action and
// Rescan buttons. Answers false, with the buttons enabled again, when no worker could be started.
bool StartRemovalThread(std::shared_ptr<IRemovalWindow> window, std::shared_ptr<ScanState> state,
                        RemovalOptions options);

}  // namespace varnex::remediation
