// /compare: the items that appeared and disappeared between two reports, and its output.
#pragma once

#include <string>
#include <vector>

#include "report.h"

namespace varnex::report {

// An item is the same when Type, Name, StartPath and FilePath are equal.
bool SameItem(const Finding& a, const Finding& b);

struct CompareResult {
  std::vector<Finding> appeared;     // in the new report only, in its order, each item once
  std::vector<Finding> disappeared;  // in the old report only, in its order, each item once
  bool Changed() const { return !appeared.empty() || !disappeared.empty(); }
};

CompareResult CompareReports(const Report& oldReport, const Report& newReport);

inline constexpr const wchar_t* kChangeAppeared = L"appeared";
inline constexpr const wchar_t* kChangeDisappeared = L"disappeared";

// Byte-order mark, header "Change" + the eleven field names + "Tab", the appeared items first.
std::string CompareCsv(const CompareResult& result);
// {"program", "version", "old": {facts}, "new": {facts}, "appeared": [...], "disappeared": [...]}.
std::string CompareJson(const std::wstring& version, const Report& oldReport, const std::wstring& oldPath,
                        const Report& newReport, const std::wstring& newPath, const CompareResult& result);

}  // namespace varnex::report
