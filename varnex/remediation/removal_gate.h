// Keeps the category views from being rebuilt while a removal walks one of them: a tab switch
// during the run shows the tab but leaves the rebuild for the first switch after the run, so the
// row the worker reads is always the row whose tick it read.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "../core/scan_state.h"

namespace varnex::remediation {

struct RemovalGate {
  std::shared_ptr<ScanState> state;
  std::atomic<bool> running{false};
};

// Installs the gate on the dialog once (on the window's thread) and answers it.
std::shared_ptr<RemovalGate> GateFor(HWND dialog, std::shared_ptr<ScanState> state);

}  // namespace varnex::remediation
