// The text rules of the startup places: which programs a logon value names beyond the Windows
// default, and the command a shortcut stands for. Pure, so every odd value can be tried natively.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace varnex::scanners {

// The programs the Winlogon value `valueName` ("Shell", "Userinit" or "Taskman") starts beyond
// what Windows starts by default, each as it is written in the value (quotes and blanks trimmed).
// Shell and Userinit are comma-separated lists whose default entry (explorer.exe; the system
// folder's userinit.exe) is tolerated in any letter case, with or without quotes, with the
// Windows folder written as C:\Windows, %SystemRoot% or %windir%; an entry that is the default
// followed by blanks and more text names that text. Taskman has no default: any text is a program.
// Other value names give nothing.
std::vector<std::wstring> WinlogonAddedPrograms(std::wstring_view valueName, std::wstring_view text);

// The command a shortcut runs: its target, in double quotes when it holds a blank, followed by a
// blank and the arguments when there are any. Both texts are taken up to their first 0 character
// and never past their capacity, whatever the link file held.
std::wstring ShortcutCommand(const wchar_t* target, std::size_t targetCapacity, const wchar_t* arguments,
                             std::size_t argumentsCapacity);

// Files of a Startup folder that are not started at logon: the folder's own settings file.
bool IsFolderSettingsFile(std::wstring_view fileName);

// A shell link file, by its ".lnk" ending in any letter case.
bool IsShortcutFileName(std::wstring_view fileName);

}  // namespace varnex::scanners
