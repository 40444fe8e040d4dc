#include <windows.h>

#include "headless_report.h"

#include <thread>
#include <vector>

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/winaccess.h"
#include "../report/recording_scan_window.h"
#include "../report/report_io.h"
#include "../report/report_texts.h"
#include "../report/report_writers.h"
#include "target_folder.h"

namespace varnex::ui {

namespace {

// The target as an absolute path, so that the folder rule matches the full paths the scanners see.
std::wstring FullPath(const std::wstring& path) {
  std::vector<wchar_t> buffer(32768, L'\0');
  const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  return length > 0 && length < buffer.size() ? std::wstring(buffer.data(), length) : path;
}

}  // namespace

int RunHeadlessReport(const HeadlessReportOptions& options) {
  auto print = [&](const std::wstring& line) {
    if (options.print) options.print(line);
  };
  report::Report result;
  report::ReportHeader& header = result.header;
  header.started = report::NowIsoTime();
  header.version = report::ProgramVersion();
  header.computer = report::ComputerName();
  header.user = report::CurrentUserName();

  const report::ReportFormat format = report::ReportFormatForPath(options.reportPath);
  std::wstring error;
  report::ReportFile file;
  if (format == report::ReportFormat::Unknown) {
    print(L"报告文件名须以 .csv 或 .json 结尾：" + options.reportPath);
    return kExitError;
  }
  // Opened before the scan: an unwritable path is reported at once, not after minutes.
  if (!file.Open(options.reportPath, error)) {
    print(error);
    return kExitError;
  }

  auto state = std::make_shared<ScanState>();
  auto rules = std::make_shared<RuleData>();
  auto window = std::make_shared<report::RecordingScanWindow>(state);
  if (options.hasTarget) {
    state->TargetFolderMode = true;
    header.mode = report::kModeTarget;
    header.target = ApplyTargetFolder(text::LowerAZ(FullPath(options.target)), *rules).target;
  } else {
    header.mode = report::kModeNormal;
    const RuleLoadContext context{
        options.programFolder.empty() ? winaccess::ProgramFolder() : options.programFolder,
        [&](const std::wstring& message) {
          header.warnings.push_back(message);
          print(L"警告：" + message);
        }};
    LoadSignList(context, *rules);
    LoadFolderList(context, *rules);
    LoadAppDataInfo(context, *rules);
    LoadWhitePaths(context, *rules);
  }

  const ScanContext context{state, rules, window};
  const std::shared_ptr<const ScanSteps> steps =
      options.makeSteps ? options.makeSteps(context) : MakeProgramScanSteps(context);
  // On a thread of its own, as in the window: the scanners set up COM and the file-system
  // redirection per thread.
  std::thread([&] { RunScan(*state, *window, *steps); }).join();

  header.finished = report::NowIsoTime();
  header.status = window->Facts().Status();
  header.alerts = window->Facts().Alerts();
  result.items = report::ListedItems(state->Findings);

  const std::string bytes =
      format == report::ReportFormat::Csv ? report::CsvReport(result.items) : report::JsonReport(result);
  if (!file.Write(bytes, error)) {
    print(error);
    return kExitError;
  }
  for (const Finding& item : result.items) print(report::ReportItemLine(item));
  print(report::ReportClosingLine(result.items.size(), options.reportPath));
  if (!header.warnings.empty()) return kExitError;
  return result.items.empty() ? kExitNothingListed : kExitSomethingListed;
}

}  // namespace varnex::ui
