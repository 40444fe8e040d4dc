// varnex.exe /report and /compare run as programs in the test prefix, their reports read back
// with the program's own reader and held against what the window lists for the same prefix.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/winaccess/unique_resource.h"
#include "test_support.h"
#include "varnex/core/scan_texts.h"
#include "varnex/report/json_reader.h"
#include "varnex/report/report_texts.h"
#include "varnex/report/utf8.h"
#include "varnex/ui/list_view.h"
#include "varnex/ui/resource.h"
#include "varnex/ui/varnex_dlg.h"

using namespace varnex;
using namespace testing_support;

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring ProgramPath() { return TestProgramFolder() + L"\\..\\bin\\varnex.exe"; }

struct ProgramRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::wstring output;  // standard output, UTF-8 decoded
};

// Starts the program with its standard output on a pipe and waits for it; `detached`: with no
// console and no standard handles at all, as a scheduled task may start it.
ProgramRun RunProgram(const std::wstring& program, const std::wstring& arguments, bool detached = false) {
  ProgramRun run;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
  winaccess::unique_handle reader(readEnd), writer(writeEnd);
  ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!detached) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
  }
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, !detached, detached ? DETACHED_PROCESS : 0,
                        nullptr, nullptr, &startup, &process)) {
    ADD_FAILURE() << "CreateProcessW failed: " << ::GetLastError();
    return run;
  }
  winaccess::unique_handle processHandle(process.hProcess), thread(process.hThread);
  writer.reset();
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(reader.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  ::WaitForSingleObject(process.hProcess, 300000);
  ::GetExitCodeProcess(process.hProcess, &run.exitCode);
  run.output = report::WideFromUtf8(bytes);
  return run;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

bool ReadReport(const std::wstring& path, report::Report& result) {
  winaccess::unique_file file(
      ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return false;
  std::string bytes(static_cast<std::size_t>(::GetFileSize(file.get(), nullptr)), '\0');
  DWORD read = 0;
  if (!bytes.empty() && !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    return false;
  }
  std::wstring error;
  const bool ok = report::ReadJsonReport(bytes, result, error);
  EXPECT_TRUE(ok) << report::Utf8FromWide(error);
  return ok;
}

const Finding* FindItem(const std::vector<Finding>& items, const std::wstring& type, const std::wstring& name) {
  for (const Finding& f : items) {
    if (f.Type == type && f.Name == name) return &f;
  }
  return nullptr;
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A backdoor logon script in the user's environment: the scan's own quick check lists it.
class EnvironmentTrace {
 public:
  EnvironmentTrace() : value_(HKEY_CURRENT_USER, L"Environment", L"USERINITMPRLOGONSCRIPT", L"C:\\vxreport\\logon.bat") {}

 private:
  TestRegistryValue value_;
};

// A startup value whose command hides a shell: the Classifier lists it.
std::unique_ptr<TestRegistryValue> AddRunTrace() {
  return std::make_unique<TestRegistryValue>(HKEY_CURRENT_USER, kRunKey, L"VxReportUpdater",
                                             L"cmd.exe /c start C:\\vxreport\\updater.exe");
}

std::wstring WindowText(HWND hwnd) {
  wchar_t buffer[1024] = {};
  ::GetWindowTextW(hwnd, buffer, 1024);
  return buffer;
}

}  // namespace

TEST(HeadlessReport, ListsWhatTheWindowListsAndExitsWithOne) {
  TempFolder out(L"vxreport");
  EnvironmentTrace environment;
  const auto run = AddRunTrace();

  const ProgramRun json = RunProgram(ProgramPath(), L"/report " + out.File(L"pc.json"));
  EXPECT_EQ(json.exitCode, 1u) << report::Utf8FromWide(json.output);
  report::Report result;
  ASSERT_TRUE(ReadReport(out.File(L"pc.json"), result));
  EXPECT_EQ(result.header.program, L"varnex");
  EXPECT_EQ(result.header.mode, L"normal");
  EXPECT_EQ(result.header.version, L"1.0.0.0");
  EXPECT_FALSE(result.header.computer.empty());
  EXPECT_EQ(result.header.started.size(), 25u);  // 2026-12-10T21:05:09+08:00
  EXPECT_EQ(result.header.status, kScanFinishedText);
  EXPECT_TRUE(result.header.warnings.empty());
  const Finding* env = FindItem(result.items, L"环境变量", L"USERINITMPRLOGONSCRIPT");
  ASSERT_NE(env, nullptr);
  EXPECT_EQ(env->FilePath, L"C:\\vxreport\\logon.bat");
  ASSERT_NE(FindItem(result.items, L"Run", L"VxReportUpdater"), nullptr);
  for (std::size_t i = 0; i < result.items.size(); ++i) EXPECT_EQ(result.items[i].Id, std::to_wstring(i));

  // One console line per item and the closing line.
  const auto lines = Lines(json.output);
  ASSERT_EQ(lines.size(), result.items.size() + 1) << report::Utf8FromWide(json.output);
  EXPECT_EQ(lines.back(), report::ReportClosingLine(result.items.size(), out.File(L"pc.json")));
  EXPECT_EQ(lines[0], report::ReportItemLine(result.items[0]));

  // The window, for the same prefix and the same data folder, lists exactly these rows.
  ui::VarnexDlgOptions options;
  options.programFolder = TestProgramFolder() + L"\\..\\bin";
  std::vector<std::wstring> messages;
  options.showError = [&](const std::wstring& text) { messages.push_back(text); };
  ui::CVarnexDlg dialog(std::move(options));
  ASSERT_NE(dialog.Create(::GetModuleHandleW(nullptr), IDD_VARNEX_DIALOG), nullptr);
  const struct WindowCloser {
    HWND hwnd;
    ~WindowCloser() {
      ::DestroyWindow(hwnd);
      PumpFor(20);
    }
  } closer{dialog.Hwnd()};
  ASSERT_TRUE(PumpUntil([&] { return WindowText(::GetDlgItem(dialog.Hwnd(), IDC_ACTION)) == kActionHandleText; },
                        300000));
  HWND all = dialog.View(0);
  PumpUntil([&] { return static_cast<std::size_t>(ui::RowCount(all)) >= result.items.size(); });
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(WindowText(::GetDlgItem(dialog.Hwnd(), IDC_STATUS)), kScanFinishedText);
  ASSERT_EQ(static_cast<std::size_t>(ui::RowCount(all)), result.items.size());
  for (int row = 0; row < ui::RowCount(all); ++row) {
    for (int column = 0; column < kFindingColumnCount; ++column) {
      EXPECT_EQ(ui::CellText(all, row, column), FieldOf(result.items[static_cast<std::size_t>(row)], column))
          << "row " << row << " column " << column;
    }
  }

  // The CSV report of the same prefix: the mark, the header and one line per item.
  const ProgramRun csv = RunProgram(ProgramPath(), L"/REPORT \"" + out.File(L"pc.CSV") + L"\"");
  EXPECT_EQ(csv.exitCode, 1u);
  winaccess::unique_file file(::CreateFileW(out.File(L"pc.CSV").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file);
  char head[16] = {};
  DWORD read = 0;
  ASSERT_TRUE(::ReadFile(file.get(), head, 8, &read, nullptr));
  EXPECT_EQ(std::string(head, read), "\xEF\xBB\xBFName,");
}

TEST(HeadlessReport, CleanPrefixGivesExitZeroAndNoItems) {
  TempFolder out(L"vxreport");
  const ProgramRun run = RunProgram(ProgramPath(), L"/report " + out.File(L"clean.json"));
  EXPECT_EQ(run.exitCode, 0u) << report::Utf8FromWide(run.output);
  report::Report result;
  ASSERT_TRUE(ReadReport(out.File(L"clean.json"), result));
  EXPECT_TRUE(result.items.empty());
  EXPECT_EQ(result.header.status, std::wstring(kScanFinishedText) + kDefaultStatusText);
  EXPECT_EQ(Lines(run.output), std::vector<std::wstring>{report::ReportClosingLine(0, out.File(L"clean.json"))});

  // Without any console or output handle it prints nothing and still reports.
  const ProgramRun detached = RunProgram(ProgramPath(), L"/report " + out.File(L"detached.csv"), true);
  EXPECT_EQ(detached.exitCode, 0u);
  EXPECT_TRUE(detached.output.empty());
  EXPECT_TRUE(FileExists(out.File(L"detached.csv")));
}

TEST(HeadlessReport, TargetFolderModeScansTheGivenFolderOnly) {
  TempFolder target(L"vxreport_target");
  TempFolder out(L"vxreport");
  ASSERT_TRUE(::CopyFileW(ProgramPath().c_str(), target.File(L"tool.exe").c_str(), FALSE));
  EnvironmentTrace environment;  // a quick check, which target-folder mode skips
  TestRegistryValue run(HKEY_CURRENT_USER, kRunKey, L"VxTargetTool", L"\"" + target.File(L"tool.exe") + L"\" /quiet");

  const ProgramRun result = RunProgram(ProgramPath(), L"/report " + out.File(L"t.json") + L" \"" + target.Path() + L"\"");
  EXPECT_EQ(result.exitCode, 1u) << report::Utf8FromWide(result.output);
  report::Report written;
  ASSERT_TRUE(ReadReport(out.File(L"t.json"), written));
  EXPECT_EQ(written.header.mode, L"target");
  std::wstring lowerTarget = target.Path() + L"\\";
  for (auto& c : lowerTarget) c = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
  EXPECT_EQ(written.header.target, lowerTarget);
  const Finding* tool = FindItem(written.items, L"Run", L"VxTargetTool");
  ASSERT_NE(tool, nullptr);
  EXPECT_EQ(tool->MatchMethod, lowerTarget);
  EXPECT_EQ(FindItem(written.items, L"环境变量", L"USERINITMPRLOGONSCRIPT"), nullptr);
}

TEST(HeadlessReport, MissingDataFolderGivesWarningsAndStillScans) {
  TempFolder program(L"vxreport_nodata");
  ASSERT_TRUE(::CopyFileW(ProgramPath().c_str(), program.File(L"varnex.exe").c_str(), FALSE));
  EnvironmentTrace environment;
  const ProgramRun run = RunProgram(program.File(L"varnex.exe"), L"/report " + program.File(L"r.json"));
  EXPECT_EQ(run.exitCode, 2u);
  report::Report result;
  ASSERT_TRUE(ReadReport(program.File(L"r.json"), result));
  const std::vector<std::wstring> expected = {
      L"找不到data\\sign.txt，请重新下载解压，否则无法识别流氓软件！",
      L"找不到\\data\\folder.txt，请重新下载解压，否则无法识别流氓软件！",
      L"找不到data\\appdatainfo.txt，请重新下载解压，否则无法识别流氓软件！",
  };
  EXPECT_EQ(result.header.warnings, expected);
  EXPECT_NE(FindItem(result.items, L"环境变量", L"USERINITMPRLOGONSCRIPT"), nullptr);
  EXPECT_EQ(result.header.status, kScanFinishedText);
  const auto lines = Lines(run.output);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], L"警告：" + expected[0]);
}

TEST(HeadlessReport, BadArgumentsAndUnwritablePathsGiveExitTwo) {
  TempFolder out(L"vxreport");
  const struct {
    std::wstring arguments;
    std::wstring notCreated;
  } cases[] = {
      {L"/report C:\\vx_no_such_folder\\r.json", L"C:\\vx_no_such_folder\\r.json"},
      {L"/report " + out.File(L"r.txt"), out.File(L"r.txt")},
      {L"/report", L""},
      {L"/report " + out.File(L"a.json") + L" C:\\x y", out.File(L"a.json")},
      {L"/compare " + out.File(L"missing.json") + L" " + out.File(L"missing.json"), L""},
      {L"/compare a.json b.json out.xml", L""},
  };
  for (const auto& c : cases) {
    const ProgramRun run = RunProgram(ProgramPath(), c.arguments);
    EXPECT_EQ(run.exitCode, 2u) << report::Utf8FromWide(c.arguments);
    EXPECT_FALSE(run.output.empty()) << report::Utf8FromWide(c.arguments);
    if (!c.notCreated.empty()) {
      EXPECT_FALSE(FileExists(c.notCreated)) << report::Utf8FromWide(c.notCreated);
    }
  }
}

TEST(Compare, ListsExactlyTheAddedRunValueAsNew) {
  TempFolder out(L"vxreport");
  EnvironmentTrace environment;
  EXPECT_EQ(RunProgram(ProgramPath(), L"/report " + out.File(L"before.json")).exitCode, 1u);
  {
    const auto run = AddRunTrace();
    EXPECT_EQ(RunProgram(ProgramPath(), L"/report " + out.File(L"after.json")).exitCode, 1u);
  }

  const ProgramRun compare = RunProgram(ProgramPath(), L"/compare " + out.File(L"before.json") + L" " +
                                                    out.File(L"after.json") + L" " + out.File(L"changes.json"));
  EXPECT_EQ(compare.exitCode, 1u) << report::Utf8FromWide(compare.output);
  report::JsonValue changes;
  std::wstring error;
  {
    winaccess::unique_file file(::CreateFileW(out.File(L"changes.json").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                              nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    std::string bytes(static_cast<std::size_t>(::GetFileSize(file.get(), nullptr)), '\0');
    DWORD read = 0;
    ASSERT_TRUE(::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr));
    ASSERT_TRUE(report::ParseJson(bytes, changes, error));
  }
  const report::JsonValue* appeared = changes.Member(L"appeared");
  ASSERT_NE(appeared, nullptr);
  ASSERT_EQ(appeared->elements.size(), 1u);
  EXPECT_EQ(appeared->elements[0].Member(L"Type")->text, L"Run");
  EXPECT_EQ(appeared->elements[0].Member(L"Name")->text, L"VxReportUpdater");
  EXPECT_EQ(appeared->elements[0].Member(L"StartPath")->text,
            L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  EXPECT_TRUE(changes.Member(L"disappeared")->elements.empty());
  const auto lines = Lines(compare.output);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind(L"新增 [Run] VxReportUpdater", 0), 0u);
  EXPECT_EQ(lines[1], report::CompareClosingLine(1, 0));

  // Back to front, the value disappeared; a report against itself changed nothing.
  const ProgramRun reverse = RunProgram(ProgramPath(), L"/compare " + out.File(L"after.json") + L" " +
                                                    out.File(L"before.json") + L" " + out.File(L"changes.csv"));
  EXPECT_EQ(reverse.exitCode, 1u);
  EXPECT_EQ(Lines(reverse.output).back(), report::CompareClosingLine(0, 1));
  EXPECT_TRUE(FileExists(out.File(L"changes.csv")));
  const ProgramRun same =
      RunProgram(ProgramPath(), L"/compare " + out.File(L"before.json") + L" " + out.File(L"before.json"));
  EXPECT_EQ(same.exitCode, 0u);
  EXPECT_EQ(Lines(same.output), std::vector<std::wstring>{report::CompareClosingLine(0, 0)});
}
