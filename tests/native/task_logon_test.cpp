// How a task read back from its XML is registered again.
#include <gtest/gtest.h>

#include "varnex/backup/task_logon_pure.h"

using namespace varnex::backup;
using namespace varnex::backup;

TEST(TaskLogon, ThePrincipalOfTheXmlDecides) {
  struct Case {
    const wchar_t* principal;
    int type;
    const wchar_t* user;
  } cases[] = {
      {L"", 3, L""},
      {L"<UserId>S-1-5-18</UserId>", 5, L"S-1-5-18"},
      {L"<UserId>SYSTEM</UserId>", 5, L"SYSTEM"},
      {L"<UserId>PC\\lee</UserId><LogonType>InteractiveToken</LogonType>", 3, L"PC\\lee"},
      {L"<UserId>PC\\lee</UserId><LogonType>S4U</LogonType>", 2, L"PC\\lee"},
      {L"<UserId>PC\\lee</UserId><LogonType>Password</LogonType>", 3, L"PC\\lee"},
      {L"<UserId> S-1-5-19 </UserId><LogonType>ServiceAccount</LogonType>", 5, L"S-1-5-19"},
      {L"<GroupId>S-1-5-32-545</GroupId>", 4, L"S-1-5-32-545"},
      {L"<UserId>PC\\lee</UserId><LogonType>InteractiveTokenOrPassword</LogonType>", 6, L"PC\\lee"},
      {L"<UserId>unterminated", 3, L""},
  };
  for (const auto& c : cases) {
    const std::wstring xml = std::wstring(L"<Task><Principals><Principal id=\"Author\">") + c.principal +
                             L"</Principal></Principals></Task>";
    const TaskLogon logon = TaskLogonOf(xml);
    EXPECT_EQ(logon.type, c.type) << c.principal;
    EXPECT_EQ(logon.user, c.user) << c.principal;
  }
}
