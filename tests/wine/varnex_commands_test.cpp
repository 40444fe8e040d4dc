// The user's commands on the result views: select all, invert, details, keys, context menu.
#include "varnex_dialog_fixture.h"

#include <optional>

#include "varnex/report/json_reader.h"
#include "varnex/report/report_writers.h"
#include "varnex/report/utf8.h"

using namespace vxtest;

namespace {

class CommandsTest : public DialogTest {
 protected:
  // Opens the dialog with a scan that posts these Findings, and waits for all rows.
  CVarnexDlg& OpenWith(std::vector<Finding> findings, VarnexDlgOptions options = {}) {
    posted_ = std::move(findings);
    steps_.ScanProcesses = [this] {
      for (const auto& f : posted_) context_.window->PostFinding(f);
    };
    CVarnexDlg& dlg = Open(std::move(options));
    EXPECT_TRUE(WaitForScanEnd());
    EXPECT_TRUE(PumpUntil([&] { return RowCount(dlg.View(0)) == static_cast<int>(posted_.size()); }));
    return dlg;
  }

  void Notify(HWND view, UINT code, WORD key = 0) {
    NMLVKEYDOWN message{};
    message.hdr = {view, static_cast<UINT_PTR>(::GetDlgCtrlID(view)), code};
    message.wVKey = key;
    ::SendMessageW(dialog_->Hwnd(), WM_NOTIFY, message.hdr.idFrom, reinterpret_cast<LPARAM>(&message));
  }

  static void Select(HWND view, int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = 0;
    ::SendMessageW(view, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    if (row < 0) return;
    item.state = LVIS_SELECTED;
    ::SendMessageW(view, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  }

  static std::vector<bool> Checks(HWND view) {
    std::vector<bool> checks;
    for (int r = 0; r < RowCount(view); ++r) checks.push_back(IsRowChecked(view, r));
    return checks;
  }

  std::vector<Finding> posted_;
};

Finding Protected(const std::wstring& name, const std::wstring& type, bool byDescription) {
  Finding f = MakeFinding(name, type);
  if (byDescription) {
    f.FileDescription = L"疑似驱动木马";
  } else {
    f.Company = L"可疑厂商";
  }
  return f;
}

}  // namespace

TEST_F(CommandsTest, SelectAllSkipsProtectedRowsAndCountsTicked) {
  CVarnexDlg& dlg = OpenWith({MakeFinding(L"a", L"进程"), Protected(L"b", L"进程", true), MakeFinding(L"c", L"进程"),
                              Protected(L"d", L"服务", false), MakeFinding(L"e", L"服务")});
  HWND all = dlg.View(0);
  SetRowChecked(all, 3, true);  // a protected row already ticked stays ticked and is counted
  Click(IDC_SELECT_ALL);
  EXPECT_EQ(Checks(all), (std::vector<bool>{true, false, true, true, true}));
  EXPECT_EQ(Status(), L"选中4个项目");
  EXPECT_TRUE(dlg.State().CategoryViewsStale);

  // The rebuild carries the marks to the category tab; Select all there also ticks, in the
  // all-items view, the protected rows it leaves unticked in its own view.
  SetRowChecked(all, 3, false);
  SelectTab(1);
  Click(IDC_SELECT_ALL);
  EXPECT_EQ(Checks(dlg.View(1)), (std::vector<bool>{true, false, true}));
  EXPECT_EQ(Status(), L"选中2个项目");
  EXPECT_EQ(Checks(all), (std::vector<bool>{true, true, true, false, true}));
}

TEST_F(CommandsTest, InvertTogglesUnprotectedRowsAndReachesCategoryTabs) {
  CVarnexDlg& dlg = OpenWith({MakeFinding(L"a", L"进程"), Protected(L"b", L"进程", true), MakeFinding(L"c", L"Run")});
  HWND all = dlg.View(0);
  SetRowChecked(all, 0, true);
  ::SetDlgItemTextW(dlg.Hwnd(), IDC_STATUS, L"x");
  Click(IDC_INVERT);
  EXPECT_EQ(Checks(all), (std::vector<bool>{false, false, true}));
  EXPECT_EQ(Status(), L"");
  SelectTab(4);
  EXPECT_EQ(Checks(dlg.View(4)), (std::vector<bool>{true}));
  SelectTab(1);
  EXPECT_EQ(Checks(dlg.View(1)), (std::vector<bool>{false, false}));

  // From a category tab: every row of view 0 named by the ID column gets the new state, the
  // protected one included.
  Click(IDC_INVERT);
  EXPECT_EQ(Checks(dlg.View(1)), (std::vector<bool>{true, false}));
  EXPECT_EQ(Checks(all), (std::vector<bool>{true, true, true}));
}

TEST_F(CommandsTest, IdOutsideTheAllItemsViewChangesNothingThere) {
  CVarnexDlg& dlg = OpenWith({MakeFinding(L"a", L"进程"), MakeFinding(L"b", L"进程")});
  SelectTab(1);
  SetCellText(dlg.View(1), 0, kColId, L"7");
  SetCellText(dlg.View(1), 1, kColId, L"x");
  Click(IDC_SELECT_ALL);
  EXPECT_EQ(Checks(dlg.View(1)), (std::vector<bool>{true, true}));
  EXPECT_EQ(Checks(dlg.View(0)), (std::vector<bool>{false, false}));
}

TEST_F(CommandsTest, DetailsOnClickAndKeys) {
  Finding process = MakeFinding(L"p", L"进程");
  process.Descrip = L"4321";
  process.StartPath = L"88";
  process.BinPath = L"\"C:\\x\\p.exe\" -s";
  process.MatchMethod = L"厂商规则";
  Finding run = MakeFinding(L"r", L"Run");
  CVarnexDlg& dlg = OpenWith({process, run, MakeFinding(L"z", L"服务")});
  HWND all = dlg.View(0);
  const std::wstring processText =
      L"进程PID： 4321\t匹配原因：厂商规则\r\n父进程PID： 88\r\n启动参数： \"C:\\x\\p.exe\" -s";
  const std::wstring runText =
      L"描述： descrip r\t匹配原因：rule r\r\n启动项路径： start r\r\n启动参数： bin r";
  const std::wstring lastText = L"描述： descrip z\t匹配原因：rule z\r\n启动项路径： start z\r\n启动参数： bin z";

  Select(all, 0);
  Notify(all, NM_CLICK);
  EXPECT_EQ(Status(), processText);
  Select(all, 1);
  Notify(all, NM_CLICK);
  EXPECT_EQ(Status(), runText);

  struct Case {
    int selected;
    WORD key;
    std::wstring expected;
  } cases[] = {
      {0, VK_DOWN, runText},   {2, VK_DOWN, lastText}, {0, VK_UP, processText},
      {1, VK_UP, processText}, {-1, VK_DOWN, processText}, {-1, VK_UP, L""},
      {1, 'A', runText},
  };
  for (const auto& c : cases) {
    ::SetDlgItemTextW(dlg.Hwnd(), IDC_STATUS, L"before");
    Select(all, c.selected);
    Notify(all, LVN_KEYDOWN, c.key);
    EXPECT_EQ(Status(), c.expected) << c.selected << " " << c.key;
  }
  Select(all, -1);
  Notify(all, NM_CLICK);
  EXPECT_EQ(Status(), L"");
}

TEST_F(CommandsTest, ContextMenuOpensTheFileLocation) {
  int menus = 0;
  std::vector<std::wstring> launched;
  VarnexDlgOptions options;
  options.trackMenu = [&](HWND, HMENU popup) -> UINT {
    ++menus;
    EXPECT_EQ(::GetMenuItemCount(popup), 2);  // the export of all results follows
    EXPECT_EQ(::GetMenuItemID(popup, 0), static_cast<UINT>(ID_OPEN_LOCATION));
    wchar_t caption[64] = {};
    ::GetMenuStringW(popup, 0, caption, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(caption), L"打开件所在位置");
    return ID_OPEN_LOCATION;
  };
  options.launch = [&](const std::wstring& file, const std::wstring& parameters) {
    launched.push_back(file + L"|" + parameters);
  };
  Finding spaced = MakeFinding(L"a", L"进程");
  spaced.FilePath = L"C:\\Program Files\\A B\\a.exe";
  CVarnexDlg& dlg = OpenWith({spaced}, std::move(options));

  ::SetDlgItemTextW(dlg.Hwnd(), IDC_STATUS, L"before");
  Select(dlg.View(0), -1);
  Notify(dlg.View(0), NM_RCLICK);
  EXPECT_EQ(menus, 0);
  EXPECT_EQ(Status(), L"");

  ::SetDlgItemTextW(dlg.Hwnd(), IDC_STATUS, L"before");
  Select(dlg.View(0), 0);
  Notify(dlg.View(0), NM_RCLICK);
  EXPECT_EQ(menus, 1);
  std::wstring explorer;
  ASSERT_TRUE(winaccess::ExpandEnvironment(L"%systemroot%\\explorer.exe", explorer, 522));
  // The path goes unchanged, without added quotes.
  EXPECT_EQ(launched, (std::vector<std::wstring>{explorer + L"|/select,C:\\Program Files\\A B\\a.exe"}));
  EXPECT_EQ(Status(), L"");
}

namespace {

std::string ReadFileBytes(const std::wstring& path) {
  std::string bytes;
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  ::CloseHandle(file);
  return bytes;
}

}  // namespace

TEST_F(CommandsTest, ExportWritesTheAllItemsViewAsItIsNow) {
  TempFolder out(L"vxexport");
  std::optional<ExportChoice> next;
  int asked = 0;
  VarnexDlgOptions options;
  options.trackMenu = [](HWND, HMENU popup) -> UINT {
    EXPECT_EQ(::GetMenuItemID(popup, 1), static_cast<UINT>(ID_EXPORT_ALL));
    wchar_t caption[64] = {};
    ::GetMenuStringW(popup, 1, caption, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(caption), L"导出全部结果...");
    return ID_EXPORT_ALL;
  };
  options.chooseExportPath = [&](HWND) {
    ++asked;
    return next;
  };
  steps_.CheckRootkitDrivers = [](std::wstring& path) {
    path = L"C:\\Windows\\System32\\drivers\\x.sys";
    return true;
  };
  Finding odd = MakeFinding(L"逗号,\"引号\"", L"Run");
  odd.BinPath = L"cmd /c \"a\"\r\nb";
  const std::vector<Finding> posted = {MakeFinding(L"a", L"进程"), MakeFinding(L"gone", L"服务"), odd};
  CVarnexDlg& dlg = OpenWith(posted, std::move(options));
  // Handling took row 1 out of the view: the export writes the view as it is now.
  ::SendMessageW(dlg.View(0), LVM_DELETEITEM, 1, 0);
  std::vector<Finding> expected = {posted[0], posted[2]};
  expected[0].Id = L"0";
  expected[1].Id = L"2";

  Select(dlg.View(0), 0);
  next = ExportChoice{out.File(L"all.json"), report::ReportFormat::Json};
  Notify(dlg.View(0), NM_RCLICK);
  EXPECT_EQ(Status(), L"已导出 2 个项目到 " + out.File(L"all.json"));
  report::Report written;
  std::wstring error;
  ASSERT_TRUE(report::ReadJsonReport(ReadFileBytes(out.File(L"all.json")), written, error));
  EXPECT_EQ(written.items, expected);
  EXPECT_EQ(written.header.mode, L"normal");
  EXPECT_EQ(written.header.status, kScanFinishedText);
  EXPECT_EQ(written.header.alerts, std::vector<std::wstring>{kRootkitTitle});
  EXPECT_EQ(written.header.warnings, messages_);  // the rule-file messages shown at start
  EXPECT_EQ(written.header.warnings.size(), 3u);
  EXPECT_EQ(written.header.started.size(), 25u);
  EXPECT_EQ(written.header.finished.size(), 25u);

  // The chosen type decides the format; a name without its ending gets it.
  next = ExportChoice{out.File(L"all"), report::ReportFormat::Csv};
  Notify(dlg.View(0), NM_RCLICK);
  EXPECT_EQ(ReadFileBytes(out.File(L"all.csv")), report::CsvReport(expected));

  // Cancelled: nothing written, the status box emptied.
  next = std::nullopt;
  Notify(dlg.View(0), NM_RCLICK);
  EXPECT_EQ(Status(), L"");

  next = ExportChoice{L"C:\\vx_no_such_folder\\all.json", report::ReportFormat::Json};
  Notify(dlg.View(0), NM_RCLICK);
  EXPECT_EQ(Status().rfind(L"导出失败：", 0), 0u) << report::Utf8FromWide(Status());
  EXPECT_EQ(asked, 4);
}

TEST_F(CommandsTest, MinimisedWindowUsesTheProgramIcon) {
  CVarnexDlg& dlg = OpenWith({});
  const auto icon = ::SendMessageW(dlg.Hwnd(), WM_QUERYDRAGICON, 0, 0);
  EXPECT_NE(icon, 0);
  EXPECT_EQ(icon, ::SendMessageW(dlg.Hwnd(), WM_GETICON, ICON_BIG, 0));
}
