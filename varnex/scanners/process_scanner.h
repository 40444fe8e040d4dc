// Running processes: one Finding per process that can be opened, completed with FillIdentity and
// handed to the consumer. A rundll32.exe process is reported under the DLL it runs.
//
// From a scan step:
//   varnex::ScanProcesses(*context.state, *context.window, classifier.Consumer());
#pragma once

#include "../core/scan_state.h"
#include "../core/scan_window.h"
#include "finding_consumer.h"

namespace varnex {

inline constexpr const wchar_t* kProcessScanStatus = L"正在扫描进程...";

// Sets the status text, walks a process snapshot and stops early after the entry during which
// StopRequested became set. Processes that cannot be opened are skipped silently.
void ScanProcesses(const ScanState& state, IScanWindow& window, const FindingConsumer& consume);

}  // namespace varnex
