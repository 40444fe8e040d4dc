// The handling of one ticked row: the action its Type calls for, the class registration it names,
// and its log record.
#pragma once

#include "../core/finding.h"
#include "../backup/step_backup.h"
#include "service_removal.h"

namespace varnex::remediation {

struct RemovalRun {
  ServiceContext services;  // also carries the message-box seam
  backup::IRemovalBackups* backups = nullptr;
  bool restartExplorer = false;
};

// Acts on the row's item, backing up what each step removes before it runs, then logs it. `row`
// is the row as read from the view; handling may lower-case some of its fields, and the log
// record shows them as they then are. Answers false when a backup could not be written: the
// user is told, the row's remaining steps did not run, and the row is to stay in the view.
bool HandleRow(Finding row, RemovalRun& run);

}  // namespace varnex::remediation
