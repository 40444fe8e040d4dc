// "varnex.exe /restore": the command line that opens only the restore window.
#pragma once

#include <string>

namespace varnex {

// The whole command line, trimmed, is "/restore" or "-restore" in any letter case.
bool IsRestoreCommandLine(const std::wstring& commandLine);

}  // namespace varnex
