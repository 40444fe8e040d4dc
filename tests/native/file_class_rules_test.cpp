// Which file classes the file-association scan reports and where it says they sit.
#include "varnex/scanners/file_class_rules.h"

#include <gtest/gtest.h>

using namespace varnex::scanners;

TEST(FileClassRules, WhichClassesAreReported) {
  const FileClassPass root = ClassesRootPass(L"");
  const FileClassPass system = ClassesRootPass(L"SystemFileAssociations");
  const FileClassPass user = UserClassesPass();
  struct Case {
    const FileClassPass& pass;
    const wchar_t* name;
    const wchar_t* command;
    bool reported;
  };
  const Case cases[] = {
      {root, L"txtfile", L"notepad.exe %1", true},
      {root, L"txtfile", L"", false},  // no command directly under the root
      {root, L".txt", L"notepad.exe %1", false},
      {root, L".docx", L"word.exe %1", false},      // five characters: still an extension key
      {root, L".torrent", L"bt.exe %1", true},      // six or more: examined like any class
      {root, L".", L"x.exe", false},
      {root, L"", L"x.exe", true},
      {root, L"exefile", L"\"%1\" %*", false},
      {root, L"ExeFile", L"x.exe", true},           // the names are compared exactly
      {system, L".txt", L"", true},                 // other scopes keep short keys and empty commands
      {system, L"regfile", L"regedit.exe", false},
      {user, L".vx", L"", true},
      {user, L"piffile", L"x.exe", false},
      {user, L"scrfile", L"", false},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    EXPECT_EQ(ShouldReportFileClass(c.pass, c.name, c.command), c.reported) << "case " << i;
  }
}

TEST(FileClassRules, ClassKeys) {
  EXPECT_EQ(FileClassSubkey(ClassesRootPass(L""), L"txtfile"), L"txtfile");
  EXPECT_EQ(FileClassStartPath(ClassesRootPass(L""), L"txtfile"), L"HKEY_CLASSES_ROOT\\txtfile");
  EXPECT_EQ(FileClassStartPath(ClassesRootPass(L"Applications"), L"vx.exe"),
            L"HKEY_CLASSES_ROOT\\Applications\\vx.exe");
  EXPECT_EQ(FileClassSubkey(UserClassesPass(), L"vxfile"), L"Software\\Classes\\vxfile");
  EXPECT_EQ(FileClassStartPath(UserClassesPass(), L"vxfile"), L"HKEY_CURRENT_USER\\Software\\Classes\\vxfile");
}
