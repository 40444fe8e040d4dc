// The locator's main window: tabs, "置顶", the context-menu entries and the "Varnex" button.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "spotlark/resource.h"
#include "spotlark/shell_integration.h"
#include "spotlark/spotlark_messages.h"
#include "spotlark_test_support.h"
#include "test_support.h"

using namespace spotlark;
using namespace spotlark_testing;
using namespace testing_support;

namespace {

struct RegistryText {
  DWORD type = 0;
  std::vector<BYTE> bytes;
};

HKEY OpenClassesRoot() {
  HKEY root = nullptr;
  ::RegOpenKeyExW(HKEY_CLASSES_ROOT, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &root);
  return root;
}

bool KeyExists(const std::wstring& subkey) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, subkey.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
    return false;
  }
  ::RegCloseKey(key);
  return true;
}

std::optional<RegistryText> ReadValue(const std::wstring& subkey, const wchar_t* name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, subkey.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  RegistryText value;
  DWORD size = 0;
  LONG status = ::RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size);
  if (status == ERROR_SUCCESS) {
    value.bytes.resize(size);
    status = ::RegQueryValueExW(key, name, nullptr, &value.type, value.bytes.data(), &size);
    value.bytes.resize(size);
  }
  ::RegCloseKey(key);
  if (status != ERROR_SUCCESS) return std::nullopt;
  return value;
}

std::vector<BYTE> TextBytesWithNull(const std::wstring& text) {
  const auto* begin = reinterpret_cast<const BYTE*>(text.c_str());
  return std::vector<BYTE>(begin, begin + (text.size() + 1) * sizeof(wchar_t));
}

void WriteValue(const std::wstring& subkey, const wchar_t* name, const std::wstring& text) {
  HKEY key = nullptr;
  ::RegCreateKeyExW(HKEY_CLASSES_ROOT, subkey.c_str(), 0, nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY, nullptr, &key,
                    nullptr);
  ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);
}

// The verb keys do not exist in a test prefix; the guard refuses to run over real ones and
// removes whatever a test made.
class ShellMenuKeys {
 public:
  ShellMenuKeys() : existedBefore_(KeyExists(kFileVerbKey) || KeyExists(kFolderVerbKey)) {}
  ~ShellMenuKeys() {
    if (existedBefore_) return;
    HKEY root = OpenClassesRoot();
    ::RegDeleteTreeW(root, kFileVerbKey);
    ::RegDeleteKeyExW(root, kFileVerbKey, KEY_WOW64_64KEY, 0);
    ::RegDeleteTreeW(root, kFolderVerbKey);
    ::RegDeleteKeyExW(root, kFolderVerbKey, KEY_WOW64_64KEY, 0);
    ::RegCloseKey(root);
  }
  bool ExistedBefore() const { return existedBefore_; }

 private:
  bool existedBefore_;
};

bool Ticked(HWND dialog, int id) { return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void SelectTab(HWND main, int index) {
  HWND tab = ::GetDlgItem(main, IDC_TAB);
  ::SendMessageW(tab, TCM_SETCURSEL, index, 0);
  NMHDR header{tab, IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
  ::SendMessageW(main, WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&header));
}

}  // namespace

TEST(SpotlarkShellMenu, TickWritesFourKeysAndUntickDeletesBothVerbs) {
  ShellMenuKeys guard;
  if (guard.ExistedBefore()) GTEST_SKIP() << "context-menu keys exist in this prefix";
  const std::wstring program = L"C:\\Program Files\\安全工具\\spotlark.exe";
  auto options = QuietOptions();
  options.programPath = program;
  OpenDialog open(options);
  EXPECT_FALSE(Ticked(open.Main(), IDC_SHELL_MENU));

  const std::wstring command = L"\"" + program + L"\" \"%1\"";
  const std::wstring icon = program + L",0";
  struct Expected {
    const wchar_t* key;
    const wchar_t* name;
    std::wstring text;
  } expected[] = {
      {L"*\\shell\\Spotlark\\command", nullptr, command},
      {L"*\\shell\\Spotlark", L"icon", icon},
      {L"Directory\\shell\\Spotlark\\command", nullptr, command},
      {L"Directory\\shell\\Spotlark", L"icon", icon},
  };
  for (int round = 0; round < 2; ++round) {  // ticking again re-creates everything
    Click(open.Main(), IDC_SHELL_MENU);
    ASSERT_TRUE(Ticked(open.Main(), IDC_SHELL_MENU));
    for (const auto& e : expected) {
      const auto value = ReadValue(e.key, e.name);
      ASSERT_TRUE(value.has_value()) << e.key;
      EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ)) << e.key;
      EXPECT_EQ(value->bytes, TextBytesWithNull(e.text)) << e.key;
    }
    EXPECT_FALSE(ReadValue(L"*\\shell\\Spotlark", nullptr).has_value()) << "no display text is written";

    Click(open.Main(), IDC_SHELL_MENU);
    EXPECT_FALSE(Ticked(open.Main(), IDC_SHELL_MENU));
    EXPECT_FALSE(KeyExists(L"*\\shell\\Spotlark"));
    EXPECT_FALSE(KeyExists(L"Directory\\shell\\Spotlark"));
  }
  EXPECT_TRUE(KeyExists(L"*\\shell")) << "the parents stay";
}

TEST(SpotlarkShellMenu, StartUpRefreshesOnlyWhenTheFileVerbCommandExists) {
  ShellMenuKeys guard;
  if (guard.ExistedBefore()) GTEST_SKIP() << "context-menu keys exist in this prefix";
  const std::wstring oldCommand = L"\"C:\\Old\\spotlark.exe\" \"%1\"";
  const std::wstring oldIcon = L"C:\\Old\\spotlark.exe,0";
  const std::wstring program = L"C:\\New Place\\spotlark.exe";
  const std::wstring newCommand = L"\"" + program + L"\" \"%1\"";
  const std::wstring newIcon = program + L",0";
  struct Case {
    const char* name;
    bool fileCommand, fileIcon, folderCommand, folderIcon;
    bool ticked;
  } cases[] = {
      {"none", false, false, false, false, false},
      {"folder entry only", false, false, true, true, false},
      {"all four", true, true, true, true, true},
      {"file command only", true, false, false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.fileCommand) WriteValue(kFileVerbCommandKey, nullptr, oldCommand);
    if (c.fileIcon) WriteValue(kFileVerbKey, L"icon", oldIcon);
    if (c.folderCommand) WriteValue(kFolderVerbCommandKey, nullptr, oldCommand);
    if (c.folderIcon) WriteValue(kFolderVerbKey, L"icon", oldIcon);
    {
      auto options = QuietOptions();
      options.programPath = program;
      OpenDialog open(options);
      EXPECT_EQ(Ticked(open.Main(), IDC_SHELL_MENU), c.ticked);
    }
    // A verb key that exists gets its icon rewritten, whether or not it had one.
    const bool folderVerb = c.folderCommand || c.folderIcon;
    auto expect = [&](bool present, bool rewritten, const wchar_t* key, const wchar_t* name,
                      const std::wstring& oldText, const std::wstring& newText) {
      const auto value = ReadValue(key, name);
      if (!present && !rewritten) {
        EXPECT_FALSE(value.has_value()) << key;
        return;
      }
      ASSERT_TRUE(value.has_value()) << key;
      EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ)) << key;
      EXPECT_EQ(value->bytes, TextBytesWithNull(rewritten ? newText : oldText)) << key;
    };
    expect(c.fileCommand, c.fileCommand, kFileVerbCommandKey, nullptr, oldCommand, newCommand);
    expect(c.fileIcon, c.fileCommand, kFileVerbKey, L"icon", oldIcon, newIcon);
    expect(c.folderCommand, c.fileCommand && c.folderCommand, kFolderVerbCommandKey, nullptr, oldCommand, newCommand);
    expect(c.folderIcon, c.fileCommand && folderVerb, kFolderVerbKey, L"icon", oldIcon, newIcon);
    DeleteShellMenuEntries();
  }
}

TEST(SpotlarkMainWindow, TabsTopmostAndTheVarnexButtonFollowThePages) {
  OpenDialog open(QuietOptions());
  HWND main = open.Main();
  EXPECT_EQ(WindowText(main), L"Spotlark");
  EXPECT_EQ(ItemText(main, IDC_TOPMOST), L"置顶");
  EXPECT_EQ(ItemText(main, IDC_SHELL_MENU), L"集成到右键");
  EXPECT_EQ(ItemText(main, IDC_VARNEX), L"Varnex");
  HWND tab = ::GetDlgItem(main, IDC_TAB);
  ASSERT_EQ(::SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 2);
  const wchar_t* captions[] = {L"窗口", L"任务栏及托盘"};
  for (int i = 0; i < 2; ++i) {
    wchar_t caption[32] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption;
    item.cchTextMax = 32;
    ::SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::wstring(caption), captions[i]);
  }
  // Both pages are children of the tab control, below its 22-pixel strip.
  EXPECT_EQ(::GetParent(open.Finder()), tab);
  EXPECT_EQ(::GetParent(open.Tray()), tab);
  RECT page{};
  ::GetWindowRect(open.Finder(), &page);
  ::MapWindowPoints(nullptr, tab, reinterpret_cast<POINT*>(&page), 2);
  EXPECT_EQ(page.top, 22);
  EXPECT_TRUE(::IsWindowVisible(open.Finder()));
  EXPECT_FALSE(::IsWindowVisible(open.Tray()));
  EXPECT_EQ(Shared().mainWindow, main);
  EXPECT_EQ(Shared().finderPage, open.Finder());
  EXPECT_EQ(Shared().handleBox, ::GetDlgItem(open.Finder(), IDC_HANDLE));
  EXPECT_EQ(Shared().pathBox, ::GetDlgItem(open.Finder(), IDC_PATH));

  HWND varnex = ::GetDlgItem(main, IDC_VARNEX);
  SelectTab(main, 1);
  EXPECT_TRUE(::IsWindowVisible(open.Tray()));
  EXPECT_FALSE(::IsWindowVisible(open.Finder()));
  EXPECT_FALSE(::IsWindowVisible(varnex));
  SelectTab(main, 0);
  EXPECT_TRUE(::IsWindowVisible(open.Finder()));
  EXPECT_FALSE(::IsWindowVisible(open.Tray()));
  EXPECT_TRUE(::IsWindowVisible(varnex));

  SelectTab(main, 1);
  ::SendMessageW(main, WM_SHOW_FINDER_PAGE, 0, 0);
  EXPECT_EQ(::SendMessageW(tab, TCM_GETCURSEL, 0, 0), 0);
  EXPECT_TRUE(::IsWindowVisible(open.Finder()));
  EXPECT_FALSE(::IsWindowVisible(open.Tray()));

  Click(main, IDC_TOPMOST);
  EXPECT_TRUE(::GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_TOPMOST);
  Click(main, IDC_TOPMOST);
  EXPECT_FALSE(::GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST(SpotlarkMainWindow, VarnexButtonStartsVarnexOfTheSameFolderOrSaysWhereToRunFrom) {
  TempFolder folder(L"spotvx");
  struct Case {
    const char* name;
    bool varnexPresent;
    std::wstring path;
    std::wstring parameters;  // "" when varnex must not start
    std::wstring message;
  } cases[] = {
      {"with varnex", true, L"c:\\tools\\ad popup.exe", L"\"c:\\tools\\ad popup.exe\"", L""},
      {"empty path", true, L"", L"\"\"", L""},
      {"without varnex", false, L"c:\\x.exe", L"", L"请在Varnex目录里打开本程序"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.varnexPresent) WriteBytes(folder.File(L"varnex.exe"), {'M', 'Z'});
    std::vector<std::pair<std::wstring, std::wstring>> starts;
    std::vector<std::wstring> messages;
    auto options = QuietOptions();
    options.programPath = folder.File(L"spotlark.exe");
    options.startVarnex = [&](const std::wstring& f, const std::wstring& p) { starts.emplace_back(f, p); };
    options.showMessage = [&](const std::wstring& m) { messages.push_back(m); };
    OpenDialog open(options);
    SetItemText(open.Finder(), IDC_PATH, c.path);
    Click(open.Main(), IDC_VARNEX);
    if (c.parameters.empty()) {
      EXPECT_TRUE(starts.empty());
      EXPECT_EQ(messages, std::vector<std::wstring>{c.message});
    } else {
      ASSERT_EQ(starts.size(), 1u);
      EXPECT_EQ(starts[0].first, folder.Path());
      EXPECT_EQ(starts[0].second, c.parameters);
      EXPECT_TRUE(messages.empty());
    }
    ::DeleteFileW(folder.File(L"varnex.exe").c_str());
  }
}

TEST(SpotlarkMainWindow, CommandLinePathIsShownLowerCasedWithItsDetails) {
  TempFolder folder(L"SpotCmd");
  const std::wstring program = folder.File(L"Ad Popup.EXE");
  ASSERT_TRUE(::CopyFileW(SignedTargetProgram().c_str(), program.c_str(), FALSE));
  std::wstring lower = program;
  ::CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
  struct Case {
    std::wstring commandLine;
    std::wstring shownPath;
    std::wstring description;
  } cases[] = {
      {L"\"" + program + L"\"", lower, L"Popup target"},
      {program, lower, L"Popup target"},
      {L"\"" + folder.Path() + L"\"", folder.Path(), L""},
      {L"\"C:\\Missing\\NoSuch.exe\"", L"c:\\missing\\nosuch.exe", L""},
      {L"", L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.commandLine));
    auto options = QuietOptions();
    options.commandLine = c.commandLine;
    OpenDialog open(options);
    std::wstring expectedPath = c.shownPath;
    ::CharLowerBuffW(expectedPath.data(), static_cast<DWORD>(expectedPath.size()));
    EXPECT_EQ(ItemText(open.Finder(), IDC_PATH), expectedPath);
    EXPECT_EQ(ItemText(open.Finder(), IDC_DESCRIPTION), c.description);
    EXPECT_EQ(ItemText(open.Finder(), IDC_SIGNER), c.description.empty() ? L"" : kTargetSigner);
    EXPECT_EQ(ItemText(open.Finder(), IDC_PID), L"");
  }
}

TEST(SpotlarkMainWindow, EveryControlIdTheCodeUsesExistsOnceInItsDialog) {
  OpenDialog open(QuietOptions());
  struct Page {
    HWND window;
    std::vector<int> ids;
  } pages[] = {
      {open.Main(), {IDC_TAB, IDC_TOPMOST, IDC_SHELL_MENU, IDC_VARNEX}},
      {open.Finder(),
       {IDC_PATH, IDC_HANDLE, IDC_TITLE, IDC_PID, IDC_COMMAND_LINE, IDC_DESCRIPTION, IDC_PRODUCT, IDC_COPYRIGHT,
        IDC_COMPANY, IDC_SIGNER, IDC_FINDER_TOOL, IDC_BROWSE, IDC_FIND, IDC_PROPERTIES, IDC_END_PROCESS,
        IDC_OPEN_LOCATION}},
      {open.Tray(), {IDC_TRAY_LIST, IDC_TRAY_END, IDC_TRAY_SHOW, IDC_TRAY_HIDE, IDC_TRAY_REFRESH, IDC_MORE_INFO}},
  };
  for (const Page& page : pages) {
    std::vector<int> found;
    for (HWND child = ::GetWindow(page.window, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
      found.push_back(::GetDlgCtrlID(child));
    }
    for (int id : page.ids) EXPECT_EQ(std::count(found.begin(), found.end(), id), 1) << id;
  }
  // The finder tool lets clicks through to its page, which starts the drag.
  EXPECT_FALSE(::GetWindowLongW(::GetDlgItem(open.Finder(), IDC_FINDER_TOOL), GWL_STYLE) & SS_NOTIFY);
  EXPECT_TRUE(::GetWindowLongW(open.Finder(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}
