// The command lines of the report switches, their console lines and the time stamps of a report.
#pragma once

#include <string>
#include <vector>

#include "../core/finding.h"

namespace varnex::report {

struct ReportCommand {
  enum class Kind { None, Report, Compare, Error };
  Kind kind = Kind::None;
  std::wstring reportPath;  // /report PATH; /compare OUT (may be empty)
  std::wstring target;      // /report ... TARGET (may be empty)
  bool hasTarget = false;
  std::wstring oldPath, newPath;  // /compare
  std::wstring error;             // Kind::Error: what is wrong, for the console
};

// The arguments after the program name. Anything that does not start with "/report" or
// "/compare" (any case) is no report command and goes to the window as before.
ReportCommand ParseReportCommand(const std::vector<std::wstring>& args);

inline constexpr const wchar_t* kReportUsage =
    L"用法：varnex.exe /report 报告文件.csv|报告文件.json [扫描路径]\r\n"
    L"      varnex.exe /compare 旧报告.json 新报告.json [结果.csv|结果.json]";

// One console line per listed item, and the closing lines.
std::wstring ReportItemLine(const Finding& item);
std::wstring ReportClosingLine(std::size_t count, const std::wstring& path);
std::wstring CompareItemLine(bool appeared, const Finding& item);
std::wstring CompareClosingLine(std::size_t appeared, std::size_t disappeared);

struct LocalTime {
  int year, month, day, hour, minute, second;
  int offsetMinutes;  // local time minus UTC
};

// "2026-12-10T21:05:09+08:00".
std::wstring FormatIsoTime(const LocalTime& t);

}  // namespace varnex::report
