// The command lines that startup values and scheduled tasks should never need: a shell, script
// host, registration tool, browser or WMI started with the switches that hide or download.
#pragma once

#include <string>

namespace varnex {

enum class CommandVerdict {
  NoMatch,     // none of the patterns holds
  Suspicious,  // a pattern holds
  Exempt,      // hidden PowerShell that only turns off SMB1: a known harmless system task
};

// `lowerCommand` is the raw command text, lower-cased (A-Z). Program names may stand anywhere;
// switches must stand after the start (their first occurrence at index 1 or later).
CommandVerdict JudgeStartupCommand(const std::wstring& lowerCommand);

}  // namespace varnex
