// "导出全部结果...": the rows of the "所有项目" view written as a CSV or JSON report.
#include <windows.h>

#include <commdlg.h>

#include "../report/report_io.h"
#include "../report/report_writers.h"
#include "list_view.h"
#include "resource.h"
#include "varnex_dlg.h"

namespace varnex::ui {

namespace {

// The save dialog; the chosen type decides the format, and its ending is added when the name
// lacks it.
std::optional<ExportChoice> AskExportPath(HWND owner) {
  std::vector<wchar_t> file(32768, L'\0');
  const wchar_t initial[] = L"varnex-report.csv";
  std::copy(std::begin(initial), std::end(initial), file.begin());
  static const wchar_t filter[] = L"CSV 文件 (*.csv)\0*.csv\0JSON 文件 (*.json)\0*.json\0";
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = L"导出全部结果";
  dialog.lpstrDefExt = L"csv";
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_EXPLORER;
  if (!::GetSaveFileNameW(&dialog)) return std::nullopt;
  return ExportChoice{file.data(), dialog.nFilterIndex == 2 ? report::ReportFormat::Json : report::ReportFormat::Csv};
}

std::wstring WithEnding(const std::wstring& path, report::ReportFormat format) {
  if (report::ReportFormatForPath(path) == format) return path;
  return path + (format == report::ReportFormat::Json ? L".json" : L".csv");
}

std::vector<Finding> RowsOf(HWND view) {
  std::vector<Finding> items;
  const int rows = RowCount(view);
  for (int row = 0; row < rows; ++row) {
    Finding item;
    for (int column = 0; column < kFindingColumnCount; ++column) FieldOf(item, column) = CellText(view, row, column);
    items.push_back(std::move(item));
  }
  return items;
}

}  // namespace

report::ReportHeader CVarnexDlg::ExportHeader() const {
  report::ReportHeader header;
  header.version = report::ProgramVersion();
  header.computer = report::ComputerName();
  header.user = report::CurrentUserName();
  header.started = scanStarted_;
  header.finished = window_->Facts().Finished();
  header.mode = modeName_;
  header.target = targetFolder_;
  header.status = window_->Facts().Status();
  header.alerts = window_->Facts().Alerts();
  header.warnings = warnings_;
  return header;
}

void CVarnexDlg::ExportAllResults() {
  const std::optional<ExportChoice> choice =
      options_.chooseExportPath ? options_.chooseExportPath(Hwnd()) : AskExportPath(Hwnd());
  if (!choice || choice->path.empty()) {
    ::SetDlgItemTextW(Hwnd(), IDC_STATUS, L"");
    return;
  }
  const std::wstring path = WithEnding(choice->path, choice->format);
  report::Report result;
  result.header = ExportHeader();
  result.items = RowsOf(views_[0]);
  const std::string bytes =
      choice->format == report::ReportFormat::Json ? report::JsonReport(result) : report::CsvReport(result.items);
  std::wstring error;
  const std::wstring status = report::WriteReportFile(path, bytes, error)
                                  ? L"已导出 " + std::to_wstring(result.items.size()) + L" 个项目到 " + path
                                  : L"导出失败：" + error;
  ::SetDlgItemTextW(Hwnd(), IDC_STATUS, status.c_str());
}

}  // namespace varnex::ui
