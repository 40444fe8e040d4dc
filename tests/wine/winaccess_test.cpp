// The Windows access helpers of common/winaccess under Wine, against real PE fixtures (made by
// tests/fixtures/CMakeLists.txt), real child processes, folders and registry keys.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "common/winaccess/registry.h"
#include "common/winaccess/winaccess.h"
#include "test_support.h"

using namespace winaccess;
using testing_support::FixturePath;
using testing_support::TempFolder;
using testing_support::TestRegistryKey;

namespace {

std::string Narrow(const std::wstring& s) {
  if (s.empty()) return {};
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
  return out;
}

bool SelfIsWow64() {
  BOOL wow64 = FALSE;
  return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

// ---- Version strings ---------------------------------------------------------------------------

struct VersionCase {
  const wchar_t* file;
  const wchar_t* name;
  const wchar_t* expected;
  const char* why;
};

const VersionCase kVersionCases[] = {
    // Normal layout: translation 0x0804/1200 and its block.
    {L"vendor_a.dll", L"CompanyName", L"维纳软件有限公司", "normal translation table"},
    {L"vendor_a.dll", L"FileDescription", L"Vendor A 辅助组件", "normal translation table"},
    {L"vendor_a.dll", L"ProductName", L"Vendor A 产品", "normal translation table"},
    {L"vendor_a.dll", L"LegalCopyright", L"(C) 2024 \"Vendor A\"", "quotes survive the .rc"},
    {L"vendor_a.dll", L"InternalName", L"", "absent value"},
    // The translation names 0x0411, whose block lacks the value; the 040904b0 block has it.
    {L"fallback.dll", L"CompanyName", L"Fallback Co", "fall-back to 040904b0"},
    {L"fallback.dll", L"FileDescription", L"English description", "fall-back to 040904b0"},
    {L"fallback.dll", L"ProductName", L"日本語製品", "found in the named block"},
    // First listed translation has the value, but empty: the loop stops there (not at the second
    // translation's "Second Translation Co") and the fall-backs are tried, 080404b0 first.
    {L"empty_first.dll", L"CompanyName", L"简体回退公司", "empty first translation, then 080404b0"},
    {L"empty_first.dll", L"FileDescription", L"Last fall-back", "empty values skipped up to 040904e4"},
    {L"empty_first.dll", L"ProductName", L"", "empty everywhere"},
    // No \VarFileInfo\Translation at all.
    {L"no_translation.dll", L"CompanyName", L"No Translation Co", "no translation table, 040904e4"},
    {L"no_translation.dll", L"ProductName", L"", "no translation table, absent"},
    // No version resource.
    {L"noversion.dll", L"CompanyName", L"", "no version resource"},
    {L"noversion.dll", L"FileDescription", L"", "no version resource"},
    {L"noversion.dll", L"ProductName", L"", "no version resource"},
    // Signing does not disturb the resource.
    {L"svch0st.exe", L"CompanyName", L"Microsoft Corporation", "signed EXE"},
    {L"svch0st.exe", L"ProductName", L"Microsoft® Windows® Operating System", "non-ASCII Latin-1"},
    {L"signed_cn.dll", L"CompanyName", L"某某网络科技有限公司", "default block 080404b0"},
    // A file that does not exist: the fixed text for every name.
    {L"missing.dll", L"CompanyName", kFileMissingText, "missing file"},
    {L"missing.dll", L"FileDescription", kFileMissingText, "missing file"},
    {L"missing.dll", L"ProductName", kFileMissingText, "missing file"},
    {L"missing.dll", L"LegalCopyright", kFileMissingText, "missing file"},
    {L"missing.dll", L"NoSuchName", kFileMissingText, "missing file"},
    // A folder that does not exist (error 3) is not a missing file.
    {L"no_such_folder\\vendor_a.dll", L"CompanyName", L"", "missing folder"},
    {L"no_such_folder\\vendor_a.dll", L"FileDescription", L"", "missing folder"},
};

TEST(WinaccessVersion, Table) {
  for (const auto& c : kVersionCases) {
    EXPECT_EQ(GetVersionString(FixturePath(c.file), c.name), c.expected)
        << Narrow(c.file) << " " << Narrow(c.name) << ": " << c.why;
  }
}

TEST(WinaccessVersion, NamedWrappers) {
  const std::wstring a = FixturePath(L"vendor_a.dll");
  EXPECT_EQ(GetCompanyName(a), L"维纳软件有限公司");
  EXPECT_EQ(GetFileDescription(a), L"Vendor A 辅助组件");
  EXPECT_EQ(GetProductName(a), L"Vendor A 产品");
  const std::wstring missing = FixturePath(L"missing.exe");
  EXPECT_EQ(GetCompanyName(missing), kFileMissingText);
  EXPECT_EQ(GetFileDescription(missing), kFileMissingText);
  EXPECT_EQ(GetProductName(missing), kFileMissingText);
}

// One read of a file's block answers every name of the table as a read per name does: all the
// names of one file are asked of the same object.
TEST(WinaccessVersion, OneReadAnswersEveryName) {
  std::map<std::wstring, VersionInfo> reads;
  for (const auto& c : kVersionCases) {
    auto read = reads.try_emplace(c.file, FixturePath(c.file)).first;
    EXPECT_EQ(read->second.String(c.name), c.expected) << Narrow(c.file) << " " << Narrow(c.name) << ": " << c.why;
  }
  const VersionInfo a(FixturePath(L"vendor_a.dll"));
  EXPECT_EQ(a.CompanyName(), L"维纳软件有限公司");
  EXPECT_EQ(a.FileDescription(), L"Vendor A 辅助组件");
  EXPECT_EQ(a.ProductName(), L"Vendor A 产品");
  const VersionInfo missing(FixturePath(L"missing.exe"));
  EXPECT_EQ(missing.CompanyName(), kFileMissingText);
  EXPECT_EQ(missing.FileDescription(), kFileMissingText);
  EXPECT_EQ(missing.ProductName(), kFileMissingText);
  EXPECT_TRUE(missing.Absent());
  EXPECT_TRUE(VersionInfo(FixturePath(L"no_such_folder\\vendor_a.dll")).Absent());
  EXPECT_FALSE(a.Absent());
  EXPECT_FALSE(VersionInfo(FixturePath(L"noversion.dll")).Absent());
}

// Every string stands under a fall-back identifier only (the translation names a language that
// has no block): the one read finds each of them there, as the read per name does.
TEST(WinaccessVersion, BlockWithOnlyTheFallbackTranslation) {
  const std::wstring path = FixturePath(L"fallback_only.dll");
  const VersionInfo version(path);
  const struct {
    const wchar_t* name;
    const wchar_t* expected;
  } cases[] = {
      {L"CompanyName", L"回退专用公司"},
      {L"FileDescription", L"Fallback-only description"},
      {L"ProductName", L"回退产品"},
      {L"LegalCopyright", L"(C) Fallback"},
      {L"InternalName", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(version.String(c.name), c.expected) << Narrow(c.name);
    EXPECT_EQ(GetVersionString(path, c.name), c.expected) << Narrow(c.name);
  }
}

TEST(WinaccessVersion, FileThatIsNoPeGivesEmpty) {
  TempFolder folder;
  const std::wstring text = folder.File(L"说明.txt");
  ASSERT_TRUE(testing_support::WriteBytes(text, {'h', 'e', 'l', 'l', 'o'}));
  EXPECT_EQ(GetCompanyName(text), L"");
  EXPECT_EQ(GetSignerName(text), L"");
}

TEST(WinaccessVersion, CopyInChineseFolder) {
  TempFolder folder;
  const std::wstring sub = folder.File(L"软件 目录");
  ASSERT_TRUE(::CreateDirectoryW(sub.c_str(), nullptr));
  const std::wstring copy = sub + L"\\插件.dll";
  ASSERT_TRUE(::CopyFileW(FixturePath(L"vendor_a.dll").c_str(), copy.c_str(), FALSE));
  EXPECT_EQ(GetCompanyName(copy), L"维纳软件有限公司");
  EXPECT_EQ(GetSignerName(copy), L"Vx Junk Vendor Ltd");
}

// ---- Signer --------------------------------------------------------------------------------------

TEST(WinaccessSigner, Table) {
  const struct {
    const wchar_t* file;
    const wchar_t* expected;
  } cases[] = {
      {L"vendor_a.dll", L"Vx Junk Vendor Ltd"},
      {L"svch0st.exe", L"Microsoft Corporation"},
      {L"signed_cn.dll", L"某某网络科技有限公司"},
      {L"fallback.dll", L""},       // unsigned
      {L"noversion.dll", L""},      // unsigned, no resources
      {L"missing.dll", L""},        // missing file
      {L"no_such_folder\\vendor_a.dll", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(GetSignerName(FixturePath(c.file)), c.expected) << Narrow(c.file);
}

// ---- Processes -----------------------------------------------------------------------------------

// A child process that is ended and closed at the end of the test.
class ChildProcess {
 public:
  ChildProcess(const std::wstring& application, const std::wstring& commandLine, DWORD flags = 0) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    started_ = ::CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                                nullptr, &startup, &info_) != FALSE;
  }
  ~ChildProcess() {
    if (!started_) return;
    ::TerminateProcess(info_.hProcess, 0);
    ::WaitForSingleObject(info_.hProcess, 5000);
    ::CloseHandle(info_.hThread);
    ::CloseHandle(info_.hProcess);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  bool Started() const { return started_; }
  HANDLE Process() const { return info_.hProcess; }
  HANDLE Thread() const { return info_.hThread; }
  DWORD Id() const { return info_.dwProcessId; }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

// The child's loader fills in its process parameters while it starts: poll until they appear (a
// 32-bit Wine process under qemu takes about a minute to start).
std::wstring CommandLineWhenReady(HANDLE process, DWORD timeoutMs = 120000) {
  const ULONGLONG end = ::GetTickCount64() + timeoutMs;
  std::wstring line;
  while ((line = GetProcessCommandLine(process)).empty() && ::GetTickCount64() < end) ::Sleep(20);
  return line;
}

// An EXE fixture copied into a folder with a Chinese name and a blank, started with a command
// line that holds quotes and non-ASCII text.
TEST(WinaccessProcess, ChildImagePathAndCommandLine) {
  TempFolder folder;
  const std::wstring sub = folder.File(L"子目录 空格");
  ASSERT_TRUE(::CreateDirectoryW(sub.c_str(), nullptr));
  const std::wstring exe = sub + L"\\svch0st.exe";
  ASSERT_TRUE(::CopyFileW(FixturePath(L"svch0st.exe").c_str(), exe.c_str(), FALSE));
  const std::wstring line = L"\"" + exe + L"\" --title \"引号 \"\"内\"\" 文本\" üé 🙂 -k netsvcs";

  ChildProcess child(exe, line);
  ASSERT_TRUE(child.Started()) << ::GetLastError();
  HANDLE opened = ::OpenProcess(PROCESS_ALL_ACCESS, FALSE, child.Id());  // as the process scanner opens it
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(CommandLineWhenReady(opened), line);
  const std::wstring image = GetProcessImagePath(opened);
  EXPECT_EQ(image, exe);
  EXPECT_EQ(image.substr(0, 3), L"C:\\") << "drive-letter form";
  // The whole chain of the process scanner: company and signer of the running file.
  EXPECT_EQ(GetCompanyName(image), L"Microsoft Corporation");
  EXPECT_EQ(GetSignerName(image), L"Microsoft Corporation");
  ::CloseHandle(opened);
}

// A process of our own width: the command line is a counted string, read whole, not cut at 260.
TEST(WinaccessProcess, LongCommandLineOfSameWidthChild) {
  const std::wstring exe = FixturePath(L"svch0st.exe");
  std::wstring line = L"\"" + exe + L"\" 60000";
  while (line.size() < 600) line += L" 参数abcdefgh";
  ChildProcess child(exe, line);
  ASSERT_TRUE(child.Started()) << ::GetLastError();
  EXPECT_EQ(CommandLineWhenReady(child.Process()), line);
}

// A child created suspended has not run a single instruction of its own.
TEST(WinaccessProcess, SuspendedChild) {
  const std::wstring exe = FixturePath(L"svch0st.exe");
  const std::wstring line = L"\"" + exe + L"\" 挂起 \"a b\"";
  ChildProcess child(exe, line, CREATE_SUSPENDED);
  ASSERT_TRUE(child.Started()) << ::GetLastError();
  EXPECT_EQ(CommandLineWhenReady(child.Process()), line);
  const std::wstring image = GetProcessImagePath(child.Process());
  EXPECT_TRUE(image.size() > 2 && image[1] == L':' && image[2] == L'\\') << Narrow(image);
  EXPECT_EQ(::CompareStringOrdinal(image.c_str(), -1, exe.c_str(), -1, TRUE), CSTR_EQUAL)
      << Narrow(image) << " vs " << Narrow(exe);
}

TEST(WinaccessProcess, SelfAndCmd) {
  EXPECT_EQ(GetProcessCommandLine(::GetCurrentProcess()), ::GetCommandLineW());
  EXPECT_EQ(GetProcessImagePath(::GetCurrentProcess()), ProgramPath());

  // cmd.exe of this process's own width, waiting for input from a pipe that never delivers. In
  // WOW64 that is the one in SysWOW64: the helpers have switched redirection off by now, so
  // System32 would give the 64-bit one (see CommandLineOf64BitProcessFromWow64 for that case).
  wchar_t system[MAX_PATH] = {};
  if (SelfIsWow64()) {
    ASSERT_NE(::GetSystemWow64DirectoryW(system, MAX_PATH), 0u);
  } else {
    ASSERT_NE(::GetSystemDirectoryW(system, MAX_PATH), 0u);
  }
  const std::wstring cmd = std::wstring(system) + L"\\cmd.exe";
  const std::wstring line = L"cmd.exe /q /k \"echo 你好\"";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, &inherit, 0));
  ::SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = readEnd;
  startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  ASSERT_TRUE(::CreateProcessW(cmd.c_str(), buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                               &info));
  EXPECT_EQ(CommandLineWhenReady(info.hProcess), line);
  const std::wstring image = GetProcessImagePath(info.hProcess);
  EXPECT_EQ(::CompareStringOrdinal(image.c_str(), -1, cmd.c_str(), -1, TRUE), CSTR_EQUAL)
      << Narrow(image) << " vs " << Narrow(cmd);
  ::TerminateProcess(info.hProcess, 0);
  ::WaitForSingleObject(info.hProcess, 5000);
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  ::CloseHandle(readEnd);
  ::CloseHandle(writeEnd);
}

TEST(WinaccessProcess, UnusableHandlesGiveEmpty) {
  EXPECT_EQ(GetProcessCommandLine(nullptr), L"");
  EXPECT_EQ(GetProcessImagePath(nullptr), L"");
  // A process that has ended: its handle still names it, but there is no memory to read.
  const std::wstring exe = FixturePath(L"svch0st.exe");
  ChildProcess child(exe, L"\"" + exe + L"\" 0");
  ASSERT_TRUE(child.Started());
  ASSERT_EQ(::WaitForSingleObject(child.Process(), 10000), WAIT_OBJECT_0);
  EXPECT_EQ(GetProcessCommandLine(child.Process()), L"");
}

// Only in the 32-bit (product) build on 64-bit Windows: a 64-bit process is read through the WOW64
// entry points and cut at 260 characters. Wine 8 does not export NtWow64QueryInformationProcess64,
// so there the answer is "".
TEST(WinaccessProcess, CommandLineOf64BitProcessFromWow64) {
  if (!SelfIsWow64()) GTEST_SKIP() << "not a WOW64 process";
  DisableWow64Redirection();  // so System32 is the native, 64-bit one for CreateProcess too
  wchar_t windows[MAX_PATH] = {};
  ASSERT_NE(::GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  const std::wstring cmd = std::wstring(windows) + L"\\System32\\cmd.exe";
  std::wstring line = L"cmd.exe /c rem";
  while (line.size() < 400) line += L" 0123456789";
  ChildProcess child(cmd, line, CREATE_SUSPENDED);
  ASSERT_TRUE(child.Started()) << ::GetLastError();
  BOOL childWow64 = TRUE;
  ASSERT_TRUE(::IsWow64Process(child.Process(), &childWow64));
  if (childWow64) GTEST_SKIP() << "could not start a 64-bit child";
  const bool hasWow64Reader =
      ::GetProcAddress(::GetModuleHandleW(L"ntdll"), "NtWow64QueryInformationProcess64") != nullptr;
  const std::wstring got = GetProcessCommandLine(child.Process());
  if (hasWow64Reader) {
    EXPECT_EQ(got, line.substr(0, 260));
  } else {
    EXPECT_EQ(got, L"") << "Wine: no NtWow64QueryInformationProcess64";
  }
}

// ---- Folders -------------------------------------------------------------------------------------

TEST(WinaccessFolders, SingleEntryAndEmpty) {
  TempFolder root;
  auto mkdir = [](const std::wstring& p) { return ::CreateDirectoryW(p.c_str(), nullptr) != FALSE; };
  auto touch = [](const std::wstring& p) { return testing_support::WriteBytes(p, {'x'}); };
  const std::wstring oneFile = root.File(L"one_file");
  const std::wstring oneSub = root.File(L"one_sub");
  const std::wstring both = root.File(L"file_and_sub");
  const std::wstring twoFiles = root.File(L"two_files");
  const std::wstring empty = root.File(L"空文件夹");
  const std::wstring missing = root.File(L"missing");
  ASSERT_TRUE(mkdir(oneFile) && touch(oneFile + L"\\程序.exe"));
  ASSERT_TRUE(mkdir(oneSub) && mkdir(oneSub + L"\\子目录"));
  ASSERT_TRUE(mkdir(both) && touch(both + L"\\a.dll") && mkdir(both + L"\\sub"));
  ASSERT_TRUE(mkdir(twoFiles) && touch(twoFiles + L"\\a.dll") && touch(twoFiles + L"\\b.dll"));
  ASSERT_TRUE(mkdir(empty));

  const struct {
    const std::wstring& folder;
    bool single;
    bool isEmpty;
  } cases[] = {
      {oneFile, true, false}, {oneSub, true, false},  {both, false, false},
      {twoFiles, false, false}, {empty, false, true}, {missing, false, true},  // cannot be listed
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FolderHasSingleEntry(c.folder + L"\\"), c.single) << Narrow(c.folder);
    EXPECT_EQ(IsFolderEmpty(c.folder), c.isEmpty) << Narrow(c.folder);
  }
}

// ---- Registry ------------------------------------------------------------------------------------

std::vector<unsigned char> Bytes(const std::wstring& s, bool terminator) {
  std::vector<unsigned char> out(reinterpret_cast<const unsigned char*>(s.data()),
                                 reinterpret_cast<const unsigned char*>(s.data() + s.size()));
  if (terminator) out.insert(out.end(), {0, 0});
  return out;
}

std::vector<unsigned char> DwordBytes(DWORD v) {
  std::vector<unsigned char> out(4);
  std::memcpy(out.data(), &v, 4);
  return out;
}

std::wstring Letters(std::size_t n) {
  std::wstring s;
  for (std::size_t i = 0; i < n; ++i) s += static_cast<wchar_t>(L'A' + i % 26);
  return s;
}

struct RegistryCase {
  const wchar_t* name;
  DWORD type;
  std::vector<unsigned char> data;
  bool textOk;                 // ReadRegistryText answers true
  std::wstring text;           // ... with this text
  bool rawOk;                  // ReadRegistryRawText answers true
  std::wstring raw;            // ... with this text
};

std::vector<RegistryCase> RegistryCases() {
  return {
      // 261 units, no terminator: exactly the 522 bytes. Read, and terminated by the reader.
      {L"exact_fill", REG_SZ, Bytes(Letters(261), false), true, Letters(261), true, Letters(261)},
      // 260 units and the terminator: 522 bytes as well.
      {L"fill_with_nul", REG_SZ, Bytes(Letters(260), true), true, Letters(260), true, Letters(260)},
      // 261 units and the terminator: 524 bytes, longer than the buffer, not read.
      {L"one_over", REG_SZ, Bytes(Letters(261), true), false, L"", false, L""},
      {L"long", REG_SZ, Bytes(Letters(400), true), false, L"", false, L""},
      {L"dword", REG_DWORD, DwordBytes(0x12345678), true, L"305419896", true, L"\x5678\x1234"},
      {L"dword_max", REG_DWORD, DwordBytes(0xFFFFFFFF), true, L"4294967295", true, L"\xFFFF\xFFFF"},
      {L"dword_spells", REG_DWORD, DwordBytes(0x00420041), true, L"4325441", true, L"AB"},
      {L"expand", REG_EXPAND_SZ, Bytes(L"%SystemRoot%\\System32\\中文.dll", true), true,
       L"%SystemRoot%\\System32\\中文.dll", true, L"%SystemRoot%\\System32\\中文.dll"},
      {L"multi", REG_MULTI_SZ, Bytes(std::wstring(L"first\0second\0", 13), true), true, L"first", true, L"first"},
      {L"binary", REG_BINARY, {'A', 0, 'B', 0, 'C'}, false, L"", true, L"AB"},
      {L"empty", REG_SZ, Bytes(L"", true), true, L"", true, L""},
      {L"no_data", REG_SZ, {}, true, L"", true, L""},
      {L"chinese", REG_SZ, Bytes(L"中文值 C:\\程序\\a.exe", true), true, L"中文值 C:\\程序\\a.exe", true,
       L"中文值 C:\\程序\\a.exe"},
  };
}

class WinaccessRegistry : public ::testing::Test {
 protected:
  WinaccessRegistry()
      : key_(HKEY_CURRENT_USER, L"Software\\VarnexTest\\winaccess_" + std::to_wstring(::GetCurrentProcessId())) {}
  void SetUp() override {
    ASSERT_NE(key_.Get(), nullptr);
    for (const auto& c : RegistryCases()) key_.SetBinary(c.name, c.data, c.type);
  }
  TestRegistryKey key_;
};

TEST_F(WinaccessRegistry, ReadRegistryText) {
  for (const auto& c : RegistryCases()) {
    std::wstring out = L"untouched";
    EXPECT_EQ(ReadRegistryText(key_.Get(), c.name, out), c.textOk) << Narrow(c.name);
    if (c.textOk) {
      EXPECT_EQ(out, c.text) << Narrow(c.name);
    }
  }
  std::wstring out;
  EXPECT_FALSE(ReadRegistryText(key_.Get(), L"absent", out));
  EXPECT_FALSE(ReadRegistryText(nullptr, L"exact_fill", out));
}

TEST_F(WinaccessRegistry, ReadRegistryRawText) {
  for (const auto& c : RegistryCases()) {
    std::wstring out = L"untouched";
    EXPECT_EQ(ReadRegistryRawText(key_.Get(), c.name, out), c.rawOk) << Narrow(c.name);
    if (c.rawOk) {
      EXPECT_EQ(out, c.raw) << Narrow(c.name);
    }
  }
  std::wstring out;
  EXPECT_FALSE(ReadRegistryRawText(key_.Get(), L"absent", out));
  EXPECT_FALSE(ReadRegistryRawText(nullptr, L"exact_fill", out));
}

TEST_F(WinaccessRegistry, OpenKeyInBothViews) {
  const std::wstring subkey = L"Software\\VarnexTest\\winaccess_" + std::to_wstring(::GetCurrentProcessId());
  auto key = OpenKey(HKEY_CURRENT_USER, subkey);
  ASSERT_TRUE(key);
  std::wstring out;
  EXPECT_TRUE(ReadRegistryText(key.get(), L"chinese", out));
  EXPECT_FALSE(OpenKey(HKEY_CURRENT_USER, subkey + L"\\absent"));
  EXPECT_TRUE(OpenKey(RootKeyFromName(L"HKEY_CURRENT_USER"), subkey));
}

TEST_F(WinaccessRegistry, EnumValues) {
  const auto values = EnumValues(key_.Get());
  for (const auto& c : RegistryCases()) {
    const RegistryValue* found = nullptr;
    for (const auto& v : values) {
      if (v.name == c.name) found = &v;
    }
    const bool fits = c.data.size() <= kRegistryDataBytes;
    ASSERT_EQ(found != nullptr, fits) << Narrow(c.name) << ": only values that fit the 522 bytes are listed";
    if (!found) continue;
    EXPECT_EQ(found->type, c.type) << Narrow(c.name);
    const std::wstring expected = c.type == REG_BINARY ? L"" : c.text;  // binary data has no text
    EXPECT_EQ(found->text, expected) << Narrow(c.name);
  }
  EXPECT_TRUE(EnumValues(nullptr).empty());
}

TEST(WinaccessRegistryData, NeverReadsPastTheData) {
  // 261 letters fill 522 bytes; the bytes after them are not zero and must not be read.
  std::wstring backing = Letters(261) + L"ZZZZ";
  const auto* data = reinterpret_cast<const BYTE*>(backing.data());
  EXPECT_EQ(RegistryDataToText(REG_SZ, data, 522), Letters(261));
  EXPECT_EQ(RegistryDataToText(REG_EXPAND_SZ, data, 522), Letters(261));
  EXPECT_EQ(RegistryDataToText(REG_SZ, data, 5), L"AB");  // an odd last byte is no character
  EXPECT_EQ(RegistryDataToText(REG_SZ, data, 0), L"");
  EXPECT_EQ(RegistryDataToText(REG_SZ, nullptr, 10), L"");
  const DWORD v = 42;
  EXPECT_EQ(RegistryDataToText(REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4), L"42");
  EXPECT_EQ(RegistryDataToText(REG_DWORD, reinterpret_cast<const BYTE*>(&v), 3), L"");
  EXPECT_EQ(RegistryDataToText(REG_BINARY, data, 522), L"");
}

TEST(WinaccessRegistryData, RootKeyFromName) {
  EXPECT_EQ(RootKeyFromName(L"HKEY_CLASSES_ROOT"), HKEY_CLASSES_ROOT);
  EXPECT_EQ(RootKeyFromName(L"HKEY_CURRENT_USER"), HKEY_CURRENT_USER);
  EXPECT_EQ(RootKeyFromName(L"HKEY_USERS"), HKEY_USERS);
  EXPECT_EQ(RootKeyFromName(L"HKEY_LOCAL_MACHINE"), HKEY_LOCAL_MACHINE);
  EXPECT_EQ(RootKeyFromName(L"hkey_current_user"), HKEY_LOCAL_MACHINE);
  EXPECT_EQ(RootKeyFromName(L""), HKEY_LOCAL_MACHINE);
}

// ---- Service paths -------------------------------------------------------------------------------

// Sets an environment variable of this process for the test's duration.
class ScopedEnv {
 public:
  ScopedEnv(const wchar_t* name, const std::wstring& value) : name_(name) { ::SetEnvironmentVariableW(name, value.c_str()); }
  ~ScopedEnv() { ::SetEnvironmentVariableW(name_, nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const wchar_t* name_;
};

TEST(WinaccessServicePath, ExpansionUnderWine) {
  wchar_t root[MAX_PATH] = {};
  ASSERT_NE(::GetEnvironmentVariableW(L"SystemRoot", root, MAX_PATH), 0u);
  const std::wstring systemRoot = root;
  // 259 + "\\a.exe"... built so the expansion is exactly 260 characters (fits with the terminator)
  // and 261 (does not fit the 261-unit buffer).
  const ScopedEnv fits(L"VX_FITS", std::wstring(254, L'f'));    // 254 + 6 ("\\a.exe") = 260
  const ScopedEnv over(L"VX_OVER", std::wstring(255, L'o'));    // 255 + 6 = 261
  const ScopedEnv cn(L"VX_中文", L"D:\\软件");

  const struct {
    std::wstring in;
    std::wstring out;
  } cases[] = {
      {L"%SystemRoot%\\System32\\svchost.exe -k netsvcs", systemRoot + L"\\System32\\svchost.exe"},
      {L"C:\\Windows\\System32\\svchost.exe -k netsvcs", L"C:\\Windows\\System32\\svchost.exe"},
      {L"\"C:\\Program Files\\Vendor\\Svc.EXE\" /run", L"C:\\Program Files\\Vendor\\Svc.EXE"},
      // No ".exe": lower-cased, unquoted, and expanded after the lower-casing.
      {L"\"%SystemRoot%\\System32\\Foo.DLL\"", systemRoot + L"\\system32\\foo.dll"},
      {L"\"C:\\Tools\\X.dll\"", L"c:\\tools\\x.dll"},
      {L"%VX_UNDEFINED_VAR%\\a.exe", L"%VX_UNDEFINED_VAR%\\a.exe"},
      {L"%VX_FITS%\\a.exe", std::wstring(254, L'f') + L"\\a.exe"},
      {L"%VX_OVER%\\a.exe", L"%VX_OVER%\\a.exe"},  // does not fit: stays unexpanded
      {L"%VX_中文%\\服务.exe -k 组", L"D:\\软件\\服务.exe"},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeServicePath(c.in), c.out) << Narrow(c.in);

  std::wstring out;
  EXPECT_TRUE(ExpandEnvironment(L"%VX_FITS%\\a.exe", out));
  EXPECT_EQ(out.size(), 260u);
  EXPECT_FALSE(ExpandEnvironment(L"%VX_OVER%\\a.exe", out));
}

// ---- Program folder ------------------------------------------------------------------------------

TEST(WinaccessProgram, ProgramFolderIsTheTestProgramsFolder) {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  ASSERT_GT(n, 0u);
  const std::wstring self(path, n);
  EXPECT_EQ(ProgramPath(), self);
  const std::wstring folder = ProgramFolder();
  EXPECT_EQ(folder, self.substr(0, self.rfind(L'\\')));
  EXPECT_NE(folder.back(), L'\\');
  EXPECT_TRUE(PathExists(folder + L"\\winaccess_tests.exe"));
  EXPECT_TRUE(PathExists(FixturePath(L"vendor_a.dll"))) << "fixtures beside the test programs";
  EXPECT_FALSE(PathExists(FixturePath(L"missing.dll")));
}

}  // namespace
