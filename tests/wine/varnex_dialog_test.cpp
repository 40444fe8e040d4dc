// The main dialog created in this process and driven as a user's clicks would drive it.
#include <atomic>

#include "common/text/text_rules.h"
#include "varnex_dialog_fixture.h"

using namespace vxtest;


TEST_F(DialogTest, LayoutTabsViewsAndColumns) {
  std::atomic<bool> release{false};
  steps_.ScanProcesses = [&] {
    while (!release) ::Sleep(5);
  };
  CVarnexDlg& dlg = Open({});
  EXPECT_EQ(WindowText(dlg.Hwnd()), L"Varnex");
  EXPECT_EQ(WindowText(Item(IDC_ACTION)), L"停止扫描");
  EXPECT_FALSE(::IsWindowEnabled(Item(IDC_RESCAN)));
  EXPECT_EQ(WindowText(Item(IDC_SELECT_ALL)), L"全选");
  EXPECT_EQ(WindowText(Item(IDC_INVERT)), L"反选");
  EXPECT_EQ(WindowText(Item(IDC_RESCAN)), L"重新扫描");

  HWND tab = Item(IDC_TAB);
  ASSERT_EQ(::SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), kViewCount);
  for (int i = 0; i < kViewCount; ++i) {
    wchar_t caption[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption;
    item.cchTextMax = 64;
    ::SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::wstring(caption), kTabCaptions[i]);

    HWND view = Item(IDC_VIEW_FIRST + i);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view, dlg.View(i));
    const auto ex = ::SendMessageW(view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_TRUE(ex & LVS_EX_CHECKBOXES);
    EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
    HWND header = reinterpret_cast<HWND>(::SendMessageW(view, LVM_GETHEADER, 0, 0));
    ASSERT_EQ(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), kFindingColumnCount);
    for (int c = 0; c < kFindingColumnCount; ++c) {
      wchar_t title[64] = {};
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH;
      column.pszText = title;
      column.cchTextMax = 64;
      ::SendMessageW(view, LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
      EXPECT_EQ(std::wstring(title), kFindingColumns[c].title);
      EXPECT_EQ(column.cx, kFindingColumns[c].width);
    }
  }
  // The view rectangle rule relative to the client area.
  RECT client{}, rect{};
  ::GetClientRect(dlg.Hwnd(), &client);
  ::GetWindowRect(dlg.View(0), &rect);
  ::MapWindowPoints(nullptr, dlg.Hwnd(), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, client.right * 12 / 989);
  EXPECT_EQ(rect.top, client.right * 33 / 989);
  EXPECT_EQ(rect.right, client.right - client.bottom * 16 / 439);
  EXPECT_EQ(rect.bottom, client.bottom - client.bottom * 103 / 439);

  release = true;
  ASSERT_TRUE(WaitForScanEnd());
  EXPECT_TRUE(::IsWindowEnabled(Item(IDC_RESCAN)));
  EXPECT_EQ(Status(), L"扫描完毕。什么都没发现。");
}

TEST_F(DialogTest, MissingRuleFilesAreReportedAndTheScanStillRuns) {
  Open({});
  ASSERT_TRUE(WaitForScanEnd());
  EXPECT_EQ(messages_, (std::vector<std::wstring>{
                           L"找不到data\\sign.txt，请重新下载解压，否则无法识别流氓软件！",
                           L"找不到\\data\\folder.txt，请重新下载解压，否则无法识别流氓软件！",
                           L"找不到data\\appdatainfo.txt，请重新下载解压，否则无法识别流氓软件！",
                       }));
}

TEST_F(DialogTest, FindingsAppearInOrderAndCategoryViewsAreRebuilt) {
  const std::vector<Finding> posted = {
      MakeFinding(L"p", L"进程"),       MakeFinding(L"s", L"服务"),     MakeFinding(L"d", L"驱动"),
      MakeFinding(L"r", L"Run"),        MakeFinding(L"lower", L"run"), MakeFinding(L"ss", L"屏幕保护程序"),
      MakeFinding(L"t", L"计划任务"),   MakeFinding(L"e", L"环境变量"), MakeFinding(L"i", L"IMM32"),
      MakeFinding(L"tsf", L"TSF"),      MakeFinding(L"a", L"文件关联"), MakeFinding(L"v", L"病毒文件"),
  };
  steps_.ScanProcesses = [&] {
    for (const auto& f : posted) context_.window->PostFinding(f);
  };
  CVarnexDlg& dlg = Open({});
  ASSERT_TRUE(WaitForScanEnd());
  ASSERT_TRUE(PumpUntil([&] { return ui::RowCount(dlg.View(0)) == static_cast<int>(posted.size()); }));
  EXPECT_EQ(Status(), L"扫描完毕。");
  for (int i = 0; i < static_cast<int>(posted.size()); ++i) {
    for (int c = 0; c < kFindingColumnCount; ++c) {
      const std::wstring expected = c == kColId ? std::to_wstring(i) : FieldOf(posted[i], c);
      EXPECT_EQ(CellText(dlg.View(0), i, c), expected) << i << "/" << c;
    }
  }
  // A message whose index is not the row count is dropped.
  ::SendMessageW(dlg.Hwnd(), WM_FINDING, 0, 99);
  ::SendMessageW(dlg.Hwnd(), WM_FINDING, 0, 3);
  EXPECT_EQ(ui::RowCount(dlg.View(0)), static_cast<int>(posted.size()));

  SetRowChecked(dlg.View(0), 4, true);  // "lower" ("run")
  SetRowChecked(dlg.View(0), 3, true);  // "r" ("Run")
  SelectTab(4);
  EXPECT_TRUE(::IsWindowVisible(dlg.View(4)));
  EXPECT_FALSE(::IsWindowVisible(dlg.View(0)));
  EXPECT_FALSE(dlg.State().CategoryViewsStale);
  struct Expect {
    int view;
    std::vector<std::wstring> names;
    std::vector<std::wstring> ids;
  } expected[] = {
      {1, {L"p"}, {L"0"}},
      {2, {L"s"}, {L"1"}},
      {3, {L"d"}, {L"2"}},
      {4, {L"r", L"ss"}, {L"3", L"5"}},
      {5, {L"t"}, {L"6"}},
      {6, {L"lower", L"e", L"v"}, {L"4", L"7", L"11"}},  // exact comparison: "run" is not "Run"
      {7, {L"i", L"tsf"}, {L"8", L"9"}},
      {8, {L"a"}, {L"10"}},
  };
  for (const auto& e : expected) {
    ASSERT_EQ(ui::RowCount(dlg.View(e.view)), static_cast<int>(e.names.size())) << e.view;
    for (int r = 0; r < static_cast<int>(e.names.size()); ++r) {
      EXPECT_EQ(CellText(dlg.View(e.view), r, kColName), e.names[r]);
      EXPECT_EQ(CellText(dlg.View(e.view), r, kColId), e.ids[r]);
    }
  }
  EXPECT_TRUE(IsRowChecked(dlg.View(4), 0));
  EXPECT_FALSE(IsRowChecked(dlg.View(4), 1));
  EXPECT_TRUE(IsRowChecked(dlg.View(6), 0));
  EXPECT_FALSE(IsRowChecked(dlg.View(6), 1));
}

TEST_F(DialogTest, StopEndsTheScanWithTheUsualStatus) {
  std::atomic<int> laterSteps{0};
  steps_.ScanProcesses = [&] {
    while (!context_.state->StopRequested) ::Sleep(5);
  };
  steps_.ScanServices = [&](bool) { ++laterSteps; };
  steps_.ScanFileAssociations = [&](const std::wstring&) { ++laterSteps; };
  Open({});
  PumpFor(50);
  EXPECT_FALSE(ScanEnded());
  Click(IDC_ACTION);
  ASSERT_TRUE(WaitForScanEnd());
  EXPECT_EQ(laterSteps, 0);
  EXPECT_EQ(Status(), L"扫描完毕。什么都没发现。");
  EXPECT_TRUE(::IsWindowEnabled(Item(IDC_RESCAN)));
  // The worker clears the flag as its very last step, just after the buttons come back.
  EXPECT_TRUE(PumpUntil([&] { return !context_.state->StopRequested; }));
}

TEST_F(DialogTest, RescanEmptiesEverythingAndScansAgain) {
  std::atomic<int> scans{0};
  steps_.ScanProcesses = [&] {
    const int n = ++scans;
    context_.window->PostFinding(MakeFinding(L"scan" + std::to_wstring(n), L"进程"));
    if (n == 1) context_.window->PostFinding(MakeFinding(L"extra", L"服务"));
  };
  CVarnexDlg& dlg = Open({});
  ASSERT_TRUE(WaitForScanEnd());
  ASSERT_TRUE(PumpUntil([&] { return ui::RowCount(dlg.View(0)) == 2; }));
  SelectTab(1);
  EXPECT_EQ(ui::RowCount(dlg.View(1)), 1);

  Click(IDC_RESCAN);
  EXPECT_FALSE(::IsWindowEnabled(Item(IDC_RESCAN)));
  ASSERT_TRUE(WaitForScanEnd());
  ASSERT_TRUE(PumpUntil([&] { return ui::RowCount(dlg.View(0)) == 1; }));
  EXPECT_EQ(scans, 2);
  EXPECT_EQ(CellText(dlg.View(0), 0, kColName), L"scan2");
  EXPECT_EQ(CellText(dlg.View(0), 0, kColId), L"0");
  EXPECT_EQ(ui::RowCount(dlg.View(1)), 0);
  EXPECT_EQ(dlg.State().Findings.Size(), 1u);
  EXPECT_EQ(dlg.State().PostedCount, 1);
  EXPECT_EQ(WindowText(dlg.Hwnd()), L"Varnex");
}

TEST_F(DialogTest, MarkerFileGivesTheFenghuaTitleAndStatus) {
  std::wstring marker;
  ASSERT_TRUE(winaccess::ExpandEnvironment(L"%systemroot%\\temp\\~.cache", marker, 522));
  ASSERT_TRUE(WriteBytes(marker, {}));
  CVarnexDlg& dlg = Open({});
  const bool ended = WaitForScanEnd();
  DeleteTree(marker);
  ASSERT_TRUE(ended);
  EXPECT_EQ(WindowText(dlg.Hwnd()), L"Varnex (发现推装病毒疯花木马！)");
  EXPECT_EQ(Status(), FinalStatusText(0, true, marker));
}

TEST_F(DialogTest, FullQueueNeverLosesAFinding) {
  std::atomic<int> refusals{0};
  VarnexDlgOptions options;
  // Refuses every third post for a while, as a full message queue would.
  options.post = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> BOOL {
    if (m == WM_FINDING && refusals < 200 && (l % 3 == 0)) {
      ++refusals;
      if (refusals % 10 != 0) return FALSE;
    }
    return ::PostMessageW(h, m, w, l);
  };
  steps_.ScanProcesses = [&] {
    for (int i = 0; i < 300; ++i) context_.window->PostFinding(MakeFinding(std::to_wstring(i), L"进程"));
  };
  CVarnexDlg& dlg = Open(std::move(options));
  ASSERT_TRUE(WaitForScanEnd());
  ASSERT_TRUE(PumpUntil([&] { return ui::RowCount(dlg.View(0)) == 300; }));
  EXPECT_GT(refusals, 0);
  for (int i = 0; i < 300; i += 37) EXPECT_EQ(CellText(dlg.View(0), i, kColName), std::to_wstring(i));
}

TEST_F(DialogTest, StartModesFromTheCommandLine) {
  struct Case {
    std::wstring commandLine;
    std::wstring title;
    bool serviceDelete, fileScan;
    std::size_t messages;
  } cases[] = {
      {L"", L"Varnex", false, false, 3},
      {L"delsrv", L"Varnex（删除服务）", true, false, 3},
      {L"/DelFile", L"Varnex（扫描文件）", false, true, 5},  // scanpath and excludepath first
  };
  for (const auto& c : cases) {
    messages_.clear();
    VarnexDlgOptions options;
    options.commandLine = c.commandLine;
    CVarnexDlg& dlg = Open(std::move(options));
    ASSERT_TRUE(WaitForScanEnd()) << c.commandLine;
    EXPECT_EQ(WindowText(dlg.Hwnd()), c.title);
    EXPECT_EQ(dlg.State().ServiceDeleteMode, c.serviceDelete);
    EXPECT_EQ(dlg.State().FileScanMode, c.fileScan);
    EXPECT_FALSE(dlg.State().TargetFolderMode);
    EXPECT_EQ(messages_.size(), c.messages) << c.commandLine;
    if (c.fileScan) {
      EXPECT_EQ(Status(), L"扫描完毕。");
    }
    ::DestroyWindow(dlg.Hwnd());
  }
}

TEST_F(DialogTest, TargetFolderModeTakesVendorAndFolder) {
  // The test program carries the company name "Foo Ltd": copied into a folder, it is a target
  // file with a known vendor.
  ::CreateDirectoryW(program_.File(L"Foo").c_str(), nullptr);
  ::CreateDirectoryW(program_.File(L"Desktop").c_str(), nullptr);
  const std::wstring setup = program_.File(L"Foo\\Setup.exe");
  const std::wstring onDesktop = program_.File(L"Desktop\\Setup.exe");
  ASSERT_TRUE(::CopyFileW(winaccess::ProgramPath().c_str(), setup.c_str(), FALSE));
  ASSERT_TRUE(::CopyFileW(winaccess::ProgramPath().c_str(), onDesktop.c_str(), FALSE));
  const std::wstring lowerFolder = text::LowerAZ(program_.Path());
  struct Case {
    std::wstring commandLine;
    std::wstring target;
    std::wstring vendor;
  } cases[] = {
      {L"\"" + setup + L"\"", lowerFolder + L"\\foo\\", L"Foo Ltd"},
      {L"  " + onDesktop + L" ", text::LowerAZ(onDesktop) + L"\\", L"Foo Ltd"},
      {L"\"" + program_.File(L"Foo") + L"\"", lowerFolder + L"\\foo\\", L""},
      {L"C:\\does\\not\\exist delsrv", L"c:\\does\\not\\exist delsrv\\", L""},
  };
  for (const auto& c : cases) {
    messages_.clear();
    std::atomic<int> quickChecks{0};
    steps_.CheckRootkitDrivers = [&](std::wstring&) { return ++quickChecks, false; };
    VarnexDlgOptions options;
    options.commandLine = c.commandLine;
    CVarnexDlg& dlg = Open(std::move(options));
    ASSERT_TRUE(WaitForScanEnd()) << c.commandLine;
    EXPECT_TRUE(dlg.State().TargetFolderMode);
    EXPECT_FALSE(dlg.State().ServiceDeleteMode);
    EXPECT_TRUE(messages_.empty()) << "no rule file is read in target-folder mode";
    EXPECT_EQ(quickChecks, 0);
    EXPECT_EQ(WindowText(dlg.Hwnd()), L"Varnex（扫描路径：" + c.target + L" 厂商：" + c.vendor + L"）");
    EXPECT_EQ(dlg.Rules().FolderList, (std::vector<std::wstring>{c.target}));
    if (c.vendor.empty()) {
      EXPECT_TRUE(dlg.Rules().SignList.empty());
    } else {
      EXPECT_EQ(dlg.Rules().SignList, (std::vector<std::wstring>{L"foo ltd"}));
    }
    ::DestroyWindow(dlg.Hwnd());
  }
}

TEST_F(DialogTest, ClosingTheWindowWhileTheWorkerRunsIsSafe) {
  std::atomic<bool> closed{false};
  std::atomic<bool> workerDone{false};
  steps_.ScanProcesses = [&] {
    while (!closed) ::Sleep(5);
    // The window is gone: posting, status and buttons must fail quietly.
    for (int i = 0; i < 50; ++i) context_.window->PostFinding(MakeFinding(L"late", L"进程"));
    context_.window->SetStatusText(L"x");
  };
  steps_.ScanFileAssociations = [&](const std::wstring& scope) {
    if (scope == L"Applications") workerDone = true;
  };
  CVarnexDlg& dlg = Open({});
  ::SendMessageW(dlg.Hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(dlg.Hwnd(), nullptr);
  dialog_.reset();  // the dialog object is destroyed too, as at program exit
  closed = true;
  ASSERT_TRUE(PumpUntil([&] { return workerDone.load(); }));
  EXPECT_EQ(context_.state->Findings.Size(), 50u);
}
