// The toolbar, input method and file association scanners over keys and text services the tests
// create (and remove), seen through a recording consumer before any rule could filter them.
#include <windows.h>
#include <msctf.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

#include "registry_scanner_fixtures.h"
#include "test_support.h"
#include "varnex/scanners/file_associations.h"
#include "varnex/scanners/input_methods.h"
#include "varnex/scanners/toolbars.h"

namespace varnex {
// Failures name the fields that differ.
void PrintTo(const Finding& f, std::ostream* os) {
  *os << "{Name=" << testing::PrintToString(f.Name) << " FilePath=" << testing::PrintToString(f.FilePath)
      << " BinPath=" << testing::PrintToString(f.BinPath) << " StartPath=" << testing::PrintToString(f.StartPath)
      << " Type=" << testing::PrintToString(f.Type) << " Descrip=" << testing::PrintToString(f.Descrip)
      << " Company=" << testing::PrintToString(f.Company) << "}";
}
}  // namespace varnex

using namespace varnex;
using namespace varnex::scanners;
using namespace registry_test;

namespace {

struct Recorder {
  std::vector<Finding> findings;
  FindingConsumer Consumer() {
    return [this](Finding f) { findings.push_back(std::move(f)); };
  }
};

Finding Marked(Finding f) {
  MarkIdentity(f);
  return f;
}

void SortByStartPath(std::vector<Finding>& findings) {
  std::stable_sort(findings.begin(), findings.end(),
                   [](const Finding& a, const Finding& b) { return a.StartPath < b.StartPath; });
}

std::wstring SystemRoot() {
  wchar_t root[MAX_PATH] = {};
  ::ExpandEnvironmentStringsW(L"%SystemRoot%", root, MAX_PATH);
  return root;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Toolbars

TEST(ToolbarsWine, DeskBandClassesOfBothViews) {
  const std::wstring category = L"\\Implemented Categories\\{00021492-0000-0000-C000-000000000046}";
  const std::wstring both = L"{7B2D0005-0000-4000-8000-0000000000D1}";
  const std::wstring only32 = L"{7B2D0005-0000-4000-8000-0000000000D2}";
  const std::wstring noServer = L"{7B2D0005-0000-4000-8000-0000000000D3}";
  const std::wstring noCategory = L"{7B2D0005-0000-4000-8000-0000000000D4}";
  const std::wstring localServer = L"{7B2D0005-0000-4000-8000-0000000000D5}";
  const std::wstring clsid64 = L"CLSID\\";
  const std::wstring clsid32 = L"Wow6432Node\\CLSID\\";

  // In both views, each with its own server: both Findings show the 64-bit one.
  CreatedKey bothCategory64(HKEY_CLASSES_ROOT, clsid64 + both + category);
  CreatedKey bothServer64(HKEY_CLASSES_ROOT, clsid64 + both + L"\\InprocServer32");
  bothServer64.SetString(L"", L"\"C:\\VxBands\\Band64.DLL\"");
  CreatedKey bothCategory32(HKEY_CLASSES_ROOT, clsid32 + both + category);
  CreatedKey bothServer32(HKEY_CLASSES_ROOT, clsid32 + both + L"\\InprocServer32");
  bothServer32.SetString(L"", L"C:\\VxBands\\Band32.dll");
  // Only in the 32-bit view: its server is found there.
  CreatedKey only32Category(HKEY_CLASSES_ROOT, clsid32 + only32 + category);
  CreatedKey only32Server(HKEY_CLASSES_ROOT, clsid32 + only32 + L"\\InprocServer32");
  only32Server.SetString(L"", L"C:\\VxBands\\Only32.dll");
  // The category without any server, and a server without the category: nothing.
  CreatedKey noServerCategory(HKEY_CLASSES_ROOT, clsid64 + noServer + category);
  CreatedKey noCategoryServer(HKEY_CLASSES_ROOT, clsid64 + noCategory + L"\\InprocServer32");
  noCategoryServer.SetString(L"", L"C:\\VxBands\\NotABand.dll");
  // An out-of-process band.
  CreatedKey localCategory(HKEY_CLASSES_ROOT, clsid64 + localServer + category);
  CreatedKey localServerKey(HKEY_CLASSES_ROOT, clsid64 + localServer + L"\\LocalServer32");
  localServerKey.SetString(L"", L"C:\\VxBands\\BandHost.exe /embedding");

  RecordingWindow window;
  Recorder recorder;
  ScanToolbars(window, MarkIdentity, recorder.Consumer());
  EXPECT_EQ(window.statusTexts, std::vector<std::wstring>{L"正在扫描工具栏..."});

  auto expected = [&](const std::wstring& classKey, const std::wstring& clsid, const std::wstring& file) {
    Finding f;
    f.Name = clsid;
    f.FilePath = file;
    f.BinPath = L"Implemented Categories\\{00021492-0000-0000-C000-000000000046}";
    f.StartPath = classKey + L"\\" + clsid;
    f.Type = L"工具栏";
    f = Marked(f);
    f.Descrip = f.FileDescription;
    return f;
  };
  const std::wstring key64 = L"HKEY_CLASSES_ROOT\\CLSID";
  const std::wstring key32 = L"HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID";
  std::vector<Finding> want = {
      expected(key64, both, L"c:\\vxbands\\band64.dll"),
      expected(key64, localServer, L"c:\\vxbands\\bandhost.exe"),
      expected(key32, both, L"c:\\vxbands\\band64.dll"),
      expected(key32, only32, L"c:\\vxbands\\only32.dll"),
  };
  auto got = Named(recorder.findings, L"{7B2D0005-");
  SortByStartPath(got);
  SortByStartPath(want);
  EXPECT_EQ(got, want);
  // The 64-bit view's classes come first.
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(Named(recorder.findings, L"{7B2D0005-").front().StartPath.rfind(key64 + L"\\", 0), 0u);

  // A class key that cannot be opened is passed over.
  Recorder partial;
  ScanDeskBandClasses({L"HKEY_CURRENT_USER\\Software\\VxTestMissing\\CLSID", key32}, L"工具栏", MarkIdentity,
                      partial.Consumer());
  EXPECT_EQ(Named(partial.findings, L"{7B2D0005-").size(), 2u);
}

// ---------------------------------------------------------------------------------------------
// Input methods: IMM32 layouts

TEST(InputMethodsWine, ImeLayouts) {
  const std::wstring layouts = L"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\";
  // A bare file name present in System32 is completed with it; one that is not, with SysWOW64.
  const std::wstring system32Ime = L"C:\\Windows\\System32\\vxtestpinyin.ime";
  ASSERT_TRUE(testing_support::WriteBytes(system32Ime, {'M', 'Z'}));
  struct RemoveFile {
    std::wstring path;
    ~RemoveFile() { ::DeleteFileW(path.c_str()); }
  } removeIme{system32Ime};

  struct Layout {
    const wchar_t* name;
    std::optional<std::wstring> imeFile;
    std::optional<std::wstring> layoutText;
  };
  const Layout created[] = {
      {L"E0F70801", L"VxTestPinyin.IME", L"Vx 拼音"},
      {L"E0F70802", L"VxTestAbsent.ime", L"Vx 缺失"},
      {L"E0F70803", L"C:\\VxIme\\Wubi.IME", L"Vx 五笔"},
      {L"E0F70804", std::nullopt, L"Vx keyboard"},  // an ordinary layout
      {L"E0F70805", L"C:\\VxIme\\NoText.ime", std::nullopt},
  };
  std::vector<std::unique_ptr<CreatedKey>> keys;
  for (const auto& layout : created) {
    keys.push_back(std::make_unique<CreatedKey>(HKEY_LOCAL_MACHINE, layouts + layout.name));
    if (layout.imeFile) keys.back()->SetString(L"Ime File", *layout.imeFile);
    if (layout.layoutText) keys.back()->SetString(L"Layout Text", *layout.layoutText);
  }
  // A number where the file name should be is read as the text its bytes spell ("BA").
  CreatedKey number(HKEY_LOCAL_MACHINE, layouts + L"E0F70806");
  number.SetBytes(L"Ime File", REG_DWORD, DwordBytes(0x00410042));
  number.SetString(L"Layout Text", L"Vx number");

  Recorder recorder;
  ScanImeLayouts(MarkIdentity, recorder.Consumer());

  auto expected = [&](const std::wstring& name, const std::wstring& imeFile, const std::wstring& file,
                      const std::wstring& text) {
    Finding f;
    f.Name = name;
    f.BinPath = imeFile;
    f.FilePath = file;
    f.Descrip = text;
    f.Type = L"IMM32";
    f.StartPath = L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\" + name;
    return Marked(f);
  };
  std::vector<Finding> want = {
      expected(L"E0F70801", L"VxTestPinyin.IME", L"C:\\Windows\\System32\\vxtestpinyin.ime", L"Vx 拼音"),
      expected(L"E0F70802", L"VxTestAbsent.ime", L"C:\\Windows\\SysWOW64\\vxtestabsent.ime", L"Vx 缺失"),
      expected(L"E0F70803", L"C:\\VxIme\\Wubi.IME", L"c:\\vxime\\wubi.ime", L"Vx 五笔"),
      expected(L"E0F70806", L"BA", L"BA", L"Vx number"),
  };
  auto got = Named(recorder.findings, L"E0F7080");
  SortByStartPath(got);
  EXPECT_EQ(got, want);
}

// ---------------------------------------------------------------------------------------------
// Input methods: text services

namespace {

GUID ParseGuid(const std::wstring& text) {
  GUID id{};
  ::CLSIDFromString(text.c_str(), &id);
  return id;
}

// A text service registered with the framework for the test and unregistered again. Its
// registry tree is removed as well, down to the first key that did not exist before.
class RegisteredTextService {
 public:
  RegisteredTextService(ITfInputProcessorProfiles& profiles, const std::wstring& clsid)
      : tree_(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\CTF\\TIP\\" + clsid),
        profiles_(&profiles),
        clsid_(ParseGuid(clsid)) {
    registered_ = SUCCEEDED(profiles_->Register(clsid_));
  }
  ~RegisteredTextService() {
    if (registered_) profiles_->Unregister(clsid_);
  }
  RegisteredTextService(const RegisteredTextService&) = delete;
  RegisteredTextService& operator=(const RegisteredTextService&) = delete;

  bool Registered() const { return registered_; }
  bool AddProfile(LANGID language, const std::wstring& profile, const std::wstring& description) {
    return SUCCEEDED(profiles_->AddLanguageProfile(clsid_, language, ParseGuid(profile), description.c_str(),
                                                   static_cast<ULONG>(description.size()), L"", 0, 0));
  }

 private:
  CreatedKey tree_;
  Microsoft::WRL::ComPtr<ITfInputProcessorProfiles> profiles_;
  GUID clsid_;
  bool registered_ = false;
};

struct ComInit {
  HRESULT hr = ::CoInitialize(nullptr);
  ~ComInit() {
    if (SUCCEEDED(hr)) ::CoUninitialize();
  }
};

}  // namespace

TEST(InputMethodsWine, TextServicesForChinese) {
  const ComInit com;
  Microsoft::WRL::ComPtr<ITfInputProcessorProfiles> profiles;
  ASSERT_HRESULT_SUCCEEDED(::CoCreateInstance(CLSID_TF_InputProcessorProfiles, nullptr, CLSCTX_INPROC_SERVER,
                                              IID_ITfInputProcessorProfiles,
                                              reinterpret_cast<void**>(profiles.GetAddressOf())));
  // Registered with an upper-case third group; the scanner names them with a lower-case one.
  const std::wstring served = L"{7B2D0005-0000-4ABC-8000-0000000000C1}";
  const std::wstring noServer = L"{7B2D0005-0000-4ABC-8000-0000000000C2}";
  const std::wstring english = L"{7B2D0005-0000-4ABC-8000-0000000000C3}";
  CreatedKey server(HKEY_CLASSES_ROOT, L"CLSID\\" + served + L"\\InprocServer32");
  server.SetString(L"", L"\"C:\\VxTip\\VxTip.DLL\"");
  CreatedKey englishServer(HKEY_CLASSES_ROOT, L"CLSID\\" + english + L"\\InprocServer32");
  englishServer.SetString(L"", L"C:\\VxTip\\English.dll");
  // Registered for English only: never visited.
  RegisteredTextService other(*profiles.Get(), english);
  ASSERT_TRUE(other.AddProfile(0x0409, L"{7B2D0005-0000-4000-8000-0000000000E4}", L"Vx English"));

  struct Case {
    std::wstring clsid, name, description, server, file;
  };
  // One Chinese service at a time: this framework's enumerator loses every profile after the
  // first service's first one (two profiles of one service are covered where it is faked).
  const Case cases[] = {
      {served, L"{7B2D0005-0000-4abc-8000-0000000000C1}", L"Vx 五笔", L"\"C:\\VxTip\\VxTip.DLL\"",
       L"c:\\vxtip\\vxtip.dll"},
      {noServer, L"{7B2D0005-0000-4abc-8000-0000000000C2}", L"Vx 无服务", L"", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.clsid));
    RegisteredTextService chinese(*profiles.Get(), c.clsid);
    ASSERT_TRUE(chinese.Registered());
    ASSERT_TRUE(chinese.AddProfile(0x0804, L"{7B2D0005-0000-4000-8000-0000000000E1}", c.description));

    Recorder recorder;
    ScanTextServices(MarkIdentity, recorder.Consumer());

    const auto got = Named(recorder.findings, L"{7B2D0005-");
    ASSERT_EQ(got.size(), 1u);
    Finding want;
    want.Name = c.name;
    want.BinPath = c.server;
    want.FilePath = c.file;
    want.Type = L"TSF";
    want.StartPath = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\CTF\\TIP\\" + c.name;
    want = Marked(want);
    // This framework gives no description; Windows gives the profile's own.
    want.Descrip = got[0].Descrip.empty() ? L"" : c.description;
    EXPECT_EQ(got[0], want);
  }
}

// ---------------------------------------------------------------------------------------------
// File associations

namespace {

const std::wstring kUserClasses = L"Software\\Classes\\";

// Every Finding of the test's own classes, sorted by where they sit.
std::vector<Finding> TestClasses(const std::vector<Finding>& findings) {
  std::vector<Finding> mine;
  for (const auto& f : findings) {
    if (f.Name.rfind(L"VxTestFa", 0) == 0 || f.Name.rfind(L".vx", 0) == 0 || f.Name == L"exefile" ||
        f.Name == L"regfile" || f.Name == L"piffile" || f.Name == L"scrfile") {
      mine.push_back(f);
    }
  }
  SortByStartPath(mine);
  return mine;
}

Finding Association(const std::wstring& startPath, const std::wstring& name, const std::wstring& command,
                    const std::wstring& file) {
  Finding f;
  f.Name = name;
  f.BinPath = command;
  f.FilePath = file;
  f.StartPath = startPath;
  f.Type = L"文件关联";
  f = Marked(f);
  f.Descrip = f.FileDescription;
  return f;
}

// The current user's classes, seen by the second pass of every call: one without a command and a
// short extension key, both kept there.
struct UserClasses {
  CreatedKey plain{HKEY_CURRENT_USER, kUserClasses + L"VxTestFaUser"};
  CreatedKey shortExtension{HKEY_CURRENT_USER, kUserClasses + L".vxu"};
};

}  // namespace

TEST(FileAssociationsWine, ClassesDirectlyUnderTheRoot) {
  CreatedKey text(HKEY_CLASSES_ROOT, L"VxTestFaText\\shell\\open\\command");
  text.SetString(L"", L"%SystemRoot%\\system32\\NOTEPAD.EXE %1", REG_EXPAND_SZ);
  CreatedKey number(HKEY_CLASSES_ROOT, L"VxTestFaNumber\\shell\\open\\command");
  number.SetBytes(L"", REG_DWORD, DwordBytes(0x00410042));
  CreatedKey noCommand(HKEY_CLASSES_ROOT, L"VxTestFaNoCommand\\shell\\open");
  CreatedKey emptyCommand(HKEY_CLASSES_ROOT, L"VxTestFaEmpty\\shell\\open\\command");
  emptyCommand.SetString(L"", L"");
  CreatedKey shortExtension(HKEY_CLASSES_ROOT, L".vxf\\shell\\open\\command");
  shortExtension.SetString(L"", L"C:\\VxApps\\short.exe %1");
  CreatedKey fiveLetters(HKEY_CLASSES_ROOT, L".vxfa\\shell\\open\\command");
  fiveLetters.SetString(L"", L"C:\\VxApps\\five.exe %1");
  CreatedKey longExtension(HKEY_CLASSES_ROOT, L".vxtorrent\\shell\\open\\command");
  longExtension.SetString(L"", L"\"C:\\VxApps\\Torrent.exe\" \"%1\"");
  // A changed command of exefile is still never reported (set per user, restored afterwards).
  const ScopedValue exefile(HKEY_CURRENT_USER, kUserClasses + L"exefile\\shell\\open\\command", L"", REG_SZ,
                            Utf16Bytes(L"C:\\VxApps\\hijack.exe \"%1\""));
  const UserClasses user;

  ScanState state;
  Recorder recorder;
  ScanFileAssociations(state, L"", MarkIdentity, recorder.Consumer());

  const std::wstring root = L"HKEY_CLASSES_ROOT\\";
  const std::wstring userRoot = L"HKEY_CURRENT_USER\\Software\\Classes\\";
  std::vector<Finding> want = {
      Association(root + L".vxtorrent", L".vxtorrent", L"\"C:\\VxApps\\Torrent.exe\" \"%1\"",
                  L"c:\\vxapps\\torrent.exe"),
      Association(root + L"VxTestFaNumber", L"VxTestFaNumber", L"BA", L"BA"),
      Association(root + L"VxTestFaText", L"VxTestFaText", L"%SystemRoot%\\system32\\NOTEPAD.EXE %1",
                  SystemRoot() + L"\\system32\\notepad.exe"),
      Association(userRoot + L".vxu", L".vxu", L"", L""),
      Association(userRoot + L"VxTestFaUser", L"VxTestFaUser", L"", L""),
  };
  SortByStartPath(want);
  EXPECT_EQ(TestClasses(recorder.findings), want);
}

TEST(FileAssociationsWine, OtherScopesAndTheUsersClassesInEachCall) {
  const std::wstring scope = L"VxTestFaScope";
  std::vector<std::unique_ptr<CreatedKey>> classes;
  // (Registry key names ignore letter case: the exact comparison is shown by the rules' own test.)
  for (const wchar_t* name : {L"exefile", L"regfile", L"piffile", L"scrfile"}) {
    classes.push_back(std::make_unique<CreatedKey>(HKEY_CLASSES_ROOT, scope + L"\\" + name + L"\\shell\\open\\command"));
    classes.back()->SetString(L"", L"C:\\VxApps\\any.exe \"%1\"");
  }
  CreatedKey shortNoCommand(HKEY_CLASSES_ROOT, scope + L"\\.vx");
  CreatedKey application(HKEY_CLASSES_ROOT, scope + L"\\VxTestFaApp.exe\\shell\\open\\command");
  application.SetString(L"", L"\"C:\\VxApps\\VxApp.exe\" \"%1\"");
  CreatedKey systemAssociation(HKEY_CLASSES_ROOT, L"SystemFileAssociations\\.vxsfa");
  const UserClasses user;

  const std::wstring userRoot = L"HKEY_CURRENT_USER\\Software\\Classes\\";
  const std::vector<Finding> userFindings = {
      Association(userRoot + L".vxu", L".vxu", L"", L""),
      Association(userRoot + L"VxTestFaUser", L"VxTestFaUser", L"", L""),
  };
  const std::wstring scopeRoot = L"HKEY_CLASSES_ROOT\\" + scope + L"\\";
  const std::map<std::wstring, std::vector<Finding>> firstPass = {
      {scope,
       {Association(scopeRoot + L".vx", L".vx", L"", L""),
        Association(scopeRoot + L"VxTestFaApp.exe", L"VxTestFaApp.exe", L"\"C:\\VxApps\\VxApp.exe\" \"%1\"",
                    L"c:\\vxapps\\vxapp.exe")}},
      {L"SystemFileAssociations",
       {Association(L"HKEY_CLASSES_ROOT\\SystemFileAssociations\\.vxsfa", L".vxsfa", L"", L"")}},
      {L"Applications", {}},
  };
  for (const auto& [scopeName, passOne] : firstPass) {
    ScanState state;
    Recorder recorder;
    ScanFileAssociations(state, scopeName, MarkIdentity, recorder.Consumer());
    std::vector<Finding> want = passOne;
    want.insert(want.end(), userFindings.begin(), userFindings.end());
    SortByStartPath(want);
    EXPECT_EQ(TestClasses(recorder.findings), want) << std::string(scopeName.begin(), scopeName.end());
    // The scope's own classes come before the user's.
    if (!passOne.empty()) {
      EXPECT_EQ(recorder.findings.front().StartPath.rfind(L"HKEY_CLASSES_ROOT\\", 0), 0u);
    }
  }
}

TEST(FileAssociationsWine, StopRequestEndsTheCallWithoutTheSecondPass) {
  const std::wstring scope = L"VxTestFaScope";
  CreatedKey first(HKEY_CLASSES_ROOT, scope + L"\\VxTestFaOne\\shell\\open\\command");
  first.SetString(L"", L"C:\\VxApps\\one.exe");
  CreatedKey second(HKEY_CLASSES_ROOT, scope + L"\\VxTestFaTwo\\shell\\open\\command");
  second.SetString(L"", L"C:\\VxApps\\two.exe");
  const UserClasses user;

  // The user presses stop while the first class is being judged.
  ScanState state;
  Recorder recorder;
  ScanFileAssociations(state, scope, MarkIdentity, [&](Finding f) {
    state.StopRequested = true;
    recorder.findings.push_back(std::move(f));
  });
  ASSERT_EQ(recorder.findings.size(), 1u);
  EXPECT_EQ(recorder.findings[0].StartPath.rfind(L"HKEY_CLASSES_ROOT\\" + scope + L"\\VxTestFa", 0), 0u);

  // Already stopped: each later call still reports its first accepted class, then ends.
  Recorder later;
  ScanFileAssociations(state, scope, MarkIdentity, later.Consumer());
  EXPECT_EQ(later.findings.size(), 1u);
}
