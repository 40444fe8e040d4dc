// The scan driver through a recording window: step order, stop tests, modes and quick checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/winaccess/winaccess.h"
#include "test_support.h"
#include "varnex/core/scan_driver.h"
#include "varnex/core/scan_texts.h"

using namespace varnex;
using namespace testing_support;

namespace {

struct RecordingWindow : IScanWindow {
  std::vector<std::wstring> events;
  std::vector<Finding> findings;
  ScanState* state = nullptr;
  void PostFinding(const Finding& f) override {
    findings.push_back(f);
    events.push_back(L"post:" + f.Name);
    if (state != nullptr) state->PostedCount = state->PostedCount + 1;
  }
  void SetStatusText(const std::wstring& t) override { events.push_back(L"status:" + t); }
  void SetTitle(const std::wstring& t) override { events.push_back(L"title:" + t); }
  void SetActionButtonText(const std::wstring& t) override { events.push_back(L"action:" + t); }
  void EnableRescanButton(bool e) override { events.push_back(e ? L"rescan:on" : L"rescan:off"); }
};

// Every step records its name; `stopAfter` names the step after which the user presses Stop.
ScanSteps RecordingSteps(std::vector<std::wstring>& log, ScanState& state, const std::wstring& stopAfter = L"") {
  auto step = [&log, &state, stopAfter](const std::wstring& name) {
    log.push_back(name);
    if (name == stopAfter) state.StopRequested = true;
  };
  ScanSteps s;
  s.CheckFenghuaFolders = [step](std::wstring&) { step(L"fenghua"); return false; };
  s.CheckRootkitDrivers = [step](std::wstring&) { step(L"rootkit"); return false; };
  s.CheckKnownDriverNames = [step] { step(L"knowndrivers"); };
  s.ScanProcesses = [step] { step(L"processes"); };
  s.ScanServices = [step](bool drivers) { step(drivers ? L"drivers" : L"services"); };
  s.ScanStartupEntries = [step] { step(L"run"); };
  s.ScanScreenSaver = [step] { step(L"screensaver"); };
  s.ScanMoreStartupValues = [step] { step(L"morestartup"); };
  s.ScanWinlogon = [step] { step(L"winlogon"); };
  s.ScanImageHijacks = [step] { step(L"hijacks"); };
  s.ScanStartupFolders = [step] { step(L"startupfolders"); };
  s.ScanScheduledTasks = [step] { step(L"tasks"); };
  s.ScanExplorerAddons = [step] { step(L"addons"); };
  s.ScanToolbars = [step] { step(L"toolbars"); };
  s.ScanImeLayouts = [step] { step(L"imm32"); };
  s.ScanTextServices = [step] { step(L"tsf"); };
  s.ScanFileAssociations = [step](const std::wstring& scope) { step(L"assoc:" + scope); };
  s.ScanFiles = [step] { step(L"files"); };
  return s;
}

const std::vector<std::wstring> kAllSteps = {
    L"fenghua", L"rootkit", L"knowndrivers", L"processes", L"services", L"drivers", L"run", L"screensaver",
    L"morestartup", L"winlogon", L"hijacks", L"startupfolders", L"tasks", L"addons", L"toolbars", L"imm32", L"tsf", L"assoc:", L"assoc:SystemFileAssociations",
    L"assoc:Applications"};

}  // namespace

TEST(ScanDriver, RunsEveryStepInOrderAndEnds) {
  ScanState state;
  RecordingWindow window;
  window.state = &state;
  std::vector<std::wstring> log;
  RunScan(state, window, RecordingSteps(log, state));
  EXPECT_EQ(log, kAllSteps);
  ASSERT_GE(window.events.size(), 3u);
  EXPECT_EQ(window.events[window.events.size() - 3], L"status:扫描完毕。什么都没发现。");
  EXPECT_EQ(window.events[window.events.size() - 2], L"action:处理选中");
  EXPECT_EQ(window.events.back(), L"rescan:on");
  EXPECT_TRUE(state.CategoryViewsStale);
  EXPECT_FALSE(state.StopRequested);
}

TEST(ScanDriver, StopSkipsTheRestOfTheScanners) {
  struct Case {
    std::wstring stopAfter;
    std::size_t stepsRun;  // how many of kAllSteps ran
  } cases[] = {
      {L"processes", 4},  // known drivers and processes are not preceded by a test
      {L"knowndrivers", 4},
      {L"services", 5},
      {L"screensaver", 8},
      {L"winlogon", 10},  // a stop test before each startup place
      {L"startupfolders", 12},
      {L"toolbars", 15},
      {L"imm32", 17},  // no test between the two input-method scanners
      {L"assoc:", 20},  // nor between the three file-association scopes
  };
  for (const auto& c : cases) {
    ScanState state;
    RecordingWindow window;
    std::vector<std::wstring> log;
    RunScan(state, window, RecordingSteps(log, state, c.stopAfter));
    EXPECT_EQ(log, std::vector<std::wstring>(kAllSteps.begin(), kAllSteps.begin() + c.stepsRun)) << c.stopAfter;
    EXPECT_EQ(window.events[window.events.size() - 3], L"status:扫描完毕。什么都没发现。") << c.stopAfter;
    EXPECT_FALSE(state.StopRequested) << c.stopAfter;
  }
}

TEST(ScanDriver, TargetFolderAndFileScanModes) {
  {
    ScanState state;
    state.TargetFolderMode = true;
    RecordingWindow window;
    std::vector<std::wstring> log;
    RunScan(state, window, RecordingSteps(log, state));
    EXPECT_EQ(log, std::vector<std::wstring>(kAllSteps.begin() + 2, kAllSteps.end()));
    for (const auto& e : window.events) EXPECT_NE(e.rfind(L"title:", 0), 0u) << "title changed in target mode";
  }
  {
    ScanState state;
    state.FileScanMode = true;
    state.CategoryViewsStale = true;
    RecordingWindow window;
    window.state = &state;
    std::vector<std::wstring> log;
    ScanSteps steps = RecordingSteps(log, state);
    steps.ScanFiles = [&] {
      log.push_back(L"files");
      Finding f;
      f.Name = L"x.dll";
      window.PostFinding(f);
    };
    RunScan(state, window, steps);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"files"}));
    EXPECT_EQ(window.events[window.events.size() - 3], L"status:扫描完毕。");
    EXPECT_FALSE(state.CategoryViewsStale);
  }
}

TEST(ScanDriver, TitlesWhenTrojanFamiliesAreFound) {
  struct Case {
    bool fenghua, rootkit;
    std::vector<std::wstring> titles;
  } cases[] = {
      {true, false, {kFenghuaTitle}},
      {false, true, {kRootkitTitle}},
      {true, true, {kFenghuaTitle, kRootkitTitle}},  // the rootkit title is the one left
  };
  for (const auto& c : cases) {
    ScanState state;
    RecordingWindow window;
    window.state = &state;
    std::vector<std::wstring> log;
    ScanSteps steps = RecordingSteps(log, state);
    steps.CheckFenghuaFolders = [&](std::wstring& path) {
      path = L"C:\\Windows\\0123456789abcdef";
      return c.fenghua;
    };
    steps.CheckRootkitDrivers = [&](std::wstring& path) {
      path = L"C:\\Windows\\System32\\drivers\\12345678.sys";
      return c.rootkit;
    };
    RunScan(state, window, steps);
    std::vector<std::wstring> titles;
    for (const auto& e : window.events) {
      if (e.rfind(L"title:", 0) == 0) titles.push_back(e.substr(6));
    }
    EXPECT_EQ(titles, c.titles);
    EXPECT_EQ(state.FenghuaFound.load(), c.fenghua);
    const std::wstring status = window.events[window.events.size() - 3];
    EXPECT_EQ(status.find(L"C:\\Windows\\0123456789abcdef") != std::wstring::npos, c.fenghua) << status;
  }
}

TEST(ScanDriver, QuickChecksForTheBackdoorTraces) {
  std::wstring marker;
  ASSERT_TRUE(winaccess::ExpandEnvironment(L"%systemroot%\\temp\\~.cache", marker, 522));
  ASSERT_TRUE(WriteBytes(marker, {}));
  std::wstring longValue(300, L'x');
  TestRegistryValue value(HKEY_CURRENT_USER, L"Environment", L"USERINITMPRLOGONSCRIPT", longValue);
  const std::wstring backdoor = L"C:\\Windows\\System32\\NtpService.dll";
  ASSERT_TRUE(WriteBytes(backdoor, {'M', 'Z'}));

  ScanState state;
  RecordingWindow window;
  window.state = &state;
  std::vector<std::wstring> log;
  RunScan(state, window, RecordingSteps(log, state));
  DeleteTree(marker);
  DeleteTree(backdoor);

  // The marker file stands in for the folder check.
  EXPECT_EQ(std::find(log.begin(), log.end(), L"fenghua"), log.end());
  EXPECT_TRUE(state.FenghuaFound);
  ASSERT_EQ(window.findings.size(), 2u);
  // A value longer than the 520-byte buffer is still reported, cut at 260 characters.
  EXPECT_EQ(window.findings[0], EnvironmentValueFinding(longValue.substr(0, 260)));
  EXPECT_EQ(window.findings[0].Type, L"环境变量");
  EXPECT_EQ(window.findings[1], BackdoorFileFinding());
  EXPECT_EQ(window.findings[1].StartPath,
            L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\W32Time\\TimeProviders\\NtpService");
  const std::wstring status = window.events[window.events.size() - 3];
  EXPECT_EQ(status.rfind(L"status:扫描完毕。 发现疯花木马：" + marker + L"\r\n", 0), 0u) << status;
}

// A Stop click that lands while the worker writes the end of the scan (the button still reads
// "停止扫描" until the action text is set) must not leave StopRequested set for the next Rescan.
TEST(ScanDriver, AStopClickDuringTheEndOfTheScanIsClearedWithIt) {
  struct ClickingWindow : RecordingWindow {
    void SetStatusText(const std::wstring& t) override {
      RecordingWindow::SetStatusText(t);
      state->StopRequested = true;  // the click taken just before the button changes
    }
    void SetActionButtonText(const std::wstring& t) override {
      state->StopRequested = true;
      RecordingWindow::SetActionButtonText(t);
    }
    void EnableRescanButton(bool e) override {
      seenStopped.push_back(state->StopRequested);
      RecordingWindow::EnableRescanButton(e);
    }
    std::vector<bool> seenStopped;
  };
  for (const bool fileScan : {false, true}) {
    ScanState state;
    state.FileScanMode = fileScan;
    ClickingWindow window;
    window.state = &state;
    std::vector<std::wstring> log;
    RunScan(state, window, RecordingSteps(log, state));
    EXPECT_FALSE(state.StopRequested) << fileScan;
    ASSERT_FALSE(window.events.empty());
    EXPECT_EQ(window.events.back(), L"rescan:on") << fileScan;
  }
}
