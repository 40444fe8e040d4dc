// The finder page on windows of another process: lookup by handle, the drag tool, dropped files
// and shortcuts, and ending the process.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shellapi.h>
#include <wrl/client.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "spotlark/handle_text.h"
#include "spotlark/resource.h"
#include "spotlark/spotlark_messages.h"
#include "spotlark_test_support.h"
#include "test_support.h"

using namespace spotlark;
using namespace spotlark_testing;
using namespace testing_support;

namespace {

constexpr int kDetailIds[] = {IDC_PATH, IDC_PID, IDC_COMMAND_LINE, IDC_DESCRIPTION, IDC_PRODUCT,
                              IDC_COPYRIGHT, IDC_COMPANY, IDC_SIGNER};

std::wstring Hex(HWND window, const wchar_t* format) {
  wchar_t buffer[32] = {};
  std::swprintf(buffer, 32, format, static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(window)));
  return buffer;
}

// The details the finder shows for the test's window-owning program.
void ExpectTargetDetails(HWND finder, const TargetProcess& target) {
  EXPECT_EQ(ItemText(finder, IDC_PID), std::to_wstring(target.Pid()));
  EXPECT_TRUE(SameTextIgnoringCase(ItemText(finder, IDC_PATH), SignedTargetProgram())) << ItemText(finder, IDC_PATH);
  EXPECT_EQ(ItemText(finder, IDC_COMMAND_LINE), target.CommandLine());
  EXPECT_EQ(ItemText(finder, IDC_DESCRIPTION), L"Popup target");
  EXPECT_EQ(ItemText(finder, IDC_PRODUCT), L"Popup Suite");
  EXPECT_EQ(ItemText(finder, IDC_COPYRIGHT), L"© 2026 Popup Co");
  EXPECT_EQ(ItemText(finder, IDC_COMPANY), L"弹窗测试公司");
  EXPECT_EQ(ItemText(finder, IDC_SIGNER), kTargetSigner);
}

void ExpectDetailsEmpty(HWND finder) {
  for (int id : kDetailIds) EXPECT_EQ(ItemText(finder, id), L"") << id;
}

// An HDROP as Explorer hands it over: DROPFILES followed by the double-null-terminated list.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const auto& p : paths) list += p + L'\0';
  list += L'\0';
  const SIZE_T bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(reinterpret_cast<BYTE*>(drop) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
  ::GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

bool MakeShortcut(const std::wstring& link, const std::wstring& target, const std::wstring& workingFolder) {
  using Microsoft::WRL::ComPtr;
  ComPtr<IShellLinkW> shellLink;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shellLink)))) {
    return false;
  }
  shellLink->SetPath(target.c_str());
  if (!workingFolder.empty()) shellLink->SetWorkingDirectory(workingFolder.c_str());
  ComPtr<IPersistFile> file;
  return SUCCEEDED(shellLink.As(&file)) && SUCCEEDED(file->Save(link.c_str(), TRUE));
}

class FinderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ::CoInitialize(nullptr); }
  static void TearDownTestSuite() { ::CoUninitialize(); }
};

}  // namespace

TEST_F(FinderTest, LookupByHandleInEveryTypedFormShowsTheWindowsProgram) {
  TargetProcess target(L"Spotlark lookup target", 1000, 60);
  ASSERT_NE(target.Window(), nullptr);
  OpenDialog open(QuietOptions());
  HWND finder = open.Finder();
  struct Case {
    HWND window;
    const wchar_t* format;
    std::wstring title;
  } cases[] = {
      {target.Window(), L"%X", L"Spotlark lookup target"},     {target.Window(), L"0x%x", L"Spotlark lookup target"},
      {target.Window(), L"0x%08X", L"Spotlark lookup target"}, {target.Window(), L"000%X", L"Spotlark lookup target"},
      {target.Window(), L" 0X%X ", L"Spotlark lookup target"}, {target.Button(), L"%x", L"Target button"},
  };
  for (const Case& c : cases) {
    const std::wstring typed = Hex(c.window, c.format);
    SCOPED_TRACE(testing::PrintToString(std::wstring(typed)));
    SetItemText(finder, IDC_HANDLE, typed);
    Click(finder, IDC_FIND);
    EXPECT_EQ(ItemText(finder, IDC_HANDLE), Hex(c.window, L"0x%08X"));
    EXPECT_EQ(ItemText(finder, IDC_TITLE), c.title);
    EXPECT_EQ(open.Dialog().FinderPage().Target(), c.window);
    ExpectTargetDetails(finder, target);
    SetItemText(finder, IDC_PID, L"");  // each lookup must fill it again
  }
  // The tray page's request reaches the same lookup.
  SetItemText(finder, IDC_HANDLE, Hex(target.Window(), L"%X"));
  ::SendMessageW(finder, WM_FIND_BY_HANDLE, 0, 0);
  ExpectTargetDetails(finder, target);
}

TEST_F(FinderTest, HandleTextsWithoutAWindowChangeNothingOrClearTheDetails) {
  TargetProcess target(L"Spotlark bad handle target", 1000, 60);
  ASSERT_NE(target.Window(), nullptr);
  OpenDialog open(QuietOptions());
  HWND finder = open.Finder();
  const std::wstring valid = Hex(target.Window(), L"0x%08X");
  // Texts that are not a handle: nothing happens, the shown window stays.
  for (const wchar_t* typed : {L"", L"0x", L"zz", L"12zz", L"0", L"0x0000", L"-5", L"1FFFFFFFF", L"0x 12"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(typed)));
    SetItemText(finder, IDC_HANDLE, valid);
    Click(finder, IDC_FIND);
    SetItemText(finder, IDC_HANDLE, typed);
    Click(finder, IDC_FIND);
    EXPECT_EQ(ItemText(finder, IDC_HANDLE), typed);
    EXPECT_EQ(open.Dialog().FinderPage().Target(), target.Window());
    EXPECT_EQ(ItemText(finder, IDC_PID), std::to_wstring(target.Pid()));
  }
  // A number that names no window: rewritten, details cleared, the title kept.
  HWND gone = ::CreateWindowExW(0, L"STATIC", L"gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ::DestroyWindow(gone);
  SetItemText(finder, IDC_HANDLE, valid);
  Click(finder, IDC_FIND);
  SetItemText(finder, IDC_HANDLE, Hex(gone, L"%x"));
  Click(finder, IDC_FIND);
  EXPECT_EQ(ItemText(finder, IDC_HANDLE), Hex(gone, L"0x%08X"));
  EXPECT_EQ(ItemText(finder, IDC_TITLE), L"Spotlark bad handle target");
  EXPECT_EQ(open.Dialog().FinderPage().Target(), nullptr);
  ExpectDetailsEmpty(finder);
}

TEST_F(FinderTest, MissingFileGivesEmptyFieldsAndAnExistingOneItsDetails) {
  OpenDialog open(QuietOptions());
  HWND finder = open.Finder();
  struct Case {
    std::wstring path;
    std::wstring description;
    std::wstring signer;
  } cases[] = {
      {L"C:\\NoSuchFolder\\NoSuchFile.exe", L"", L""},
      {L"C:\\windows\\NoSuchFile.exe", L"", L""},
      {SignedTargetProgram(), L"Popup target", kTargetSigner},
      {L"", L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.path));
    SetItemText(finder, IDC_HANDLE, L"0x12345678");
    SetItemText(finder, IDC_TITLE, L"old title");
    SetItemText(finder, IDC_PATH, c.path);
    ::SendMessageW(finder, WM_FILL_FROM_PATH, 0, 0);
    EXPECT_EQ(ItemText(finder, IDC_PATH), c.path);
    EXPECT_EQ(ItemText(finder, IDC_HANDLE), L"");
    EXPECT_EQ(ItemText(finder, IDC_TITLE), L"");
    EXPECT_EQ(ItemText(finder, IDC_DESCRIPTION), c.description);
    EXPECT_EQ(ItemText(finder, IDC_SIGNER), c.signer);
    if (c.description.empty()) {
      for (int id : {IDC_PRODUCT, IDC_COPYRIGHT, IDC_COMPANY, IDC_PID, IDC_COMMAND_LINE}) {
        EXPECT_EQ(ItemText(finder, id), L"") << id;
      }
    }
  }
}

TEST_F(FinderTest, EndProcessHidesClosesAndEndsTheShownProgram) {
  TargetProcess target(L"Spotlark end target", 1000, 60);
  ASSERT_NE(target.Window(), nullptr);
  OpenDialog open(QuietOptions());
  HWND finder = open.Finder();
  SetItemText(finder, IDC_HANDLE, Hex(target.Window(), L"%X"));
  Click(finder, IDC_FIND);
  ASSERT_EQ(ItemText(finder, IDC_PID), std::to_wstring(target.Pid()));
  Click(finder, IDC_END_PROCESS);
  EXPECT_TRUE(target.WaitForExit());
  EXPECT_EQ(ItemText(finder, IDC_PID), std::to_wstring(target.Pid())) << "the boxes keep their contents";
}

TEST_F(FinderTest, EndProcessWithASpecialHandleTextClosesNoOtherWindow) {
  // 0xFFFF is HWND_BROADCAST: posting WM_CLOSE there would close every top-level window.
  HWND bystander =
      ::CreateWindowExW(0, L"STATIC", L"bystander", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20, nullptr, nullptr, nullptr, nullptr);
  static bool closeSeen = false;
  closeSeen = false;
  auto original = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
      bystander, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_CLOSE) closeSeen = true;
        return ::DefWindowProcW(w, m, wp, lp);
      })));
  (void)original;
  OpenDialog open(QuietOptions());
  HWND finder = open.Finder();
  for (const wchar_t* typed : {L"0xFFFF", L"FFFF"}) {
    SetItemText(finder, IDC_HANDLE, typed);
    SetItemText(finder, IDC_PID, L"");
    Click(finder, IDC_END_PROCESS);
    PumpFor(50);
    EXPECT_FALSE(closeSeen) << typed;
    EXPECT_TRUE(::IsWindowVisible(open.Main()));
  }
  ::DestroyWindow(bystander);
}

TEST_F(FinderTest, DroppedFilesFoldersAndShortcuts) {
  TempFolder folder(L"spotdrop");
  const std::wstring program = folder.File(L"Popup Program Long Name.exe");
  ASSERT_TRUE(::CopyFileW(SignedTargetProgram().c_str(), program.c_str(), FALSE));
  const std::wstring workFolder = folder.File(L"work");
  ::CreateDirectoryW(workFolder.c_str(), nullptr);
  const std::wstring plainFolder = folder.File(L"plain");
  ::CreateDirectoryW(plainFolder.c_str(), nullptr);
  const std::wstring hiddenFolder = folder.File(L"hidden");
  ::CreateDirectoryW(hiddenFolder.c_str(), nullptr);
  ::SetFileAttributesW(hiddenFolder.c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
  const std::wstring linkWithFolder = folder.File(L"with folder.lnk");
  const std::wstring linkWithoutFolder = folder.File(L"WITHOUT FOLDER.LNK");
  ASSERT_TRUE(MakeShortcut(linkWithFolder, program, workFolder));
  ASSERT_TRUE(MakeShortcut(linkWithoutFolder, program, L""));
  const std::wstring lnkInName = folder.File(L"x.lnkdir");
  ::CreateDirectoryW(lnkInName.c_str(), nullptr);
  const std::wstring fileInLnkFolder = lnkInName + L"\\a.exe";
  ASSERT_TRUE(::CopyFileW(SignedTargetProgram().c_str(), fileInLnkFolder.c_str(), FALSE));

  OpenDialog open(QuietOptions());
  HWND finder = open.Finder();
  struct Case {
    const char* name;
    std::vector<std::wstring> dropped;
    std::wstring shown;  // "" when the drop is ignored
    std::wstring description;
  } cases[] = {
      {"file", {program}, program, L"Popup target"},
      {"first of several", {fileInLnkFolder, program}, fileInLnkFolder, L"Popup target"},
      {"shortcut with working folder", {linkWithFolder}, workFolder + L"\\Popup Program Long Name.exe", L""},
      {"shortcut without working folder", {linkWithoutFolder}, program, L"Popup target"},
      {"folder with more attribute bits", {hiddenFolder}, hiddenFolder, L""},
      {"plain folder", {plainFolder}, L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetItemText(finder, IDC_PATH, L"unchanged");
    SetItemText(finder, IDC_HANDLE, L"0x00001234");
    ::SendMessageW(finder, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(c.dropped)), 0);
    if (c.shown.empty()) {
      EXPECT_EQ(ItemText(finder, IDC_PATH), L"unchanged");
      EXPECT_EQ(ItemText(finder, IDC_HANDLE), L"0x00001234");
      continue;
    }
    EXPECT_TRUE(SameTextIgnoringCase(ItemText(finder, IDC_PATH), c.shown)) << ItemText(finder, IDC_PATH);
    EXPECT_EQ(ItemText(finder, IDC_HANDLE), L"");
    EXPECT_EQ(open.Dialog().FinderPage().Target(), nullptr);
    EXPECT_EQ(ItemText(finder, IDC_DESCRIPTION), c.description);
    EXPECT_EQ(ItemText(finder, IDC_SIGNER), c.description.empty() ? L"" : kTargetSigner);
  }
}

TEST_F(FinderTest, BrowsePropertiesAndOpenLocationHandThePathToTheShell) {
  std::vector<std::wstring> folders, properties, locations;
  std::wstring chosen;
  auto options = QuietOptions();
  options.finderShell.chooseFile = [&](const std::wstring& folder) {
    folders.push_back(folder);
    return chosen;
  };
  options.finderShell.showProperties = [&](const std::wstring& path) { properties.push_back(path); };
  options.finderShell.openLocation = [&](const std::wstring& path) { locations.push_back(path); };
  OpenDialog open(options);
  HWND finder = open.Finder();

  // The dialog starts in the path's folder, or in "C:\Program Files" without one.
  struct BrowseCase {
    std::wstring path, folder, chosen, shown;
  } browses[] = {
      {L"", L"C:\\Program Files", L"", L""},
      {L"noslash.exe", L"C:\\Program Files", L"", L"noslash.exe"},
      {L"\\top.exe", L"C:\\Program Files", L"", L"\\top.exe"},
      {L"C:\\Apps\\x.exe", L"C:\\Apps", L"", L"C:\\Apps\\x.exe"},
      {L"C:\\Apps\\x.exe", L"C:\\Apps", SignedTargetProgram(), SignedTargetProgram()},
  };
  for (const BrowseCase& b : browses) {
    SCOPED_TRACE(testing::PrintToString(b.path));
    folders.clear();
    chosen = b.chosen;
    SetItemText(finder, IDC_PATH, b.path);
    Click(finder, IDC_BROWSE);
    EXPECT_EQ(folders, std::vector<std::wstring>{b.folder});
    EXPECT_EQ(ItemText(finder, IDC_PATH), b.shown);
    EXPECT_EQ(ItemText(finder, IDC_DESCRIPTION), b.chosen.empty() ? L"" : L"Popup target");
  }

  // Properties only for something that exists; the location in every case.
  for (const std::wstring& path : {std::wstring(L"C:\\NoSuch\\x.exe"), std::wstring(L""), SignedTargetProgram(),
                                  std::wstring(L"C:\\windows")}) {
    properties.clear();
    locations.clear();
    SetItemText(finder, IDC_PATH, path);
    Click(finder, IDC_PROPERTIES);
    Click(finder, IDC_OPEN_LOCATION);
    const bool exists = !path.empty() && ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    EXPECT_EQ(properties, exists ? std::vector<std::wstring>{path} : std::vector<std::wstring>{}) << path;
    EXPECT_EQ(locations, std::vector<std::wstring>{path});
  }

  // A file dropped beside the pages reaches the finder page.
  ::SendMessageW(open.Main(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({SignedTargetProgram()})), 0);
  EXPECT_EQ(ItemText(finder, IDC_PATH), SignedTargetProgram());
  EXPECT_EQ(ItemText(finder, IDC_SIGNER), kTargetSigner);
}

TEST_F(FinderTest, DraggingTheToolFramesAndIdentifiesTheWindowUnderThePointer) {
  TargetProcess target(L"Spotlark drag target", 1000, 60);
  ASSERT_NE(target.Window(), nullptr);
  OpenDialog open(QuietOptions());
  HWND finder = open.Finder();
  HWND tool = ::GetDlgItem(finder, IDC_FINDER_TOOL);
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  HICON idle = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_FINDER_FULL));
  HICON dragging = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_FINDER_EMPTY));
  HCURSOR crossHair = ::LoadCursorW(instance, MAKEINTRESOURCEW(IDC_FINDER_CURSOR));
  ASSERT_NE(crossHair, nullptr);
  ICONINFO cursorInfo{};
  ASSERT_TRUE(::GetIconInfo(crossHair, &cursorInfo));
  EXPECT_EQ(cursorInfo.xHotspot, 0u);
  EXPECT_EQ(cursorInfo.yHotspot, 0u);
  if (cursorInfo.hbmMask) ::DeleteObject(cursorInfo.hbmMask);
  if (cursorInfo.hbmColor) ::DeleteObject(cursorInfo.hbmColor);
  ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
  const HCURSOR before = ::GetCursor();
  EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(tool, STM_GETICON, 0, 0)), idle);

  auto pageClientPoint = [&](HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ::ScreenToClient(finder, &point);
    return MAKELPARAM(static_cast<short>(point.x), static_cast<short>(point.y));
  };
  ::SendMessageW(finder, WM_LBUTTONDOWN, MK_LBUTTON, pageClientPoint(tool));
  EXPECT_TRUE(open.Dialog().FinderPage().Tool().Dragging());
  EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(tool, STM_GETICON, 0, 0)), dragging);
  EXPECT_EQ(::GetCapture(), finder);
  EXPECT_EQ(::GetCursor(), crossHair);

  // Over the locator itself: nothing is framed or shown.
  ::SendMessageW(finder, WM_MOUSEMOVE, MK_LBUTTON, pageClientPoint(::GetDlgItem(finder, IDC_PATH)));
  EXPECT_EQ(open.Dialog().FinderPage().Tool().Framed(), nullptr);
  EXPECT_EQ(ItemText(finder, IDC_HANDLE), L"");

  // Over the other program's button, then its window.
  ::SendMessageW(finder, WM_MOUSEMOVE, MK_LBUTTON, pageClientPoint(target.Button()));
  EXPECT_EQ(open.Dialog().FinderPage().Tool().Framed(), target.Button());
  EXPECT_EQ(ItemText(finder, IDC_HANDLE), Hex(target.Button(), L"0x%08X"));
  EXPECT_EQ(ItemText(finder, IDC_TITLE), L"Target button");
  EXPECT_EQ(ItemText(finder, IDC_PID), L"") << "details wait for the release";

  ::SendMessageW(finder, WM_LBUTTONUP, 0, pageClientPoint(target.Button()));
  EXPECT_FALSE(open.Dialog().FinderPage().Tool().Dragging());
  EXPECT_EQ(open.Dialog().FinderPage().Tool().Framed(), nullptr);
  EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(tool, STM_GETICON, 0, 0)), idle);
  EXPECT_NE(::GetCapture(), finder);
  EXPECT_EQ(::GetCursor(), before);
  EXPECT_EQ(open.Dialog().FinderPage().Target(), target.Button());
  ExpectTargetDetails(finder, target);

  // A button-down elsewhere on the page does not start a drag.
  ::SendMessageW(finder, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  EXPECT_FALSE(open.Dialog().FinderPage().Tool().Dragging());

  // Losing the capture mid-drag (another program took it) ends the drag without a result.
  ::SendMessageW(finder, WM_LBUTTONDOWN, MK_LBUTTON, pageClientPoint(tool));
  RECT targetRect{};
  ::GetWindowRect(target.Window(), &targetRect);
  POINT besideButton{targetRect.right - 20, targetRect.bottom - 15};  // the window's own client area
  ::ScreenToClient(finder, &besideButton);
  ::SendMessageW(finder, WM_MOUSEMOVE, MK_LBUTTON,
                 MAKELPARAM(static_cast<short>(besideButton.x), static_cast<short>(besideButton.y)));
  EXPECT_EQ(open.Dialog().FinderPage().Tool().Framed(), target.Window());
  ::ReleaseCapture();
  EXPECT_FALSE(open.Dialog().FinderPage().Tool().Dragging());
  EXPECT_EQ(open.Dialog().FinderPage().Tool().Framed(), nullptr);
  EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(tool, STM_GETICON, 0, 0)), idle);
  EXPECT_EQ(ItemText(finder, IDC_PID), L"");

  // Released over the locator's own window: its own process's details.
  ::SendMessageW(finder, WM_LBUTTONDOWN, MK_LBUTTON, pageClientPoint(tool));
  EXPECT_EQ(ItemText(finder, IDC_PID), L"") << "a new drag clears the details";
  ::SendMessageW(finder, WM_LBUTTONUP, 0, pageClientPoint(::GetDlgItem(finder, IDC_PATH)));
  EXPECT_EQ(ItemText(finder, IDC_PID), std::to_wstring(::GetCurrentProcessId()));
}

TEST(SpotlarkHandleText, ParsesHexadecimalHandlesAndRejectsEverythingElse) {
  struct Case {
    const wchar_t* text;
    std::uint32_t value;
  } cases[] = {
      {L"1A2B", 0x1A2B},       {L"0x1a2b", 0x1A2B},     {L"0X00001A2B", 0x1A2B}, {L"00000000001a2b", 0x1A2B},
      {L" 0x10 ", 0x10},       {L"FFFFFFFF", 0xFFFFFFFF}, {L"", 0},               {L"0x", 0},
      {L"xyz", 0},             {L"12zz", 0},            {L"100000000", 0},       {L"-1", 0},
      {L"0x-1", 0},            {L"１２", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseHandleText(c.text), c.value) << testing::PrintToString(std::wstring(c.text));
  EXPECT_EQ(FormatHandle(HandleFromValue(0x1A2B)), L"0x00001A2B");
  EXPECT_EQ(FormatHandle(HandleFromValue(0xFFFFFFFE)), L"0xFFFFFFFE");
}
