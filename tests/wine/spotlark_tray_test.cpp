// The taskbar and tray page: taskbar windows of test processes, and the tray-button reading and
// the icon actions through a tray source made by the test (Wine has no notification-area toolbar).
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "spotlark/handle_text.h"
#include "spotlark/resource.h"
#include "spotlark/taskbar_windows.h"
#include "spotlark/tray_layout.h"
#include "spotlark/tray_source.h"
#include "spotlark_test_support.h"
#include "test_support.h"

using namespace spotlark;
using namespace spotlark_testing;
using namespace testing_support;

namespace {

int RowCount(HWND list) { return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring Cell(HWND list, int row, int column) {
  wchar_t buffer[1024] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = 1024;
  ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  return buffer;
}

int RowOfHandle(HWND list, const std::wstring& handle, const std::wstring& kind) {
  for (int row = 0; row < RowCount(list); ++row) {
    if (Cell(list, row, 1) == handle && Cell(list, row, 4) == kind) return row;
  }
  return -1;
}

// What a user's click on a row sends: the row selected, then NM_CLICK to the page.
void ClickRow(HWND page, int row) {
  HWND list = ::GetDlgItem(page, IDC_TRAY_LIST);
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = 0;
  ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  if (row >= 0) {
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
  }
  NMITEMACTIVATE click{};
  click.hdr = {list, IDC_TRAY_LIST, static_cast<UINT>(NM_CLICK)};
  click.iItem = row;
  ::SendMessageW(page, WM_NOTIFY, IDC_TRAY_LIST, reinterpret_cast<LPARAM>(&click));
}

struct FakeTray : ITraySource {
  std::vector<std::optional<TrayItem>> items;
  int Count() override { return static_cast<int>(items.size()); }
  std::optional<TrayItem> Item(int index) override { return items[index]; }
};

struct NotifyCall {
  DWORD message;
  NOTIFYICONDATAW data;
};

// Tray items per kind, and every Shell_NotifyIconW request the page makes.
struct TrayWorld {
  std::map<TrayKind, std::vector<std::optional<TrayItem>>> items;
  std::vector<NotifyCall> calls;

  SpotlarkDlgOptions Options() {
    auto options = QuietOptions();
    options.trayServices.openTray = [this](TrayKind kind) -> std::unique_ptr<ITraySource> {
      auto found = items.find(kind);
      if (found == items.end()) return nullptr;
      auto tray = std::make_unique<FakeTray>();
      tray->items = found->second;
      return tray;
    };
    options.trayServices.notifyIcon = [this](DWORD message, NOTIFYICONDATAW* data) {
      calls.push_back({message, *data});
      return TRUE;
    };
    return options;
  }
};

TrayItem Icon(HWND window, UINT id, const std::wstring& tip) {
  TrayItem item;
  item.window = window;
  item.id = id;
  item.callbackMessage = WM_APP + id;
  item.tip = tip;
  return item;
}

// Explorer's memory as the reader sees it: blocks at addresses.
struct FakeMemory : IProcessMemory {
  std::map<std::uint64_t, std::vector<unsigned char>> blocks;
  bool Read(std::uint64_t address, std::size_t bytes, std::vector<unsigned char>& into) override {
    auto found = blocks.find(address);
    if (found == blocks.end() || found->second.size() < bytes) return false;
    into.assign(found->second.begin(), found->second.begin() + bytes);
    return true;
  }
};

template <typename T>
void Put(std::vector<unsigned char>& bytes, std::size_t offset, T value) {
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

}  // namespace

TEST(SpotlarkTrayPage, ListsTaskbarWindowsOfOtherProgramsWithTheirProcess) {
  TargetProcess target(L"Spotlark taskbar target", 1000, 300);
  TargetProcess toolWindow(L"Spotlark tool window", 1000, 500, true);
  ASSERT_NE(target.Window(), nullptr);
  ASSERT_NE(toolWindow.Window(), nullptr);
  OpenDialog open(QuietOptions());
  HWND page = open.Tray();
  HWND list = ::GetDlgItem(page, IDC_TRAY_LIST);

  EXPECT_EQ(::SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), 0x173);
  struct Column {
    const wchar_t* title;
    int width;
  } columns[] = {{L"提示信息", 100}, {L"窗口句柄", 100}, {L"PID", 70}, {L"路径", 360}, {L"类型", 100}};
  for (int c = 0; c < 5; ++c) {
    wchar_t title[32] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = title;
    column.cchTextMax = 32;
    ::SendMessageW(list, LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    EXPECT_EQ(std::wstring(title), columns[c].title);
    EXPECT_EQ(column.cx, columns[c].width);
  }
  EXPECT_EQ(ItemText(page, IDC_TRAY_END), L"结束进程");
  EXPECT_EQ(ItemText(page, IDC_TRAY_SHOW), L"显示");
  EXPECT_EQ(ItemText(page, IDC_TRAY_HIDE), L"隐藏");
  EXPECT_EQ(ItemText(page, IDC_TRAY_REFRESH), L"刷新");
  EXPECT_EQ(ItemText(page, IDC_MORE_INFO), L"查看更多信息");
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_MORE_INFO)));

  // Filled at start-up, before the tab is shown.
  const int row = RowOfHandle(list, FormatHandle(target.Window()), L"任务栏");
  ASSERT_GE(row, 0);
  EXPECT_EQ(Cell(list, row, 0), L"Spotlark taskbar target");
  EXPECT_EQ(Cell(list, row, 2), std::to_wstring(target.Pid()));
  EXPECT_TRUE(SameTextIgnoringCase(Cell(list, row, 3), SignedTargetProgram())) << Cell(list, row, 3);
  EXPECT_EQ(RowOfHandle(list, FormatHandle(toolWindow.Window()), L"任务栏"), -1) << "tool windows have no button";
  // One image per row.
  HIMAGELIST images = reinterpret_cast<HIMAGELIST>(::SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(::ImageList_GetImageCount(images), RowCount(list));

  // A window shown after start-up appears on "刷新", with a fresh image list.
  TargetProcess later(L"Spotlark later target", 1000, 700);
  ASSERT_NE(later.Window(), nullptr);
  EXPECT_EQ(RowOfHandle(list, FormatHandle(later.Window()), L"任务栏"), -1);
  Click(page, IDC_TRAY_REFRESH);
  EXPECT_GE(RowOfHandle(list, FormatHandle(later.Window()), L"任务栏"), 0);
  EXPECT_GE(RowOfHandle(list, FormatHandle(open.Main()), L"任务栏"), 0) << "the locator's own window, now shown";
  images = reinterpret_cast<HIMAGELIST>(::SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  EXPECT_EQ(::ImageList_GetImageCount(images), RowCount(list));
}

TEST(SpotlarkTrayPage, TaskbarRuleSkipsHiddenOwnedToolAndUntitledWindows) {
  auto make = [](DWORD exStyle, DWORD style, const wchar_t* title, HWND owner = nullptr) {
    return ::CreateWindowExW(exStyle, L"STATIC", title, style, 10, 10, 100, 60, owner, nullptr, nullptr, nullptr);
  };
  HWND normal = make(0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"taskbar rule normal");
  HWND hidden = make(0, WS_OVERLAPPEDWINDOW, L"taskbar rule hidden");
  HWND tool = make(WS_EX_TOOLWINDOW, WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"taskbar rule tool");
  HWND untitled = make(0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"");
  // An owned pop-up, as a program's dialog is: its owner carries the taskbar button.
  HWND owned = make(0, WS_POPUP | WS_CAPTION | WS_VISIBLE, L"taskbar rule owned", normal);
  HWND minimized = make(0, WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_MINIMIZE, L"taskbar rule minimized");
  struct Case {
    HWND window;
    bool taskbar;
    bool listed;
  } cases[] = {
      {normal, true, true}, {hidden, false, false}, {tool, false, false},
      {untitled, true, false}, {owned, false, false}, {minimized, true, true},
  };
  const std::vector<HWND> listed = ListTaskbarWindows();

  for (const Case& c : cases) {
    EXPECT_EQ(IsTaskbarWindow(c.window), c.taskbar) << WindowText(c.window);
    EXPECT_EQ(std::find(listed.begin(), listed.end(), c.window) != listed.end(), c.listed) << WindowText(c.window);
  }
  for (HWND w : {owned, normal, hidden, tool, untitled, minimized}) ::DestroyWindow(w);
}

TEST(SpotlarkTrayPage, EndOnATaskbarRowEndsTheProgramAndDeletesTheRow) {
  TargetProcess target(L"Spotlark end row target", 1000, 300);
  ASSERT_NE(target.Window(), nullptr);
  OpenDialog open(QuietOptions());
  HWND page = open.Tray();
  HWND list = ::GetDlgItem(page, IDC_TRAY_LIST);
  const std::wstring handle = FormatHandle(target.Window());
  const int row = RowOfHandle(list, handle, L"任务栏");
  ASSERT_GE(row, 0);
  const int rows = RowCount(list);

  ClickRow(page, row);
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, IDC_MORE_INFO)));
  // Hide and show do nothing to a taskbar row.
  Click(page, IDC_TRAY_HIDE);
  Click(page, IDC_TRAY_SHOW);
  EXPECT_FALSE(target.WaitForExit(0));
  EXPECT_EQ(RowCount(list), rows);
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_MORE_INFO)));

  // Clicking empty space keeps the selection for the other buttons.
  ClickRow(page, row);
  ClickRow(page, -1);
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_MORE_INFO)));
  EXPECT_EQ(open.Dialog().TrayPage().SelectedHandle(), handle);

  Click(page, IDC_TRAY_END);
  EXPECT_TRUE(target.WaitForExit());
  EXPECT_EQ(RowCount(list), rows - 1);
  EXPECT_EQ(RowOfHandle(list, handle, L"任务栏"), -1);
  EXPECT_EQ(open.Dialog().TrayPage().SelectedHandle(), L"");
  EXPECT_EQ(open.Dialog().TrayPage().SelectedPid(), L"");
  // A second press has nothing kept to act on.
  Click(page, IDC_TRAY_END);
  EXPECT_EQ(RowCount(list), rows - 1);
}

TEST(SpotlarkTrayPage, TrayIconsAreListedHiddenShownAndEnded) {
  TargetProcess target(L"Spotlark tray target", 1000, 300);
  TargetProcess other(L"Spotlark tray other", 1000, 500);
  ASSERT_NE(target.Window(), nullptr);
  ASSERT_NE(other.Window(), nullptr);
  TrayWorld world;
  world.items[TrayKind::Tray] = {Icon(target.Window(), 1, L"first icon"), std::nullopt,
                                 Icon(target.Window(), 2, L"second icon"), Icon(other.Window(), 7, L"other icon")};
  TrayItem staleIcon = Icon(other.Window(), 9, std::wstring(300, L'长'));
  staleIcon.icon = reinterpret_cast<HICON>(static_cast<ULONG_PTR>(0x0BADF00D));
  world.items[TrayKind::NotificationArea] = {staleIcon};
  OpenDialog open(world.Options());
  HWND page = open.Tray();
  HWND list = ::GetDlgItem(page, IDC_TRAY_LIST);

  // Overflow panel first, then the tray, then the taskbar; the unreadable button is skipped.
  ASSERT_GE(RowCount(list), 4);
  const std::wstring targetHandle = FormatHandle(target.Window());
  const std::wstring otherHandle = FormatHandle(other.Window());
  struct Row {
    std::wstring tip, handle, pid, kind;
  } expected[] = {
      {std::wstring(259, L'长'), otherHandle, std::to_wstring(other.Pid()), L"通知区域"},
      {L"first icon", targetHandle, std::to_wstring(target.Pid()), L"托盘"},
      {L"second icon", targetHandle, std::to_wstring(target.Pid()), L"托盘"},
      {L"other icon", otherHandle, std::to_wstring(other.Pid()), L"托盘"},
  };
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(Cell(list, row, 0), expected[row].tip) << row;
    EXPECT_EQ(Cell(list, row, 1), expected[row].handle) << row;
    EXPECT_EQ(Cell(list, row, 2), expected[row].pid) << row;
    EXPECT_EQ(Cell(list, row, 4), expected[row].kind) << row;
    EXPECT_TRUE(SameTextIgnoringCase(Cell(list, row, 3), SignedTargetProgram())) << row;
  }
  EXPECT_EQ(Cell(list, 4, 4), L"任务栏");
  HIMAGELIST images = reinterpret_cast<HIMAGELIST>(::SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  EXPECT_EQ(::ImageList_GetImageCount(images), RowCount(list)) << "one image per row, a stale icon included";

  // Hide and show act on every icon of the kept window.
  struct ActionCase {
    int button;
    DWORD state;
  } actions[] = {{IDC_TRAY_HIDE, NIS_HIDDEN}, {IDC_TRAY_SHOW, 2}};
  for (const ActionCase& a : actions) {
    world.calls.clear();
    ClickRow(page, 2);
    Click(page, a.button);
    ASSERT_EQ(world.calls.size(), 2u);
    for (int i = 0; i < 2; ++i) {
      const NotifyCall& call = world.calls[i];
      EXPECT_EQ(call.message, static_cast<DWORD>(NIM_MODIFY));
      EXPECT_EQ(call.data.hWnd, target.Window());
      EXPECT_EQ(call.data.uID, static_cast<UINT>(i + 1));
      EXPECT_EQ(call.data.uCallbackMessage, static_cast<UINT>(WM_APP + i + 1));
      EXPECT_EQ(call.data.uFlags, static_cast<UINT>(NIF_STATE));
      EXPECT_EQ(call.data.dwState, a.state);
      EXPECT_EQ(call.data.dwStateMask, static_cast<DWORD>(NIS_HIDDEN));
      EXPECT_EQ(call.data.cbSize, sizeof(void*) == 8 ? 968u : 952u);
    }
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_MORE_INFO)));
  }

  // End: the first icon of the window is removed, the program ended, the clicked row deleted.
  world.calls.clear();
  const int rows = RowCount(list);
  ClickRow(page, 2);
  Click(page, IDC_TRAY_END);
  ASSERT_EQ(world.calls.size(), 1u);
  EXPECT_EQ(world.calls[0].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(world.calls[0].data.uID, 1u);
  EXPECT_TRUE(target.WaitForExit());
  EXPECT_FALSE(other.WaitForExit(0));
  EXPECT_EQ(RowCount(list), rows - 1);
  EXPECT_EQ(Cell(list, 1, 0), L"first icon") << "the program's other rows stay until a refresh";
  EXPECT_EQ(Cell(list, 2, 0), L"other icon");
}

TEST(SpotlarkTrayPage, MoreInformationHandsTheRowsWindowToTheFinderPage) {
  TargetProcess target(L"Spotlark more info target", 1000, 300);
  ASSERT_NE(target.Window(), nullptr);
  OpenDialog open(QuietOptions());
  HWND main = open.Main();
  HWND page = open.Tray();
  HWND list = ::GetDlgItem(page, IDC_TRAY_LIST);
  HWND tab = ::GetDlgItem(main, IDC_TAB);
  ::SendMessageW(tab, TCM_SETCURSEL, 1, 0);
  NMHDR header{tab, IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
  ::SendMessageW(main, WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&header));
  ASSERT_FALSE(::IsWindowVisible(::GetDlgItem(main, IDC_VARNEX)));

  const int row = RowOfHandle(list, FormatHandle(target.Window()), L"任务栏");
  ASSERT_GE(row, 0);
  ClickRow(page, row);
  Click(page, IDC_MORE_INFO);
  EXPECT_EQ(::SendMessageW(tab, TCM_GETCURSEL, 0, 0), 0);
  EXPECT_TRUE(::IsWindowVisible(open.Finder()));
  EXPECT_FALSE(::IsWindowVisible(page));
  EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(main, IDC_VARNEX)));
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_MORE_INFO)));
  EXPECT_EQ(ItemText(open.Finder(), IDC_HANDLE), FormatHandle(target.Window()));
  EXPECT_EQ(ItemText(open.Finder(), IDC_TITLE), L"Spotlark more info target");
  EXPECT_EQ(ItemText(open.Finder(), IDC_PID), std::to_wstring(target.Pid()));
  EXPECT_EQ(ItemText(open.Finder(), IDC_SIGNER), kTargetSigner);
}

TEST(SpotlarkTrayReading, ButtonsAndItemRecordsOfBothExplorerWidths) {
  for (const TrayLayout& layout : {kTrayLayout32, kTrayLayout64}) {
    SCOPED_TRACE(layout.recordBytes);
    const std::uint64_t buttonAddress = 0x10000;
    const std::uint64_t recordAddress = layout.dataWordBytes == 8 ? 0x7FF612345678ull : 0x00612340ull;
    std::vector<unsigned char> button(layout.buttonBytes, 0xCC);
    std::memcpy(button.data() + layout.dataWordOffset, &recordAddress, layout.dataWordBytes);
    std::vector<unsigned char> record(layout.recordBytes, 0);
    // The upper half of a 64-bit handle word is not part of the handle.
    Put<std::uint64_t>(record, layout.windowOffset, layout.dataWordBytes == 8 ? 0xDEAD0000000A0B0Cull : 0x000A0B0C);
    Put<std::uint32_t>(record, layout.idOffset, 42);
    Put<std::uint32_t>(record, layout.callbackOffset, WM_APP + 5);
    Put<std::uint32_t>(record, layout.iconOffset, 0x00C0FFEE);
    const std::wstring tip(kTrayTipChars, L'提');  // fills its field, no terminator
    std::memcpy(record.data() + layout.tipOffset, tip.data(), tip.size() * sizeof(wchar_t));

    FakeMemory memory;
    memory.blocks[buttonAddress] = button;
    memory.blocks[recordAddress] = record;
    const auto item = ReadTrayItem(memory, buttonAddress, layout);
    ASSERT_TRUE(item.has_value());
    EXPECT_EQ(FormatHandle(item->window), L"0x000A0B0C");
    EXPECT_EQ(item->id, 42u);
    EXPECT_EQ(item->callbackMessage, static_cast<UINT>(WM_APP + 5));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(item->icon), 0x00C0FFEEu);
    EXPECT_EQ(item->tip, tip);

    const NOTIFYICONDATAW request = MakeNotifyRequest(*item);
    EXPECT_EQ(request.hWnd, item->window);
    EXPECT_EQ(request.uID, 42u);
    EXPECT_EQ(request.hIcon, item->icon);
    EXPECT_EQ(std::wstring(request.szTip), tip.substr(0, 127));

    // Unreadable or short memory gives no item rather than a partial one.
    FakeMemory noRecord;
    noRecord.blocks[buttonAddress] = button;
    EXPECT_FALSE(ReadTrayItem(noRecord, buttonAddress, layout).has_value());
    FakeMemory shortRecord = memory;
    shortRecord.blocks[recordAddress].resize(layout.recordBytes - 1);
    EXPECT_FALSE(ReadTrayItem(shortRecord, buttonAddress, layout).has_value());
    FakeMemory nullData = memory;
    std::memset(nullData.blocks[buttonAddress].data() + layout.dataWordOffset, 0, layout.dataWordBytes);
    EXPECT_FALSE(ReadTrayItem(nullData, buttonAddress, layout).has_value());
    EXPECT_FALSE(ReadTrayItem(memory, buttonAddress + 4, layout).has_value());
    EXPECT_FALSE(ParseTrayRecord(std::vector<unsigned char>(10), layout).has_value());
    EXPECT_FALSE(TrayButtonDataWord(std::vector<unsigned char>(layout.buttonBytes - 1), layout).has_value());
  }
}

TEST(SpotlarkTrayReading, WineHasNoNotificationAreaToolbarsSoTheTrayKindsFindNothing) {
  for (TrayKind kind : {TrayKind::NotificationArea, TrayKind::Tray}) {
    if (FindTrayToolbar(kind) != nullptr) GTEST_SKIP() << "a real notification area";
    EXPECT_EQ(OpenExplorerTray(kind), nullptr);
  }
  EXPECT_EQ(FindTrayToolbar(TrayKind::Taskbar), nullptr);
}
