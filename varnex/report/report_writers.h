// The two report formats, as pure functions: Findings in, UTF-8 bytes out.
#pragma once

#include <string>
#include <vector>

#include "report.h"

namespace varnex::report {

// Byte-order mark, the header row (the eleven field names and "Tab"), one row per item in the
// given order; CRLF line ends; fields with a comma, a quote, CR or LF quoted, quotes doubled.
// A lone surrogate becomes U+FFFD, which CSV cannot escape.
std::string CsvReport(const std::vector<Finding>& items);

// One JSON object: the header's facts, then "items" with the eleven fields and "Tab" each.
std::string JsonReport(const Report& report);

// Pieces the compare output shares with the reports.
void AppendCsvField(std::string& out, const std::wstring& field);
void AppendCsvItemRow(std::string& out, const Finding& item);
void AppendJsonString(std::string& out, const std::wstring& text);
// {"Name": ..., "Tab": ...} on one line per field, indented by `indent` blanks.
void AppendJsonItem(std::string& out, const Finding& item, int indent);

inline constexpr const char* kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace varnex::report
