// The removal logs' names and records, and the names the file actions move things to.
#include <gtest/gtest.h>

#include <set>

#include "common/text/text_rules.h"
#include "common/winaccess/path_rules.h"
#include "varnex/remediation/file_names.h"
#include "varnex/remediation/log_records.h"

using namespace varnex::remediation;

TEST(RemovalLogRecords, NamesAndLayouts) {
  EXPECT_EQ(LogFileName(L"C:\\vx\\", 2026, 3, 7, LogKind::Removal), L"C:\\vx\\20260307_Varnex.log");
  EXPECT_EQ(LogFileName(L"C:\\vx\\", 2026, 12, 31, LogKind::AssocClsid), L"C:\\vx\\20261231_ASSOC_CLSID.log");
  EXPECT_EQ(LogFileName(L"C:\\vx\\", 999, 1, 1, LogKind::DelFile), L"C:\\vx\\09990101_DelFile.log");

  EXPECT_EQ(MainLogRecord(L"svc", L"服务", L"bin", L"C:\\a.exe", L"HKEY_LOCAL_MACHINE\\S", L"Co", L"D", L"P", L"rule"),
            L"服务启动项：\tsvc\t匹配原因：rule\r\n启动路径：\tHKEY_LOCAL_MACHINE\\S\r\n启动参数：\tbin\r\n"
            L"文件路径：\tC:\\a.exe\r\n描述：\tCo\tD\tP\r\n\r\n");
  // Empty identity fields still give the description line with its three tabs.
  EXPECT_EQ(MainLogRecord(L"", L"Run", L"", L"", L"", L"", L"", L"", L""),
            L"Run启动项：\t\t匹配原因：\r\n启动路径：\t\r\n启动参数：\t\r\n文件路径：\t\r\n描述：\t\t\t\r\n\r\n");
  EXPECT_EQ(MainLogRecord(L"x.sys", L"驱动木马", L"", L"C:\\x.sys", L"", L"", L"", L"", L"m", L"D:\\x.sys(2).隔离"),
            L"驱动木马启动项：\tx.sys\t匹配原因：m\r\n启动路径：\t\r\n启动参数：\t\r\n文件路径：\tC:\\x.sys\r\n"
            L"隔离文件：\tD:\\x.sys(2).隔离\r\n描述：\t\t\t\r\n\r\n");
  EXPECT_EQ(AssocClsidLogRecord(L"HKEY_CLASSES_ROOT\\CLSID\\{1}", L"C:\\s.dll", L"r"),
            L"HKEY_CLASSES_ROOT\\CLSID\\{1}\t路径：C:\\s.dll\t匹配原因：r\r\n");
  EXPECT_EQ(DelFileLogRecord(L"C:\\f.exe"), L"C:\\f.exe\r\n");

  EXPECT_EQ(text::Utf16LeBytes(L"A隔", true), (std::vector<unsigned char>{0xFF, 0xFE, 0x41, 0x00, 0x94, 0x96}));
  EXPECT_EQ(text::Utf16LeBytes(L"\r\n", false), (std::vector<unsigned char>{0x0D, 0x00, 0x0A, 0x00}));
}

TEST(RemovalFileNames, QuarantineNeverReplacesAnEarlierFile) {
  std::set<std::wstring> taken;
  auto exists = [&](const std::wstring& p) { return taken.count(p) != 0; };
  struct Case {
    const wchar_t* name;
    const wchar_t* filePath;
    const wchar_t* expected;
  } cases[] = {
      {L"mspci.sys", L"C:\\w\\mspci.sys", L"D:\\Desk\\mspci.sys.隔离"},
      {L"..\\..\\evil", L"C:\\w\\a.dll", L"D:\\Desk\\evil.隔离"},    // only the last component counts
      {L"x\\", L"C:\\w\\a.dll", L"D:\\Desk\\a.dll.隔离"},             // no usable name: the file's own
      {L"..", L"C:\\w\\b.dll", L"D:\\Desk\\b.dll.隔离"},
      {L"", L"", L""},
      {L"c:evil", L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(QuarantinePath(L"D:\\Desk", c.name, c.filePath, exists), c.expected) << c.name;

  taken = {L"D:\\Desk\\n.dll.隔离", L"D:\\Desk\\n.dll(2).隔离"};
  EXPECT_EQ(QuarantinePath(L"D:\\Desk", L"n.dll", L"", exists), L"D:\\Desk\\n.dll(3).隔离");
  EXPECT_EQ(QuarantinePath(L"", L"n.dll", L"", exists), L"");
}

TEST(RemovalFileNames, FolderOfARuleAndTaskFolders) {
  struct Case {
    const wchar_t* path;
    const wchar_t* rule;
    const wchar_t* folder;  // nullptr: no folder
  } cases[] = {
      {L"c:\\program files\\toolname\\bin\\t.sys", L"\\toolname\\", L"c:\\program files\\toolname"},
      {L"c:\\toolname\\toolname\\t.sys", L"\\toolname\\", L"c:\\toolname"},  // first occurrence
      {L"c:/program files/toolname/t.sys", L"\\toolname\\", nullptr},        // not in the path
      {L"c:\\program files\\toolname\\t.sys", L"\\toolname", nullptr},        // no closing backslash
      {L"c:\\t.sys", L"c:\\", nullptr},                                       // a drive root
      {L"c:\\t.sys", L"\\", nullptr},
      {L"c:\\t.sys", L"", nullptr},
  };
  for (const auto& c : cases) {
    const auto folder = FolderForRule(c.path, c.rule);
    if (c.folder == nullptr) {
      EXPECT_FALSE(folder.has_value()) << c.path << " " << c.rule;
    } else {
      EXPECT_EQ(folder.value_or(L"?"), c.folder) << c.path;
    }
  }
  EXPECT_EQ(FileBackupPath(L"c:\\a.exe"), L"c:\\a.exe.bak");
  EXPECT_EQ(FolderBackupPath(L"c:\\tool"), L"c:\\tool_bak");
  EXPECT_EQ(TaskFolderOf(L"\\Updater"), L"");
  EXPECT_EQ(TaskFolderOf(L"\\Vendor\\Sub\\Updater"), L"\\Vendor\\Sub");
  EXPECT_EQ(TaskFolderOf(L"Updater"), L"");
}

TEST(FileNames, LongPathsTakeThePrefixForTheFileCalls) {
  const std::wstring deep = L"C:\\" + std::wstring(300, L'a') + L"\\x.dll";
  const std::wstring share = L"\\\\server\\share\\" + std::wstring(300, L'b');
  struct Case {
    std::wstring in, out;
  } cases[] = {
      {L"C:\\short\\x.dll", L"C:\\short\\x.dll"},
      {deep, L"\\\\?\\" + deep},
      {L"\\\\?\\" + deep, L"\\\\?\\" + deep},
      {share, L"\\\\?\\UNC\\" + share.substr(2)},
      {std::wstring(300, L'r'), std::wstring(300, L'r')},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(winaccess::PathForFileCalls(c.in), c.out);
}
