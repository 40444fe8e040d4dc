// varnex.exe /report PATH [TARGET]: the scan of a normal (or target-folder) start without any
// window or message box, written to a report file. Nothing is removed.
#pragma once

#include <functional>
#include <string>

#include "varnex_dlg.h"

namespace varnex::ui {

inline constexpr int kExitNothingListed = 0;
inline constexpr int kExitSomethingListed = 1;
inline constexpr int kExitError = 2;

struct HeadlessReportOptions {
  std::wstring reportPath;     // ends in .csv or .json
  bool hasTarget = false;      // target-folder mode for `target`
  std::wstring target;
  std::wstring programFolder;  // where the data folder lies; "" = the program's own folder
  ScanStepsFactory makeSteps;  // nullptr = the program's scanners
  std::function<void(const std::wstring& line)> print;  // nullptr = nothing printed
};

// 0 when nothing was listed, 1 when something was, 2 on an error: the report cannot be written,
// or a rule file is missing (its message is in the report's warnings, and the scan still ran).
int RunHeadlessReport(const HeadlessReportOptions& options);

}  // namespace varnex::ui
