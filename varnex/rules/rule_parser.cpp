#include "rule_parser.h"

#include <algorithm>

#include "../../common/text/text_rules.h"

namespace varnex {

std::vector<std::wstring> ParseRuleLines(const std::uint8_t* data, std::size_t size, std::size_t byteLimit) {
  std::vector<std::wstring> lines;
  if (data == nullptr || size <= 2) return lines;
  const std::size_t bytes = std::min(size - 2, byteLimit);
  // Whole UTF-16 units only; a trailing odd byte is dropped.
  std::wstring content;
  content.reserve(bytes / 2);
  for (std::size_t i = 0; i + 1 < bytes; i += 2) {
    const auto unit = static_cast<wchar_t>(data[2 + i] | (data[2 + i + 1] << 8));
    if (unit == L'\0') break;
    content.push_back(unit);
  }
  for (const auto& raw : text::SplitLines(content)) {
    std::wstring line = text::Trim(raw);
    if (line.empty()) break;
    lines.push_back(std::move(line));
  }
  return lines;
}

const RuleFileSpec& SpecOf(RuleFileKind kind) {
  static const RuleFileSpec specs[] = {
      {RuleFileKind::ScanPath, L"\\data\\scanpath.txt", 4096, L"找不到data\\scanpath.txt，仅扫描默认目录！"},
      {RuleFileKind::ExcludePath, L"\\data\\excludepath.txt", 4096,
       L"找不到data\\excludepath.txt，仅扫描默认目录！"},
      {RuleFileKind::AppDataInfo, L"\\data\\appdatainfo.txt", 4096,
       L"找不到data\\appdatainfo.txt，请重新下载解压，否则无法识别流氓软件！"},
      {RuleFileKind::WhitePath, L"\\data\\whitepath.txt", 8192, nullptr},
      {RuleFileKind::Sign, L"\\data\\sign.txt", 65536, L"找不到data\\sign.txt，请重新下载解压，否则无法识别流氓软件！"},
      {RuleFileKind::Folder, L"\\data\\folder.txt", 65536,
       L"找不到\\data\\folder.txt，请重新下载解压，否则无法识别流氓软件！"},
  };
  for (const auto& spec : specs) {
    if (spec.kind == kind) return spec;
  }
  return specs[0];
}

namespace {

std::wstring ExpandLeadingPercent(const std::wstring& line, const RuleLineEnv& env) {
  if (line.empty() || line[0] != L'%' || !env.expand) return line;
  std::wstring expanded;
  return env.expand(line, expanded) ? expanded : line;
}

bool KeepFolderLine(const std::wstring& line, const RuleLineEnv& env) {
  if (line.empty() || line.front() != L'\\' || line.back() != L'\\') return false;
  const std::wstring lower = text::LowerAZ(line);
  if (text::Contains(lower, L"\\drivers\\") || text::Contains(lower, L"\\system32\\") ||
      text::Contains(lower, L"\\syswow64\\") || text::StartsWith(lower, L"\\windows\\") ||
      text::Contains(lower, L"\\\\")) {
    return false;
  }
  // Names of folders directly under C:\Users (profile folders) are never stored.
  return !(env.exists && env.exists(L"C:\\Users" + line));
}

}  // namespace

void ApplyLineRule(RuleFileKind kind, const std::vector<std::wstring>& lines, const RuleLineEnv& env,
                   RuleData& rules) {
  for (const auto& line : lines) {
    switch (kind) {
      case RuleFileKind::ScanPath:
        if (line.size() >= 2) rules.ScanPathList.push_back(ExpandLeadingPercent(line, env));
        break;
      case RuleFileKind::ExcludePath:
        if (line.size() >= 2) {
          rules.ExcludePathList.push_back(
              text::TrimRightChar(text::LowerAZ(ExpandLeadingPercent(line, env)), L'\\'));
        }
        break;
      case RuleFileKind::WhitePath:
        if (line.size() >= 2) rules.WhitePathList.push_back(text::LowerAZ(line));
        break;
      case RuleFileKind::Sign:
        if (line.size() >= 2) rules.SignList.push_back(text::LowerAZ(line));
        break;
      case RuleFileKind::Folder:
        if (KeepFolderLine(line, env)) rules.FolderList.push_back(text::LowerAZ(line));
        break;
      case RuleFileKind::AppDataInfo: {
        const auto colon = line.find(L':');
        if (line.size() > 6 && colon != std::wstring::npos && colon > 0) {
          rules.AppDataKeyList.push_back(text::LowerAZ(line.substr(0, colon)));
          rules.AppDataValueList.push_back(text::LowerAZ(line.substr(colon + 1)));
        }
        break;
      }
    }
  }
}

bool ListAlreadyFilled(RuleFileKind kind, const RuleData& rules) {
  switch (kind) {
    case RuleFileKind::ScanPath: return !rules.ScanPathList.empty();
    case RuleFileKind::ExcludePath: return !rules.ExcludePathList.empty();
    case RuleFileKind::AppDataInfo: return !rules.AppDataKeyList.empty() || !rules.AppDataValueList.empty();
    case RuleFileKind::WhitePath: return !rules.WhitePathList.empty();
    case RuleFileKind::Sign: return !rules.SignList.empty();
    case RuleFileKind::Folder: return !rules.FolderList.empty();
  }
  return false;
}

bool IsInTemporaryFolder(const std::wstring& path) {
  return text::ContainsAfterStart(text::LowerAZ(path), L"\\temp\\");
}

}  // namespace varnex
