// Stopping and deleting one scheduled task through the Task Scheduler 2.0 interfaces. Silent:
// false on any failure.
#pragma once

#include <string>

namespace varnex::remediation {

// `folderPath` is the task's folder ("" or "\" for the root folder).
bool DeleteScheduledTask(std::wstring taskName, std::wstring folderPath);

}  // namespace varnex::remediation
