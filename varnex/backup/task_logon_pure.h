// How a task read back from its XML is registered again: the logon type and account its
// <Principal> names. Pure text reading of the Task Scheduler's XML.
#pragma once

#include <string>

namespace varnex::backup {

struct TaskLogon {
  int type = 3;       // TASK_LOGON_INTERACTIVE_TOKEN unless the XML says otherwise
  std::wstring user;  // the <UserId> of the principal, "" for none
};

// <LogonType> S4U -> 2 (TASK_LOGON_S4U), InteractiveToken -> 3, Password -> 3 (the password is not
// in the XML: the task is registered to run when the user is logged on), Group -> 4,
// ServiceAccount -> 5, InteractiveTokenOrPassword -> 6; without one, a <UserId> of a service
// account (SYSTEM, LOCAL SERVICE, NETWORK SERVICE, S-1-5-18/19/20) -> 5, else 3. A <GroupId> -> 4.
TaskLogon TaskLogonOf(const std::wstring& xml);

}  // namespace varnex::backup
