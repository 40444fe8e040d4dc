// The process scanner over real child processes: what it reports for each, the rundll32 DLL,
// processes that cannot be opened, the stop request, and the service-host impostor through the
// Classifier.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <cwctype>
#include <vector>

#include "common/winaccess/unique_resource.h"
#include "common/winaccess/winaccess.h"
#include "scanner_fixtures.h"
#include "test_support.h"
#include "varnex/identity/classifier.h"
#include "varnex/scanners/process_scanner.h"

using namespace varnex;
using namespace scanner_fixtures;

namespace {

std::vector<Finding> ScanAll(ScanState& state, RecordingWindow& window) {
  std::vector<Finding> seen;
  ScanProcesses(state, window, [&seen](Finding f) { seen.push_back(std::move(f)); });
  return seen;
}

// Descrip begins with the process id; a posted Finding may carry advice after it.
const Finding* ProcessWithId(const std::vector<Finding>& findings, DWORD id) {
  const std::wstring text = std::to_wstring(id);
  for (const auto& f : findings) {
    if (f.Descrip.compare(0, text.size(), text) == 0 &&
        (f.Descrip.size() == text.size() || !iswdigit(f.Descrip[text.size()]))) {
      return &f;
    }
  }
  return nullptr;
}

}  // namespace

TEST(ProcessScanner, ReportsAChildWithPathCommandLineAndIds) {
  testing_support::TempFolder folder(L"vxproc");
  const ScopedFile program = ScopedFile::CopyOfTestProgram(folder.File(L"vxchild.exe"));
  const std::wstring commandLine = L"\"" + program.Path() + L"\" --alpha \"b c\"";
  ChildProcess child(program.Path(), commandLine);
  ASSERT_TRUE(child.Running());

  ScanState state;
  RecordingWindow window;
  const std::vector<Finding> seen = ScanAll(state, window);

  EXPECT_EQ(window.statuses, std::vector<std::wstring>{L"正在扫描进程..."});
  const Finding* f = ProcessWithId(seen, child.Id());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Name, L"vxchild.exe");
  EXPECT_EQ(Lower(f->FilePath), Lower(program.Path()));  // drive-letter form, not the device form
  EXPECT_EQ(f->BinPath, commandLine);
  EXPECT_EQ(f->StartPath, std::to_wstring(::GetCurrentProcessId()));
  EXPECT_EQ(f->Type, L"进程");
  // Completed from the file's version resource before it is handed on.
  EXPECT_EQ(f->FileDescription, L"Host Process for Windows Services");
  EXPECT_EQ(f->ProductName, L"Kaspersky fixture for varnex tests");
  EXPECT_TRUE(f->Id.empty());
  EXPECT_TRUE(f->MatchMethod.empty());
}

TEST(ProcessScanner, RundllProcessesAreReportedUnderTheirDll) {
  testing_support::TempFolder folder(L"vxrundll");
  ASSERT_TRUE(::CreateDirectoryW(folder.File(L"mixed").c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW(folder.File(L"other").c_str(), nullptr));
  const ScopedFile rundll = ScopedFile::CopyOfTestProgram(folder.File(L"rundll32.exe"));
  const ScopedFile mixedCase = ScopedFile::CopyOfTestProgram(folder.File(L"mixed\\RunDll32.EXE"));
  const ScopedFile notRundll = ScopedFile::CopyOfTestProgram(folder.File(L"other\\runner.exe"));

  struct Case {
    const ScopedFile* program;
    std::wstring commandLine;
    std::wstring expectedPath;  // "" stands for the program's own image path
  } cases[] = {
      {&rundll, L"C:\\Windows\\system32\\rundll32.exe \"C:\\Users\\a\\x.dll\",Start", L"C:\\Users\\a\\x.dll"},
      {&rundll, L"rundll32.exe C:\\x\\PLUGIN.DLL,Run", L"C:\\x\\PLUGIN.DLL"},
      {&rundll, L"RUNDLL32.EXE x.dll", L"x.dll"},
      {&rundll, L"rundll32.exe shell32.dll", L"shell32.dll"},
      {&mixedCase, L"rundll32.exe a.dll,Entry", L"a.dll"},
      {&notRundll, L"rundll32.exe a.dll,Entry", L""},
  };
  std::vector<std::unique_ptr<ChildProcess>> children;
  for (const auto& c : cases) {
    children.push_back(std::make_unique<ChildProcess>(c.program->Path(), c.commandLine));
    ASSERT_TRUE(children.back()->Running());
  }

  ScanState state;
  RecordingWindow window;
  const std::vector<Finding> seen = ScanAll(state, window);

  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Finding* f = ProcessWithId(seen, children[i]->Id());
    ASSERT_NE(f, nullptr) << testing::PrintToString(cases[i].commandLine);
    EXPECT_EQ(f->BinPath, cases[i].commandLine);
    if (cases[i].expectedPath.empty()) {
      EXPECT_EQ(Lower(f->FilePath), Lower(cases[i].program->Path()));
    } else {
      EXPECT_EQ(f->FilePath, cases[i].expectedPath) << testing::PrintToString(cases[i].commandLine);
    }
  }
}

TEST(ProcessScanner, SkipsProcessesThatCannotBeOpened) {
  testing_support::TempFolder folder(L"vxlocked");
  const ScopedFile program = ScopedFile::CopyOfTestProgram(folder.File(L"vxlocked.exe"));
  ChildProcess open(program.Path(), L"vxlocked.exe open");
  ChildProcess locked(program.Path(), L"vxlocked.exe locked", ChildProcess::Access::Locked);
  ASSERT_TRUE(open.Running() && locked.Running());
  {
    winaccess::unique_handle probe(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, locked.Id()));
    ASSERT_FALSE(probe) << "the locked child can still be opened";
  }

  ScanState state;
  RecordingWindow window;
  const std::vector<Finding> seen = ScanAll(state, window);
  EXPECT_NE(ProcessWithId(seen, open.Id()), nullptr);
  EXPECT_EQ(ProcessWithId(seen, locked.Id()), nullptr);
}

TEST(ProcessScanner, StopRequestEndsTheWalkAfterTheCurrentProcess) {
  testing_support::TempFolder folder(L"vxstop");
  const ScopedFile program = ScopedFile::CopyOfTestProgram(folder.File(L"vxstop.exe"));
  ChildProcess a(program.Path(), L"vxstop.exe a");
  ChildProcess b(program.Path(), L"vxstop.exe b");

  ScanState state;
  RecordingWindow window;
  std::vector<Finding> seen;
  ScanProcesses(state, window, [&](Finding f) {
    seen.push_back(std::move(f));
    state.StopRequested = true;
  });
  EXPECT_EQ(seen.size(), 1u);
}

// The service host's description on a program of another name in the system folder: the scanner's
// Finding, through the Classifier, is posted as a suspected push-install process.
TEST(ProcessScanner, ServiceHostImpostorIsPostedThroughTheClassifier) {
  std::wstring system32;
  ASSERT_TRUE(winaccess::ExpandEnvironment(L"%SystemRoot%\\System32", system32));
  testing_support::TempFolder folder(L"vxhost");
  const ScopedFile impostor = ScopedFile::CopyOfTestProgram(system32 + L"\\svch0st.exe");
  const ScopedFile elsewhere = ScopedFile::CopyOfTestProgram(folder.File(L"svch0st.exe"));
  ChildProcess inSystem(impostor.Path(), L"svch0st.exe -k netsvcs");
  ChildProcess outside(elsewhere.Path(), L"svch0st.exe -k netsvcs");
  ASSERT_TRUE(inSystem.Running() && outside.Running());

  auto state = std::make_shared<ScanState>();
  auto window = std::make_shared<RecordingWindow>();
  const Classifier classifier(state, std::make_shared<const RuleData>(), window);
  ScanProcesses(*state, *window, classifier.Consumer());

  const Finding* posted = ProcessWithId(window->findings, inSystem.Id());
  ASSERT_NE(posted, nullptr);
  EXPECT_EQ(posted->Name, L"svch0st.exe");
  EXPECT_EQ(posted->Company, L"疑似推装病毒进程");
  EXPECT_EQ(posted->MatchMethod, L"疯花病毒进程特征1匹配");
  const std::wstring id = std::to_wstring(inSystem.Id());
  EXPECT_EQ(posted->Descrip.substr(0, id.size()), id);
  EXPECT_GT(posted->Descrip.size(), id.size()) << "the advice follows the process id";
  EXPECT_FALSE(window->titles.empty());

  EXPECT_EQ(ProcessWithId(window->findings, outside.Id()), nullptr);
}
