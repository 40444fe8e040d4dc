// The command line of the restore window.
#include <gtest/gtest.h>

#include "varnex/ui/restore_command.h"

TEST(RestoreCommand, OnlyTheWholeSwitchOpensTheRestoreWindow) {
  for (const wchar_t* yes : {L"/restore", L"/RESTORE", L"  /Restore  ", L"\"/restore\"", L"-restore"}) {
    EXPECT_TRUE(varnex::IsRestoreCommandLine(yes)) << yes;
  }
  // A path that merely contains the word is a target folder; other words are other modes.
  for (const wchar_t* no : {L"", L"restore", L"c:\\restore\\x.exe", L"/restore delsrv", L"delsrv", L"/restorex"}) {
    EXPECT_FALSE(varnex::IsRestoreCommandLine(no)) << no;
  }
}
