// A scan report as the headless scan and the window's export write it, and as /compare reads it
// back: the facts about the run and the listed items in posting order.
#pragma once

#include <string>
#include <vector>

#include "../core/finding.h"

namespace varnex::report {

struct ReportHeader {
  std::wstring program = L"varnex";
  std::wstring version;
  std::wstring computer;
  std::wstring user;
  std::wstring started;   // ISO 8601 with offset
  std::wstring finished;  // ISO 8601 with offset
  std::wstring mode;      // kModeNormal, kModeTarget, ...
  std::wstring target;    // the scanned folder in target mode; not written otherwise
  std::wstring status;    // the final status text of the scan
  std::vector<std::wstring> alerts;
  std::vector<std::wstring> warnings;
};

struct Report {
  ReportHeader header;
  std::vector<Finding> items;
};

// The start mode, named as on the command line.
inline constexpr const wchar_t* kModeNormal = L"normal";
inline constexpr const wchar_t* kModeTarget = L"target";
inline constexpr const wchar_t* kModeServiceDelete = L"delsrv";
inline constexpr const wchar_t* kModeFileScan = L"delfile";

enum class ReportFormat { Unknown, Csv, Json };

// By the path's ending, ignoring case: ".csv" or ".json".
ReportFormat ReportFormatForPath(const std::wstring& path);

// The caption of the tab that files an item of this Type ("所有项目" never: that tab lists all).
std::wstring TabOfType(const std::wstring& type);

// The field names of a Finding in column order, then "Tab": the CSV header and the JSON keys.
const std::vector<std::wstring>& ItemFieldNames();

}  // namespace varnex::report
