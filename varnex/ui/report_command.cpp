#include <windows.h>

#include "report_command.h"

#include <shellapi.h>

#include <vector>

#include "../report/json_reader.h"
#include "../report/report_compare.h"
#include "../report/report_io.h"
#include "../report/report_texts.h"
#include "headless_report.h"

namespace varnex::ui {

namespace {

std::vector<std::wstring> ArgumentsAfterProgram(const std::wstring& commandLine) {
  std::vector<std::wstring> args;
  int count = 0;
  LPWSTR* argv = ::CommandLineToArgvW(commandLine.c_str(), &count);
  if (argv == nullptr) return args;
  for (int i = 1; i < count; ++i) args.emplace_back(argv[i]);
  ::LocalFree(argv);
  return args;
}

bool ReadReport(const std::wstring& path, report::Report& result, std::wstring& error) {
  std::string bytes;
  if (!report::ReadReportFile(path, bytes, error)) return false;
  if (report::ReadJsonReport(bytes, result, error)) return true;
  error = L"无法读取报告 " + path + L"：" + error;
  return false;
}

}  // namespace

int RunCompare(const std::wstring& oldPath, const std::wstring& newPath, const std::wstring& outPath,
               const std::function<void(const std::wstring&)>& print) {
  report::Report oldReport, newReport;
  std::wstring error;
  if (!ReadReport(oldPath, oldReport, error) || !ReadReport(newPath, newReport, error)) {
    print(error);
    return kExitError;
  }
  const report::CompareResult result = report::CompareReports(oldReport, newReport);
  for (const Finding& item : result.appeared) print(report::CompareItemLine(true, item));
  for (const Finding& item : result.disappeared) print(report::CompareItemLine(false, item));
  if (!outPath.empty()) {
    const std::string bytes =
        report::ReportFormatForPath(outPath) == report::ReportFormat::Csv
            ? report::CompareCsv(result)
            : report::CompareJson(report::ProgramVersion(), oldReport, oldPath, newReport, newPath, result);
    if (!report::WriteReportFile(outPath, bytes, error)) {
      print(error);
      return kExitError;
    }
  }
  print(report::CompareClosingLine(result.appeared.size(), result.disappeared.size()));
  return result.Changed() ? kExitSomethingListed : kExitNothingListed;
}

int RunReportCommandLine(const std::wstring& fullCommandLine) {
  const report::ReportCommand command = report::ParseReportCommand(ArgumentsAfterProgram(fullCommandLine));
  if (command.kind == report::ReportCommand::Kind::None) return -1;
  report::ConsoleOutput console;
  auto print = [&console](const std::wstring& line) { console.Line(line); };
  switch (command.kind) {
    case report::ReportCommand::Kind::Report: {
      HeadlessReportOptions options;
      options.reportPath = command.reportPath;
      options.hasTarget = command.hasTarget;
      options.target = command.target;
      options.print = print;
      return RunHeadlessReport(options);
    }
    case report::ReportCommand::Kind::Compare:
      return RunCompare(command.oldPath, command.newPath, command.reportPath, print);
    default:
      print(command.error);
      return kExitError;
  }
}

}  // namespace varnex::ui
