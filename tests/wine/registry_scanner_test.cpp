// The Run key, screen saver and Explorer add-on scanners over keys the tests create, seen through
// a recording consumer before any rule could filter them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "registry_scanner_fixtures.h"
#include "varnex/scanners/explorer_addons.h"
#include "varnex/scanners/startup_entries.h"

using namespace varnex;
using namespace varnex::scanners;
using namespace registry_test;

namespace {

const std::wstring kRun64 = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kRun32 = L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kUserRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

const std::wstring kToolClass = L"{7B2D0001-0000-4000-8000-0000000000B1}";
const std::wstring kHelperClass = L"{7B2D0001-0000-4000-8000-0000000000B2}";
const std::wstring kNoServerClass = L"{7B2D0001-0000-4000-8000-0000000000B3}";

struct Recorder {
  std::vector<Finding> findings;
  FindingConsumer Consumer() {
    return [this](Finding f) { findings.push_back(std::move(f)); };
  }
};

// Two classes with servers: the tool in the 64-bit view, the helper in the 32-bit view only.
struct RegisteredClasses {
  CreatedKey tool{HKEY_CLASSES_ROOT, L"CLSID\\" + kToolClass + L"\\InprocServer32"};
  CreatedKey helper{HKEY_CLASSES_ROOT, L"Wow6432Node\\CLSID\\" + kHelperClass + L"\\InprocServer32"};
  RegisteredClasses() {
    tool.SetString(L"", L"\"C:\\VxTools\\Tool.DLL\"");
    helper.SetString(L"", L"C:\\VxTools\\Helper.dll");
  }
};

}  // namespace

TEST(StartupEntriesWine, RunValuesOfBothViewsAndBothRoots) {
  const std::wstring command = L"\"C:\\Program Files\\Vendor\\upd.exe\" /background";
  const ScopedValue machine64(HKEY_LOCAL_MACHINE, kRun64, L"VxTestUpdater", REG_SZ, Utf16Bytes(command));
  const ScopedValue machine32(HKEY_LOCAL_MACHINE, kRun32, L"VxTestUpdater", REG_SZ, Utf16Bytes(command));
  const ScopedValue empty(HKEY_CURRENT_USER, kUserRun, L"VxTestEmpty", REG_SZ, Utf16Bytes(L""));
  // "BA" in the bytes of a number: a REG_DWORD is read as the text its bytes spell.
  const ScopedValue number(HKEY_CURRENT_USER, kUserRun, L"VxTestNumber", REG_DWORD, DwordBytes(0x00410042));
  const ScopedValue expandable(HKEY_CURRENT_USER, kUserRun, L"VxTestExpand", REG_EXPAND_SZ,
                               Utf16Bytes(L"%SystemRoot%\\VxTool.exe -q"));
  // Longer than the 522-byte buffer: not read, so no Finding.
  const ScopedValue tooLong(HKEY_CURRENT_USER, kUserRun, L"VxTestTooLong", REG_SZ,
                            Utf16Bytes(L"C:\\" + std::wstring(300, L'a') + L".exe"));
  // A value name longer than 260 characters neither ends the walk nor hides.
  const std::wstring longName = L"VxTestLong" + std::wstring(300, L'n');
  const ScopedValue longNamed(HKEY_CURRENT_USER, kUserRun, longName, REG_SZ, Utf16Bytes(L"C:\\Vx\\long.exe"));

  RecordingWindow window;
  Recorder recorder;
  ScanStartupEntries(window, MarkIdentity, recorder.Consumer());
  EXPECT_EQ(window.statusTexts, std::vector<std::wstring>{L"正在扫描启动项..."});

  wchar_t systemRoot[MAX_PATH] = {};
  ::ExpandEnvironmentStringsW(L"%SystemRoot%", systemRoot, MAX_PATH);
  auto expected = [](const std::wstring& name, const std::wstring& bin, const std::wstring& file,
                     const std::wstring& key) {
    Finding f;
    f.Name = name;
    f.FilePath = file;
    f.Company = L"signer:" + file;
    f.FileDescription = kMarkedDescription + file;
    f.ProductName = L"product:" + file;
    f.Type = L"Run";
    f.BinPath = bin;
    f.StartPath = key;
    f.Descrip = kMarkedDescription + file;
    return f;
  };
  const std::vector<Finding> want = {
      expected(L"VxTestUpdater", command, L"c:\\program files\\vendor\\upd.exe",
               L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"),
      expected(L"VxTestUpdater", command, L"c:\\program files\\vendor\\upd.exe",
               L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run"),
      expected(L"VxTestNumber", L"BA", L"BA", L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
      expected(L"VxTestExpand", L"%SystemRoot%\\VxTool.exe -q", std::wstring(systemRoot) + L"\\vxtool.exe",
               L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
      expected(longName, L"C:\\Vx\\long.exe", L"c:\\vx\\long.exe",
               L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
  };
  auto got = Named(recorder.findings, L"VxTest");
  // Values of one key come in the registry's order; compare as sets per name and key.
  auto key = [](const Finding& f) { return f.StartPath + L"|" + f.Name; };
  std::sort(got.begin(), got.end(), [&](auto& a, auto& b) { return key(a) < key(b); });
  auto sortedWant = want;
  std::sort(sortedWant.begin(), sortedWant.end(), [&](auto& a, auto& b) { return key(a) < key(b); });
  EXPECT_EQ(got, sortedWant);
  // The machine keys come before the user's, the 64-bit view before the 32-bit one.
  const auto mine = Named(recorder.findings, L"VxTestUpdater");
  ASSERT_EQ(mine.size(), 2u);
  EXPECT_EQ(mine[0].StartPath.find(L"Wow6432Node"), std::wstring::npos);
}

TEST(StartupEntriesWine, ScreenSaver) {
  const std::wstring desktop = L"Control Panel\\Desktop";
  {
    // No value at all (any value of the prefix is put back afterwards).
    CreatedKey key(HKEY_CURRENT_USER, desktop);
    std::vector<BYTE> saved(600);
    DWORD size = static_cast<DWORD>(saved.size()), type = 0;
    const bool had = ::RegQueryValueExW(key.Get(), L"SCRNSAVE.EXE", nullptr, &type, saved.data(), &size) == ERROR_SUCCESS;
    ::RegDeleteValueW(key.Get(), L"SCRNSAVE.EXE");
    RecordingWindow window;
    Recorder recorder;
    ScanScreenSaver(window, MarkIdentity, recorder.Consumer());
    EXPECT_TRUE(recorder.findings.empty());
    EXPECT_EQ(window.statusTexts, std::vector<std::wstring>{L"正在扫描屏保程序..."});
    if (had) ::RegSetValueExW(key.Get(), L"SCRNSAVE.EXE", 0, type, saved.data(), size);
  }
  {
    const ScopedValue value(HKEY_CURRENT_USER, desktop, L"SCRNSAVE.EXE", REG_SZ, Utf16Bytes(L""));
    RecordingWindow window;
    Recorder recorder;
    ScanScreenSaver(window, MarkIdentity, recorder.Consumer());
    EXPECT_TRUE(recorder.findings.empty());
  }
  {
    const std::wstring saver = L"C:\\Windows\\system32\\Mystify.scr";
    const ScopedValue value(HKEY_CURRENT_USER, desktop, L"SCRNSAVE.EXE", REG_SZ, Utf16Bytes(saver));
    RecordingWindow window;
    Recorder recorder;
    ScanScreenSaver(window, MarkIdentity, recorder.Consumer());
    ASSERT_EQ(recorder.findings.size(), 1u);
    const Finding& f = recorder.findings[0];
    EXPECT_EQ(f.Name, L"SCRNSAVE.EXE");
    EXPECT_EQ(f.FilePath, saver);
    EXPECT_EQ(f.BinPath, saver);
    EXPECT_EQ(f.StartPath, L"HKEY_CURRENT_USER\\Control Panel\\Desktop");
    EXPECT_EQ(f.Type, L"屏幕保护程序");
    EXPECT_EQ(f.FileDescription, kMarkedDescription + saver);
    EXPECT_EQ(f.Descrip, f.FileDescription);
    EXPECT_TRUE(f.Id.empty() && f.MatchMethod.empty());
  }
}

TEST(ExplorerAddonsWine, HandlerKeys) {
  const RegisteredClasses classes;
  const std::wstring base = L"Software\\VxTestAddons";
  const std::wstring list1 = L"HKEY_CURRENT_USER\\" + base + L"\\Handlers";
  const std::wstring list2 = L"HKEY_CURRENT_USER\\" + base + L"\\More";
  // Named Tool, default value the class: the class's server file describes it.
  CreatedKey tool(HKEY_CURRENT_USER, base + L"\\Handlers\\VxTool");
  tool.SetString(L"", kToolClass);
  // Named by its class, default value a description: the description stays.
  CreatedKey helper(HKEY_CURRENT_USER, base + L"\\Handlers\\" + kHelperClass);
  helper.SetString(L"", L"Vx Helper Product");
  // Named by its class, no default value.
  CreatedKey plain(HKEY_CURRENT_USER, base + L"\\Handlers\\" + kToolClass);
  // Names no class with a server: nothing.
  CreatedKey noClass(HKEY_CURRENT_USER, base + L"\\Handlers\\ContextMenuHandlers");
  CreatedKey noServer(HKEY_CURRENT_USER, base + L"\\Handlers\\VxNoServer");
  noServer.SetString(L"", kNoServerClass);
  CreatedKey more(HKEY_CURRENT_USER, base + L"\\More\\VxMore");
  more.SetString(L"", kToolClass);

  ScanState state;
  Recorder recorder;
  ScanHandlerKeys({list1, L"HKEY_CURRENT_USER\\" + base + L"\\Missing", list2}, L"BHO插件", state, MarkIdentity,
                  recorder.Consumer());

  auto expected = [](const std::wstring& name, const std::wstring& clsid, const std::wstring& file,
                     const std::wstring& startPath, const std::wstring& descrip) {
    Finding f;
    f.Name = name;
    f.FilePath = file;
    f.Company = L"signer:" + file;
    f.FileDescription = kMarkedDescription + file;
    f.ProductName = L"product:" + file;
    f.Type = L"BHO插件";
    f.BinPath = L"HKEY_CLASSES_ROOT\\CLSID\\" + clsid;
    f.StartPath = startPath;
    f.Descrip = descrip.empty() ? kMarkedDescription + file : descrip;
    return f;
  };
  const std::wstring toolFile = L"c:\\vxtools\\tool.dll";
  const std::wstring helperFile = L"c:\\vxtools\\helper.dll";
  // Subkeys come in the registry's order: compare sorted by key, which keeps the lists in order.
  std::vector<Finding> want = {
      expected(kHelperClass, kHelperClass, helperFile, list1 + L"\\" + kHelperClass, L"Vx Helper Product"),
      expected(kToolClass, kToolClass, toolFile, list1 + L"\\" + kToolClass, L""),
      expected(L"VxTool", kToolClass, toolFile, list1 + L"\\VxTool", L""),
      expected(L"VxMore", kToolClass, toolFile, list2 + L"\\VxMore", L""),
  };
  auto byStartPath = [](const Finding& a, const Finding& b) { return a.StartPath < b.StartPath; };
  std::sort(want.begin(), want.end(), byStartPath);
  auto got = recorder.findings;
  std::sort(got.begin(), got.end(), byStartPath);
  EXPECT_EQ(got, want);
  EXPECT_EQ(recorder.findings.back().Name, L"VxMore");

  // A stop request ends the list after the key in hand.
  state.StopRequested = true;
  Recorder stopped;
  ScanHandlerKeys({list1, list2}, L"BHO插件", state, MarkIdentity, stopped.Consumer());
  EXPECT_EQ(stopped.findings.size(), 3u);
  EXPECT_TRUE(Named(stopped.findings, L"VxMore").empty());
}

TEST(ExplorerAddonsWine, ClsidValueKeys) {
  const RegisteredClasses classes;
  const std::wstring base = L"Software\\VxTestApproved";
  CreatedKey first(HKEY_CURRENT_USER, base + L"\\First");
  first.SetString(kToolClass, L"Vx approved tool");
  first.SetString(kNoServerClass, L"no server, no Finding");
  first.SetBytes(kHelperClass, REG_DWORD, DwordBytes(0x00410042));
  CreatedKey second(HKEY_CURRENT_USER, base + L"\\Second");
  second.SetString(kToolClass, L"");

  const std::wstring firstKey = L"HKEY_CURRENT_USER\\" + base + L"\\First";
  const std::wstring secondKey = L"HKEY_CURRENT_USER\\" + base + L"\\Second";
  ScanState state;
  Recorder recorder;
  ScanClsidValueKeys({firstKey, secondKey}, L"其它加载项", state, MarkIdentity, recorder.Consumer());

  ASSERT_EQ(recorder.findings.size(), 3u);
  std::map<std::wstring, Finding> byKeyAndName;
  for (const auto& f : recorder.findings) byKeyAndName[f.StartPath + L"|" + f.Name] = f;
  const Finding& tool = byKeyAndName[firstKey + L"|" + kToolClass];
  EXPECT_EQ(tool.Descrip, L"Vx approved tool");
  EXPECT_EQ(tool.FilePath, L"c:\\vxtools\\tool.dll");
  EXPECT_EQ(tool.FileDescription, kMarkedDescription + L"c:\\vxtools\\tool.dll");
  EXPECT_EQ(tool.BinPath, L"HKEY_CLASSES_ROOT\\CLSID\\" + kToolClass);
  EXPECT_EQ(tool.Type, L"其它加载项");
  EXPECT_EQ(byKeyAndName[firstKey + L"|" + kHelperClass].Descrip, L"BA");
  EXPECT_EQ(byKeyAndName[secondKey + L"|" + kToolClass].Descrip, L"");
  EXPECT_EQ(recorder.findings.back().StartPath, secondKey);

  state.StopRequested = true;
  Recorder stopped;
  ScanClsidValueKeys({firstKey, secondKey}, L"其它加载项", state, MarkIdentity, stopped.Consumer());
  EXPECT_EQ(stopped.findings.size(), 2u);
}

TEST(ExplorerAddonsWine, ShellVerbs) {
  const std::wstring base = L"Software\\VxTestVerbs\\shell";
  const std::wstring listKey = L"HKEY_CURRENT_USER\\" + base;
  CreatedKey scan(HKEY_CURRENT_USER, base + L"\\Scan with Tool\\command");
  scan.SetString(L"", L"\"C:\\VxTools\\Scan.EXE\" \"%1\"");
  CreatedKey bare(HKEY_CURRENT_USER, base + L"\\NoCommand");
  CreatedKey emptyCommand(HKEY_CURRENT_USER, base + L"\\EmptyCommand\\command");
  // Skipped whatever their letter case.
  CreatedKey open(HKEY_CURRENT_USER, base + L"\\Open\\command");
  open.SetString(L"", L"C:\\VxTools\\open.exe");
  CreatedKey runas(HKEY_CURRENT_USER, base + L"\\RUNAS\\command");
  runas.SetString(L"", L"C:\\VxTools\\runas.exe");
  CreatedKey runasUser(HKEY_CURRENT_USER, base + L"\\RunAsUser\\command");
  CreatedKey cmd(HKEY_CURRENT_USER, base + L"\\Cmd\\command");
  CreatedKey powershell(HKEY_CURRENT_USER, base + L"\\PowerShell\\command");
  // Not skipped: only whole names count.
  CreatedKey openWith(HKEY_CURRENT_USER, base + L"\\OpenWith\\command");
  openWith.SetString(L"", L"rundll32.exe C:\\VxTools\\With.dll,Go");

  Recorder recorder;
  ScanShellVerbs({listKey, L"HKEY_CURRENT_USER\\Software\\VxTestVerbs\\missing"}, L"右键菜单项", MarkIdentity,
                 recorder.Consumer());

  std::map<std::wstring, Finding> byVerb;
  for (const auto& f : recorder.findings) byVerb[f.Descrip] = f;
  ASSERT_EQ(byVerb.size(), 4u);
  ASSERT_EQ(recorder.findings.size(), 4u);
  const Finding& s = byVerb[L"scan with tool"];
  EXPECT_EQ(s.Name, base + L"\\scan with tool");
  EXPECT_EQ(s.StartPath, listKey);
  EXPECT_EQ(s.BinPath, L"\"C:\\VxTools\\Scan.EXE\" \"%1\"");
  EXPECT_EQ(s.FilePath, L"c:\\vxtools\\scan.exe");
  EXPECT_EQ(s.FileDescription, kMarkedDescription + L"c:\\vxtools\\scan.exe");
  EXPECT_EQ(s.Type, L"右键菜单项");
  for (const wchar_t* verb : {L"nocommand", L"emptycommand"}) {
    const Finding& f = byVerb[verb];
    EXPECT_EQ(f.Name, base + L"\\" + verb);
    EXPECT_EQ(f.BinPath, L"");
    EXPECT_EQ(f.FilePath, L"");
  }
  EXPECT_EQ(byVerb[L"openwith"].FilePath, L"c:\\vxtools\\with.dll");
}

TEST(ExplorerAddonsWine, FixedListsAtTheirRealLocations) {
  const RegisteredClasses classes;
  // A context menu handler for all files, a subkey of "*\shellex" naming no class, the same
  // browser helper in both views, an approved extension without server, and a verb of "*\shell".
  CreatedKey handler(HKEY_CLASSES_ROOT, L"*\\shellex\\ContextMenuHandlers\\VxTestTool");
  handler.SetString(L"", kToolClass);
  CreatedKey nameless(HKEY_CLASSES_ROOT, L"*\\shellex\\VxTestNoClass");
  const std::wstring bho = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\" + kHelperClass;
  const std::wstring bho32 =
      L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\" + kHelperClass;
  CreatedKey helper64(HKEY_LOCAL_MACHINE, bho);
  helper64.SetString(L"", L"VxTest Helper");
  CreatedKey helper32(HKEY_LOCAL_MACHINE, bho32);
  helper32.SetString(L"", L"VxTest Helper");
  const ScopedValue approved(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
                             kNoServerClass, REG_SZ, Utf16Bytes(L"VxTest no server"));
  CreatedKey verb(HKEY_CLASSES_ROOT, L"*\\shell\\VxTest Scan\\command");
  verb.SetString(L"", L"C:\\VxTools\\scan.exe \"%1\"");

  RecordingWindow window;
  ScanState state;
  Recorder recorder;
  ScanExplorerAddons(state, window, MarkIdentity, recorder.Consumer());
  EXPECT_EQ(window.statusTexts, std::vector<std::wstring>{L"正在扫描资源管理器加载项..."});

  const auto tools = Named(recorder.findings, L"VxTestTool");
  ASSERT_EQ(tools.size(), 1u);
  EXPECT_EQ(tools[0].StartPath, L"HKEY_CLASSES_ROOT\\*\\shellex\\ContextMenuHandlers\\VxTestTool");
  EXPECT_EQ(tools[0].Type, L"右键加载项");
  EXPECT_TRUE(Named(recorder.findings, L"VxTestNoClass").empty());

  const auto helpers = Named(recorder.findings, kHelperClass);
  ASSERT_EQ(helpers.size(), 2u);
  EXPECT_EQ(helpers[0].StartPath, L"HKEY_LOCAL_MACHINE\\" + bho);
  EXPECT_EQ(helpers[1].StartPath, L"HKEY_LOCAL_MACHINE\\" + bho32);
  for (const auto& h : helpers) {
    EXPECT_EQ(h.Type, L"BHO插件");
    EXPECT_EQ(h.Descrip, L"VxTest Helper");
    EXPECT_EQ(h.BinPath, L"HKEY_CLASSES_ROOT\\CLSID\\" + kHelperClass);
    EXPECT_EQ(h.FilePath, L"c:\\vxtools\\helper.dll");
  }
  EXPECT_TRUE(Named(recorder.findings, kNoServerClass).empty());

  const auto verbs = Named(recorder.findings, L"*\\shell\\vxtest scan");
  ASSERT_EQ(verbs.size(), 1u);
  EXPECT_EQ(verbs[0].StartPath, L"HKEY_CLASSES_ROOT\\*\\shell");
  EXPECT_EQ(verbs[0].Descrip, L"vxtest scan");
  EXPECT_EQ(verbs[0].Type, L"右键菜单项");
  EXPECT_EQ(verbs[0].FilePath, L"c:\\vxtools\\scan.exe");
}
