// Text rules of the process scanner: which process runs a DLL through rundll32.exe, and which DLL.
#pragma once

#include <string>

namespace varnex {

// True when the executable name is rundll32.exe in any letter case.
bool IsRundllName(const std::wstring& exeName);

// The DLL named on a rundll32.exe command line: the text after "rundll32.exe" and the one
// character that follows it (a blank or a quote), trimmed, cut after ".dll" (case-sensitive) or
// else before the first ","; "" when it has neither. The program name is found in any letter
// case; a command line without it is read from index 12 on. A command line too short for either
// start gives "".
std::wstring RundllTargetPath(const std::wstring& commandLine);

}  // namespace varnex
