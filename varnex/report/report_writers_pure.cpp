#include "report_writers.h"

#include "../core/scan_texts.h"
#include "utf8.h"

namespace varnex::report {

ReportFormat ReportFormatForPath(const std::wstring& path) {
  auto endsWith = [&](std::wstring_view ending) {
    if (path.size() < ending.size()) return false;
    for (std::size_t i = 0; i < ending.size(); ++i) {
      wchar_t c = path[path.size() - ending.size() + i];
      if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
      if (c != ending[i]) return false;
    }
    return true;
  };
  if (endsWith(L".csv")) return ReportFormat::Csv;
  if (endsWith(L".json")) return ReportFormat::Json;
  return ReportFormat::Unknown;
}

std::wstring TabOfType(const std::wstring& type) { return kTabCaptions[CategoryViewForType(type)]; }

const std::vector<std::wstring>& ItemFieldNames() {
  static const std::vector<std::wstring> names = {L"Name",      L"FilePath",  L"Company", L"FileDescription",
                                                  L"ProductName", L"Type",    L"Id",      L"BinPath",
                                                  L"StartPath", L"Descrip",   L"MatchMethod", L"Tab"};
  return names;
}

void AppendCsvField(std::string& out, const std::wstring& field) {
  const std::string bytes = Utf8FromWide(field);
  if (bytes.find_first_of(",\"\r\n") == std::string::npos) {
    out += bytes;
    return;
  }
  out += '"';
  for (char c : bytes) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendCsvItemRow(std::string& out, const Finding& item) {
  for (int column = 0; column < kFindingColumnCount; ++column) {
    AppendCsvField(out, FieldOf(item, column));
    out += ',';
  }
  AppendCsvField(out, TabOfType(item.Type));
  out += "\r\n";
}

std::string CsvReport(const std::vector<Finding>& items) {
  std::string out = kUtf8Bom;
  const auto& names = ItemFieldNames();
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out += ',';
    AppendCsvField(out, names[i]);
  }
  out += "\r\n";
  for (const Finding& item : items) AppendCsvItemRow(out, item);
  return out;
}

namespace {

void AppendUnicodeEscape(std::string& out, std::uint32_t unit) {
  static const char hex[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += hex[(unit >> shift) & 0xF];
}

void AppendIndent(std::string& out, int indent) { out.append(static_cast<std::size_t>(indent), ' '); }

void AppendMember(std::string& out, int indent, const wchar_t* key, const std::wstring& value, bool comma = true) {
  AppendIndent(out, indent);
  AppendJsonString(out, key);
  out += ": ";
  AppendJsonString(out, value);
  if (comma) out += ',';
  out += '\n';
}

void AppendStringArray(std::string& out, int indent, const wchar_t* key, const std::vector<std::wstring>& values) {
  AppendIndent(out, indent);
  AppendJsonString(out, key);
  out += ": [";
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out += ", ";
    AppendJsonString(out, values[i]);
  }
  out += "],\n";
}

}  // namespace

void AppendJsonString(std::string& out, const std::wstring& text) {
  out += '"';
  ForEachCodePoint(text, [&](char32_t c, bool lone) {
    if (lone) {
      AppendUnicodeEscape(out, static_cast<std::uint32_t>(c));  // keeps the unit; still valid UTF-8
      return;
    }
    switch (c) {
      case U'"': out += "\\\""; return;
      case U'\\': out += "\\\\"; return;
      case U'\b': out += "\\b"; return;
      case U'\f': out += "\\f"; return;
      case U'\n': out += "\\n"; return;
      case U'\r': out += "\\r"; return;
      case U'\t': out += "\\t"; return;
      default: break;
    }
    // Line and paragraph separators are escaped too, so the text is also safe as JavaScript.
    if (c < 0x20 || c == 0x2028 || c == 0x2029) {
      AppendUnicodeEscape(out, static_cast<std::uint32_t>(c));
    } else {
      AppendUtf8(out, c);
    }
  });
  out += '"';
}

void AppendJsonItem(std::string& out, const Finding& item, int indent) {
  out += "{\n";
  const auto& names = ItemFieldNames();
  for (int column = 0; column < kFindingColumnCount; ++column) {
    AppendMember(out, indent + 2, names[column].c_str(), FieldOf(item, column));
  }
  AppendMember(out, indent + 2, L"Tab", TabOfType(item.Type), false);
  AppendIndent(out, indent);
  out += '}';
}

std::string JsonReport(const Report& report) {
  const ReportHeader& h = report.header;
  std::string out = "{\n";
  AppendMember(out, 2, L"program", h.program);
  AppendMember(out, 2, L"version", h.version);
  AppendMember(out, 2, L"computer", h.computer);
  AppendMember(out, 2, L"user", h.user);
  AppendMember(out, 2, L"started", h.started);
  AppendMember(out, 2, L"finished", h.finished);
  AppendMember(out, 2, L"mode", h.mode);
  if (h.mode == kModeTarget) AppendMember(out, 2, L"target", h.target);
  AppendMember(out, 2, L"status", h.status);
  AppendStringArray(out, 2, L"alerts", h.alerts);
  AppendStringArray(out, 2, L"warnings", h.warnings);
  out += "  \"items\": [";
  for (std::size_t i = 0; i < report.items.size(); ++i) {
    out += i == 0 ? "\n    " : ",\n    ";
    AppendJsonItem(out, report.items[i], 4);
  }
  out += report.items.empty() ? "]\n" : "\n  ]\n";
  out += "}\n";
  return out;
}

}  // namespace varnex::report
