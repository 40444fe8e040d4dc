// The handling of one ticked row: the action its Type calls for, the class registration it names,
// and its log record.
#pragma once

#include "../core/finding.h"
#include "service_removal.h"

namespace varnex::remediation {

struct RemovalRun {
  ServiceContext services;  // also carries the message-box seam
  bool restartExplorer = false;
};

// Acts on the row's item, then logs it. `row` is the row as read from the view; handling may
// lower-case some of its fields, and the log record shows them as they then are.
void HandleRow(Finding row, RemovalRun& run);

}  // namespace varnex::remediation
