// The removal worker: handles the ticked rows of the shown result view, bottom to top, and takes
// them out of the views.
#pragma once

#include <windows.h>

#include <memory>

#include "../core/scan_state.h"
#include "ask_user.h"

namespace varnex::remediation {

// Called on the window's thread by the action button, which has already disabled the action and
// Rescan buttons; `tabIndex` selects the view (0 = all items). `ask` may be empty (real message
// boxes). Answers false, with the buttons enabled again, when no worker could be started.
bool StartRemovalThread(HWND dialog, int tabIndex, std::shared_ptr<ScanState> state, AskUserFn ask);

}  // namespace varnex::remediation
