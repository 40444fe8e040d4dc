// Bringing back what a removal run backed up: the list of backed-up items of every run, newest
// run first, and the restore of one item. Used by the restore window and by the tests.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <functional>

#include "../core/ask_user.h"
#include "backup_records.h"
#include "task_store.h"

namespace varnex::backup {

struct RestoreEntry {
  std::wstring runFolder;  // the run's backup folder
  std::wstring runName;    // its name (date and time)
  ManifestEntry entry;
  bool restorable = false;  // readable, not yet restored
  std::wstring state;       // the state column: "可恢复", "已恢复", "无法读取：...", ...
};

// Every run folder of the store `storeFolder` ("...\备份"), newest first, with its items in manifest order.
// A run folder without a readable manifest gives one unreadable entry; nothing ever throws.
std::vector<RestoreEntry> ListBackups(const std::wstring& storeFolder);

struct RestoreContext {
  AskUserFn ask;  // questions ("already there: overwrite?") and nothing else
  HWND owner = nullptr;
  std::shared_ptr<ITaskStore> tasks;  // null: the Task Scheduler
  std::function<void(const std::wstring&)> log;  // each attempt's record (RestoreLogRecord); may be empty
};

// Restores one item and, when it came back, marks it restored in its manifest. Each attempt is
// handed to the context's log. `message` says what happened, for the window's status line.
bool RestoreItem(const RestoreEntry& entry, const RestoreContext& context, std::wstring& message);

}  // namespace varnex::backup
