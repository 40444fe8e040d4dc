#include "report_texts.h"

#include <cstdio>
#include <cstring>

#include "../../common/text/text_rules.h"
#include "report.h"

namespace varnex::report {

ReportCommand ParseReportCommand(const std::vector<std::wstring>& args) {
  ReportCommand command;
  if (args.empty()) return command;
  const std::wstring verb = text::LowerAZ(args[0]);
  auto error = [&](std::wstring message) {
    command.kind = ReportCommand::Kind::Error;
    command.error = std::move(message) + L"\r\n" + kReportUsage;
    return command;
  };
  if (verb == L"/report") {
    if (args.size() < 2 || args.size() > 3 || args[1].empty()) return error(L"参数个数不对。");
    // An empty target would make every path count as lying in it.
    if (args.size() == 3 && text::Trim(args[2]).empty()) return error(L"扫描路径为空。");
    if (ReportFormatForPath(args[1]) == ReportFormat::Unknown) {
      return error(L"报告文件名须以 .csv 或 .json 结尾：" + args[1]);
    }
    command.kind = ReportCommand::Kind::Report;
    command.reportPath = args[1];
    if (args.size() == 3) {
      command.target = args[2];
      command.hasTarget = true;
    }
    return command;
  }
  if (verb == L"/compare") {
    if (args.size() < 3 || args.size() > 4 || args[1].empty() || args[2].empty()) return error(L"参数个数不对。");
    if (args.size() == 4 && ReportFormatForPath(args[3]) == ReportFormat::Unknown) {
      return error(L"结果文件名须以 .csv 或 .json 结尾：" + args[3]);
    }
    command.kind = ReportCommand::Kind::Compare;
    command.oldPath = args[1];
    command.newPath = args[2];
    if (args.size() == 4) command.reportPath = args[3];
    return command;
  }
  return command;
}

std::wstring ReportItemLine(const Finding& item) {
  return L"[" + item.Type + L"] " + item.Name + L"  " + item.FilePath;
}

std::wstring ReportClosingLine(std::size_t count, const std::wstring& path) {
  return L"共列出 " + std::to_wstring(count) + L" 个项目，报告已写入 " + path;
}

std::wstring CompareItemLine(bool appeared, const Finding& item) {
  return (appeared ? L"新增 [" : L"消失 [") + item.Type + L"] " + item.Name + L"  " + item.StartPath + L"  " +
         item.FilePath;
}

std::wstring CompareClosingLine(std::size_t appeared, std::size_t disappeared) {
  return L"新增 " + std::to_wstring(appeared) + L" 项，消失 " + std::to_wstring(disappeared) + L" 项。";
}

std::wstring FormatIsoTime(const LocalTime& t) {
  const int offset = t.offsetMinutes < 0 ? -t.offsetMinutes : t.offsetMinutes;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second, t.offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
  return std::wstring(buffer, buffer + std::strlen(buffer));
}

}  // namespace varnex::report
