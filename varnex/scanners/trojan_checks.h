// Three fixed checks for trojan families by what they leave on disk. They build complete Findings
// and post them straight to the window, without the Classifier.
//
// From the scan steps:
//   steps.CheckFenghuaFolders = [w](std::wstring& path) { return varnex::CheckFenghuaFolders(*w, path); };
//   steps.CheckRootkitDrivers = [w](std::wstring& path) { return varnex::CheckRootkitDrivers(*w, path); };
//   steps.CheckKnownDriverNames = [w, r] { varnex::CheckKnownDriverNames(*w, *r); };
#pragma once

#include <string>

#include "../core/scan_window.h"
#include "../rules/rule_data.h"

namespace varnex {

// Non-empty folders directly under C:\Windows named by sixteen hexadecimal digits; at most three
// are posted. `foundPath` receives the path of the last folder of that shape listed, posted or
// not, and keeps its text when there was none. True when something was posted.
bool CheckFenghuaFolders(IScanWindow& window, std::wstring& foundPath);

// Files in C:\Windows\system32\drivers named by eight hexadecimal digits and ".sys" whose product
// name does not contain "Kaspersky"; at most three are posted. `foundPath` as above.
bool CheckRootkitDrivers(IScanWindow& window, std::wstring& foundPath);

// Driver files with a known trojan name in the system's drivers folder, unless whitelisted.
void CheckKnownDriverNames(IScanWindow& window, const RuleData& rules);

}  // namespace varnex
