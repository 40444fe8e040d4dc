#include "report_compare.h"

#include <set>
#include <tuple>

#include "report_writers.h"

namespace varnex::report {

bool SameItem(const Finding& a, const Finding& b) {
  return a.Type == b.Type && a.Name == b.Name && a.StartPath == b.StartPath && a.FilePath == b.FilePath;
}

namespace {

using ItemKey = std::tuple<std::wstring, std::wstring, std::wstring, std::wstring>;

ItemKey KeyOf(const Finding& f) { return {f.Type, f.Name, f.StartPath, f.FilePath}; }

std::vector<Finding> OnlyIn(const std::vector<Finding>& items, const std::vector<Finding>& others) {
  std::set<ItemKey> seen;
  for (const Finding& f : others) seen.insert(KeyOf(f));
  std::vector<Finding> result;
  for (const Finding& f : items) {
    if (seen.insert(KeyOf(f)).second) result.push_back(f);
  }
  return result;
}

void AppendFacts(std::string& out, const Report& report, const std::wstring& path) {
  const ReportHeader& h = report.header;
  out += "{";
  const std::pair<const wchar_t*, const std::wstring*> facts[] = {
      {L"file", &path},           {L"computer", &h.computer}, {L"user", &h.user},
      {L"started", &h.started},   {L"finished", &h.finished}, {L"mode", &h.mode}};
  bool first = true;
  for (const auto& [key, value] : facts) {
    out += first ? "" : ", ";
    first = false;
    AppendJsonString(out, key);
    out += ": ";
    AppendJsonString(out, *value);
  }
  out += "}";
}

void AppendItems(std::string& out, const char* key, const std::vector<Finding>& items, bool last) {
  out += "  \"";
  out += key;
  out += "\": [";
  for (std::size_t i = 0; i < items.size(); ++i) {
    out += i == 0 ? "\n    " : ",\n    ";
    AppendJsonItem(out, items[i], 4);
  }
  out += items.empty() ? "]" : "\n  ]";
  out += last ? "\n" : ",\n";
}

}  // namespace

CompareResult CompareReports(const Report& oldReport, const Report& newReport) {
  return {OnlyIn(newReport.items, oldReport.items), OnlyIn(oldReport.items, newReport.items)};
}

std::string CompareCsv(const CompareResult& result) {
  std::string out = kUtf8Bom;
  out += "Change";
  for (const auto& name : ItemFieldNames()) {
    out += ',';
    AppendCsvField(out, name);
  }
  out += "\r\n";
  for (const auto& [change, items] : {std::pair{kChangeAppeared, &result.appeared},
                                      std::pair{kChangeDisappeared, &result.disappeared}}) {
    for (const Finding& item : *items) {
      AppendCsvField(out, change);
      out += ',';
      AppendCsvItemRow(out, item);
    }
  }
  return out;
}

std::string CompareJson(const std::wstring& version, const Report& oldReport, const std::wstring& oldPath,
                        const Report& newReport, const std::wstring& newPath, const CompareResult& result) {
  std::string out = "{\n  \"program\": \"varnex\",\n  \"version\": ";
  AppendJsonString(out, version);
  out += ",\n  \"old\": ";
  AppendFacts(out, oldReport, oldPath);
  out += ",\n  \"new\": ";
  AppendFacts(out, newReport, newPath);
  out += ",\n";
  AppendItems(out, "appeared", result.appeared, false);
  AppendItems(out, "disappeared", result.disappeared, true);
  out += "}\n";
  return out;
}

}  // namespace varnex::report
