// Command resolution against the prefix's real folders and environment, and COM server lookup
// with classes registered by the test in both registry views.
#include <windows.h>

#include <gtest/gtest.h>

#include "registry_scanner_fixtures.h"
#include "test_support.h"
#include "varnex/scanners/command_resolution.h"

using namespace varnex::scanners;
using registry_test::CreatedKey;

namespace {

std::wstring Expanded(const std::wstring& text) {
  wchar_t buffer[MAX_PATH + 1] = {};
  ::ExpandEnvironmentStringsW(text.c_str(), buffer, MAX_PATH);
  return buffer;
}

// A file created for the test, removed again with the folders the test made for it.
struct CreatedFile {
  std::wstring folder, file;
  bool createdFolder;
  CreatedFile(const std::wstring& folderPath, const std::wstring& name)
      : folder(folderPath), file(folderPath + L"\\" + name), createdFolder(::CreateDirectoryW(folderPath.c_str(), nullptr) != 0) {
    testing_support::WriteBytes(file, {'M', 'Z'});
  }
  ~CreatedFile() {
    ::DeleteFileW(file.c_str());
    if (createdFolder) ::RemoveDirectoryW(folder.c_str());
  }
};

}  // namespace

TEST(CommandResolutionWine, RealFoldersAndEnvironment) {
  // A 32-bit-only module and a program under the 32-bit program folder, made for the test.
  const CreatedFile ime32(L"C:\\Windows\\SysWOW64", L"vxonly32.ime");
  const CreatedFile app32(L"C:\\Program Files (x86)\\VxResolveApp", L"app.exe");
  ASSERT_EQ(::GetFileAttributesW(L"C:\\Windows\\System32\\vxonly32.ime"), INVALID_FILE_ATTRIBUTES);

  struct Case {
    std::wstring in, out;
  } cases[] = {
      {L"notepad.exe", L"C:\\Windows\\System32\\notepad.exe"},
      {L"rundll32 shell32.dll,Control_RunDLL", L"C:\\Windows\\System32\\shell32.dll"},
      {L"rundll32.exe", L"C:\\Windows\\System32\\"},
      {L"vxonly32.ime", L"C:\\Windows\\SysWOW64\\vxonly32.ime"},
      {L"%SystemRoot%\\system32\\svc.exe /k", Expanded(L"%SystemRoot%") + L"\\system32\\svc.exe"},
      {L"%ProgramFiles%\\VxResolveApp\\APP.exe --silent", L"C:\\Program Files (x86)\\vxresolveapp\\app.exe"},
      {L"%ProgramFiles%\\VxNoSuchApp\\app.exe", L"C:\\Program Files\\vxnosuchapp\\app.exe"},
      {L"%CommonProgramFiles%\\VxNoSuch\\x.dll", L"C:\\Program Files\\Common Files\\vxnosuch\\x.dll"},
      {L"%APPDATA%\\x\\y.bat", L"%APPDATA%\\x\\y.bat"},
      {L"\"C:\\Program Files\\App\\App.exe\" -min", L"c:\\program files\\app\\app.exe"},
      // Longer than the 261-character expansion buffer: kept unexpanded rather than cut.
      {L"C:\\" + std::wstring(300, L'A') + L".exe /x", L"c:\\" + std::wstring(300, L'a') + L".exe"},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveCommandPath(c.in), c.out) << c.in;
}

TEST(ComServerPathWine, RegisteredClasses) {
  const std::wstring only32 = L"{6A1C0001-0000-4000-8000-0000000000A1}";
  const std::wstring both = L"{6A1C0001-0000-4000-8000-0000000000A2}";
  const std::wstring empty64 = L"{6A1C0001-0000-4000-8000-0000000000A3}";
  const std::wstring local = L"{6A1C0001-0000-4000-8000-0000000000A4}";
  const std::wstring netFileUrl = L"{6A1C0001-0000-4000-8000-0000000000A5}";
  const std::wstring netPlain = L"{6A1C0001-0000-4000-8000-0000000000A6}";
  const std::wstring netNoCodeBase = L"{6A1C0001-0000-4000-8000-0000000000A7}";
  const std::wstring netLocal = L"{6A1C0001-0000-4000-8000-0000000000A8}";
  const std::wstring unregistered = L"{6A1C0001-0000-4000-8000-0000000000A9}";
  const std::wstring unterminated = L"{6A1C0001-0000-4000-8000-0000000000AA}";
  auto clsidKey = [](const std::wstring& c, const wchar_t* server) { return L"CLSID\\" + c + L"\\" + server; };
  auto wowKey = [](const std::wstring& c) { return L"Wow6432Node\\CLSID\\" + c + L"\\InprocServer32"; };

  CreatedKey a32(HKEY_CLASSES_ROOT, wowKey(only32));
  a32.SetString(L"", L"C:\\Vx\\Only32.dll");
  CreatedKey b64(HKEY_CLASSES_ROOT, clsidKey(both, L"InprocServer32"));
  b64.SetString(L"", L"%SystemRoot%\\Vx\\Both64.dll", REG_EXPAND_SZ);
  CreatedKey b32(HKEY_CLASSES_ROOT, wowKey(both));
  b32.SetString(L"", L"C:\\Vx\\Both32.dll");
  CreatedKey e64(HKEY_CLASSES_ROOT, clsidKey(empty64, L"InprocServer32"));
  e64.SetString(L"", L"");
  CreatedKey e32(HKEY_CLASSES_ROOT, wowKey(empty64));
  e32.SetString(L"", L"C:\\Vx\\Empty32.dll");
  CreatedKey l64(HKEY_CLASSES_ROOT, clsidKey(local, L"LocalServer32"));
  l64.SetString(L"", L"\"C:\\Vx\\Server.exe\" /automation");
  CreatedKey n1(HKEY_CLASSES_ROOT, clsidKey(netFileUrl, L"InprocServer32"));
  n1.SetString(L"", L"MSCOREE.DLL");
  n1.SetString(L"CodeBase", L"FILE:///C:/App/Lib.dll");
  CreatedKey n2(HKEY_CLASSES_ROOT, clsidKey(netPlain, L"InprocServer32"));
  n2.SetString(L"", L"C:\\Windows\\System32\\mscoree.dll");
  n2.SetString(L"CodeBase", L"C:\\App\\Plain.dll");
  CreatedKey n3(HKEY_CLASSES_ROOT, clsidKey(netNoCodeBase, L"InprocServer32"));
  n3.SetString(L"", L"mscoree.dll");
  CreatedKey n4(HKEY_CLASSES_ROOT, clsidKey(netLocal, L"LocalServer32"));
  n4.SetString(L"", L"mscoree.dll");
  n4.SetString(L"CodeBase", L"file:///D:/Local/Srv.dll");
  // A server text stored without its terminator is read up to the data's end.
  CreatedKey u64(HKEY_CLASSES_ROOT, clsidKey(unterminated, L"InprocServer32"));
  u64.SetBytes(L"", REG_SZ, {'C', 0, ':', 0, '\\', 0, 'u', 0});

  struct Case {
    const std::wstring& clsid;
    std::wstring server;
  } cases[] = {
      {only32, L"C:\\Vx\\Only32.dll"},
      {both, L"%SystemRoot%\\Vx\\Both64.dll"},
      {empty64, L""},
      {local, L"\"C:\\Vx\\Server.exe\" /automation"},
      {netFileUrl, L"C:/App/Lib.dll"},
      {netPlain, L"C:\\App\\Plain.dll"},
      {netNoCodeBase, L"mscoree.dll"},
      {netLocal, L"D:/Local/Srv.dll"},
      {unregistered, L""},
      {unterminated, L"C:\\u"},
  };
  for (const auto& c : cases) EXPECT_EQ(GetComServerPath(c.clsid), c.server) << c.clsid;
  EXPECT_EQ(GetComServerPath(L""), L"");
}
