// The report switches of the command line, run before (and instead of) the window:
// "/report PATH [TARGET]" and "/compare OLD.json NEW.json [OUT]".
#pragma once

#include <functional>
#include <string>

namespace varnex::ui {

// The exit code of the switch, or -1 when the command line holds none and the window starts.
int RunReportCommandLine(const std::wstring& fullCommandLine);

// /compare: 0 when nothing changed, 1 when something did, 2 on an error.
int RunCompare(const std::wstring& oldPath, const std::wstring& newPath, const std::wstring& outPath,
               const std::function<void(const std::wstring&)>& print);

}  // namespace varnex::ui
