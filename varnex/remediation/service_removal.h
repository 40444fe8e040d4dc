// Neutralising one service or driver: new start type, optional stop, and in service-deletion mode
// its deletion. Each failed step is reported with one message box and the next step still runs.
#pragma once

#include <windows.h>

#include <string>

#include "../core/ask_user.h"

namespace varnex::remediation {

struct ServiceContext {
  SC_HANDLE manager = nullptr;     // borrowed; null makes every call fail at once
  bool serviceDeleteMode = false;
  HWND owner = nullptr;            // owner of the message boxes
  AskUserFn ask;
};

// True when every step that was attempted succeeded.
bool DisableService(const ServiceContext& context, std::wstring serviceName, DWORD startType, bool stop);

}  // namespace varnex::remediation
