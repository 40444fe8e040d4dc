// The file-scan mode's only scanner: walks the ScanPathList folders (every file) and the fixed
// system and program folders (module files only), reads the Authenticode signer of each file that
// passes, and posts every file whose signer matches SignList as a "文件" Finding, straight to the
// window (no Classifier, no whitelist).
//
// From the scan steps:
//   steps->ScanFiles = [state, rules, window] { ScanFiles(*state, *rules, *window); };
#pragma once

#include <cstdint>
#include <vector>

#include "../core/scan_state.h"
#include "../core/scan_window.h"
#include "../rules/rule_data.h"
#include "file_walk.h"

namespace varnex {

void ScanFiles(const ScanState& state, const RuleData& rules, IScanWindow& window);

// How often the scan shows the file it is at.
inline constexpr std::uint64_t kFileStatusIntervalMs = 100;

// The same walk over the given roots instead of ScanPathList and the fixed folders; no first
// status line; an interval of 0 shows every file's status line. Answers the most folders that
// waited on the walk stack at one time.
std::size_t ScanFileRoots(const std::vector<WalkRoot>& roots, const ScanState& state, const RuleData& rules,
                          IScanWindow& window, std::uint64_t statusIntervalMs = kFileStatusIntervalMs);

}  // namespace varnex
