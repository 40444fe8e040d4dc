#include "common/winaccess/path_rules.h"

#include <gtest/gtest.h>

using namespace winaccess;

namespace {
// Expands the one reference the table uses; anything else fails like an unknown variable would.
bool FakeExpand(const std::wstring& in, std::wstring& out) {
  const std::wstring var = L"%SystemRoot%";
  out = in;
  const auto at = out.find(var);
  if (at != std::wstring::npos) out.replace(at, var.size(), L"C:\\Windows");
  return true;
}
}  // namespace

TEST(PathRules, NormalizeServicePath) {
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"C:\\Windows\\System32\\svchost.exe -k netsvcs", L"C:\\Windows\\System32\\svchost.exe"},
      {L"\"C:\\Tools\\X.dll\"", L"c:\\tools\\x.dll"},
      {L"\"C:\\Program Files\\A B\\Svc.EXE\" /run", L"C:\\Program Files\\A B\\Svc.EXE"},
      {L"%SystemRoot%\\System32\\svchost.exe -k netsvcs", L"C:\\Windows\\System32\\svchost.exe"},
      {L"", L""},
      {L"\"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeServicePathWith(c.in, FakeExpand), c.out) << c.in;
  // A failed expansion keeps the text.
  EXPECT_EQ(NormalizeServicePathWith(L"%X%\\a.exe", [](const std::wstring&, std::wstring&) { return false; }),
            L"%X%\\a.exe");
}

TEST(PathRules, NormalizeDriverPath) {
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"\\SystemRoot\\System32\\drivers\\x.sys", L"C:\\Windows\\System32\\drivers\\x.sys"},
      {L"System32\\drivers\\x.sys", L"C:\\Windows\\System32\\drivers\\x.sys"},
      {L"SysWOW64\\drivers\\x.sys", L"C:\\Windows\\SysWOW64\\drivers\\x.sys"},
      {L"\\??\\C:\\Temp\\x.sys", L"C:\\Temp\\x.sys"},
      {L"C:\\Drivers\\X.sys", L"c:\\drivers\\x.sys"},
      {L"\\SystemRoot\\\\SystemRoot\\x.sys", L"C:\\Windows\\x.sys"},
      {L"\\??\\", L""},
      {L"\\systemroot\\\\systemroot", L"C:\\Windows\\"},  // shorter than the cut: nothing past the end
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeDriverPath(c.in), c.out) << c.in;
}

TEST(PathRules, SplitRegistryPathAndRootNames) {
  auto parts = SplitRegistryPath(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Run");
  EXPECT_EQ(parts.rootName, L"HKEY_LOCAL_MACHINE");
  EXPECT_EQ(parts.subkey, L"SOFTWARE\\Microsoft\\Run");
  parts = SplitRegistryPath(L"NoBackslash");
  EXPECT_EQ(parts.rootName, L"");
  EXPECT_EQ(parts.subkey, L"NoBackslash");
  parts = SplitRegistryPath(L"HKEY_CURRENT_USER\\");
  EXPECT_EQ(parts.subkey, L"");

  EXPECT_EQ(RegistryRootFromName(L"HKEY_CLASSES_ROOT"), RegistryRoot::ClassesRoot);
  EXPECT_EQ(RegistryRootFromName(L"HKEY_CURRENT_USER"), RegistryRoot::CurrentUser);
  EXPECT_EQ(RegistryRootFromName(L"HKEY_USERS"), RegistryRoot::Users);
  for (const wchar_t* other : {L"HKEY_LOCAL_MACHINE", L"hkey_current_user", L"", L"HKCU"}) {
    EXPECT_EQ(RegistryRootFromName(other), RegistryRoot::LocalMachine) << other;
  }
  EXPECT_EQ(FolderOfPath(L"C:\\a\\b.exe"), L"C:\\a");
  EXPECT_EQ(FolderOfPath(L"b.exe"), L"");
}
