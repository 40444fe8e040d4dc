// The folders a folder rule's rename offer must never touch, and the free backup names.
#include <gtest/gtest.h>

#include <cwctype>
#include <set>

#include "varnex/remediation/file_names.h"

using namespace varnex::remediation;

namespace {

SystemFolders Typical() {
  SystemFolders s;
  s.windows = L"C:\\Windows";
  s.programFiles = {L"C:\\Program Files", L"C:\\Program Files (x86)"};
  s.programData = L"C:\\ProgramData";
  s.users = L"C:\\Users";
  s.profile = L"C:\\Users\\Lee";
  return s;
}

std::wstring Mixed(std::wstring s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    s[i] = static_cast<wchar_t>(i % 2 ? std::towlower(s[i]) : std::towupper(s[i]));
  }
  return s;
}

}  // namespace

TEST(RemovalFolderGuard, SystemAndProfileFoldersAreProtectedInAnyLetterCase) {
  const wchar_t* protectedFolders[] = {
      L"c:", L"c:\\", L"d:\\", L"\\\\server\\share", L"\\\\server\\share\\",
      L"c:\\windows", L"c:\\windows\\temp", L"c:\\windows\\system32", L"c:\\windows\\syswow64",
      L"c:\\windows\\system32\\drivers", L"c:\\windows\\syswow64\\config", L"c:\\windows\\sysnative\\tasks",
      L"c:\\windows\\winsxs", L"c:\\windows\\fonts",
      L"c:\\program files", L"c:\\program files (x86)", L"c:\\program files\\common files",
      L"c:\\program files (x86)\\common files", L"c:\\programdata", L"c:\\programdata\\microsoft",
      L"c:\\users", L"c:\\users\\lee", L"c:\\users\\public", L"c:\\users\\default", L"c:\\users\\lee\\desktop",
      L"c:\\users\\lee\\appdata", L"c:\\users\\lee\\appdata\\local", L"c:\\users\\lee\\appdata\\roaming",
      L"c:\\users\\lee\\appdata\\locallow", L"c:\\users\\lee\\documents", L"c:\\users\\lee\\downloads",
      L"c:\\users\\other\\downloads", L"c:\\users\\lee\\appdata\\local\\temp", L"c:\\users\\lee\\appdata\\roaming\\microsoft",
      L"d:\\windows", L"d:\\users\\x\\desktop", L"c:\\documents and settings\\lee\\desktop",
      L"\\\\?\\c:\\windows\\temp", L"c:/windows/temp", L"c:\\windows\\temp\\", L"c:\\$recycle.bin",
      L"c:\\system volume information", L"",
  };
  for (const wchar_t* f : protectedFolders) {
    EXPECT_TRUE(IsProtectedFolder(f, Typical())) << f;
    EXPECT_TRUE(IsProtectedFolder(Mixed(f), Typical())) << Mixed(f);
    EXPECT_TRUE(IsProtectedFolder(f, SystemFolders{})) << f << " (no system answers)";
  }
  const wchar_t* ordinary[] = {
      L"c:\\program files\\toolname", L"c:\\program files (x86)\\vendor\\tool", L"c:\\programdata\\toolname",
      L"c:\\users\\lee\\appdata\\roaming\\toolname", L"c:\\users\\lee\\appdata\\local\\temp\\setup1",
      L"c:\\users\\lee\\desktop\\junk", L"c:\\tools\\foo", L"d:\\games\\x", L"c:\\windows\\temp\\sub",
      L"c:\\program files\\common files\\toolname", L"\\\\server\\share\\tool",
  };
  for (const wchar_t* f : ordinary) {
    EXPECT_FALSE(IsProtectedFolder(f, Typical())) << f;
    EXPECT_FALSE(IsProtectedFolder(Mixed(f), Typical())) << Mixed(f);
  }
}

TEST(RemovalFolderGuard, TheSystemsOwnFoldersCountWhereverTheyLie) {
  SystemFolders s;
  s.windows = L"E:\\WinNT\\";
  s.programFiles = {L"E:\\Apps"};
  s.programData = L"E:\\Shared";
  s.users = L"F:\\Home";
  s.profile = L"G:\\Profiles\\lee";
  for (const wchar_t* f : {L"e:\\winnt", L"e:\\winnt\\temp", L"e:\\winnt\\system32\\drivers", L"e:\\apps",
                           L"e:\\apps\\common files", L"e:\\shared", L"f:\\home\\x", L"f:\\home\\x\\appdata\\local",
                           L"g:\\profiles\\lee", L"g:\\profiles\\lee\\desktop", L"g:\\profiles\\lee\\appdata\\roaming"}) {
    EXPECT_TRUE(IsProtectedFolder(f, s)) << f;
  }
  for (const wchar_t* f : {L"e:\\winnt\\temp\\x", L"e:\\apps\\tool", L"g:\\profiles\\lee\\appdata\\roaming\\tool"}) {
    EXPECT_FALSE(IsProtectedFolder(f, s)) << f;
  }
}

// "\temp\" matching c:\windows\temp names a protected folder: the offer falls back to the file.
TEST(RemovalFolderGuard, TheTempRuleAgainstTheWindowsTempFolder) {
  const auto folder = FolderForRule(L"c:\\windows\\temp\\evil.exe", L"\\temp\\");
  ASSERT_TRUE(folder.has_value());
  EXPECT_EQ(*folder, L"c:\\windows\\temp");
  EXPECT_TRUE(IsProtectedFolder(*folder, Typical()));
}

TEST(RemovalFolderGuard, AnEarlierBackupIsKeptAndTheNextFreeNameTaken) {
  std::set<std::wstring> taken;
  auto exists = [&taken](const std::wstring& p) { return taken.count(p) != 0; };
  EXPECT_EQ(FreeFolderBackupPath(L"c:\\tool", exists), L"c:\\tool_bak");
  taken.insert(L"c:\\tool_bak");
  EXPECT_EQ(FreeFolderBackupPath(L"c:\\tool", exists), L"c:\\tool_bak2");
  taken.insert(L"c:\\tool_bak2");
  taken.insert(L"c:\\tool_bak3");
  EXPECT_EQ(FreeFolderBackupPath(L"c:\\tool", exists), L"c:\\tool_bak4");
  EXPECT_EQ(FreeFolderBackupPath(L"c:\\tool", [](const std::wstring&) { return true; }), L"");
}
