#include "varnex/ui/view_texts.h"

#include <gtest/gtest.h>

using namespace varnex::ui;

TEST(ViewTexts, ProtectedRowsAndCountText) {
  EXPECT_TRUE(IsProtectedItem(L"", L"疑似驱动木马"));
  EXPECT_TRUE(IsProtectedItem(L"可疑厂商", L""));
  EXPECT_FALSE(IsProtectedItem(L"驱动木马", L"可疑"));  // each label counts only in its own column
  EXPECT_EQ(SelectionCountText(4), L"选中4个项目");
  EXPECT_EQ(SelectionCountText(0), L"选中0个项目");
}

TEST(ViewTexts, DetailTextsByteForByte) {
  EXPECT_EQ(DetailText(L"进程", L"1234", L"签名规则", L"567", L"\"C:\\x.exe\" -a"),
            L"进程PID： 1234\t匹配原因：签名规则\r\n父进程PID： 567\r\n启动参数： \"C:\\x.exe\" -a");
  EXPECT_EQ(DetailText(L"Run", L"desc", L"rule", L"HKEY_CURRENT_USER\\Run", L"bin"),
            L"描述： desc\t匹配原因：rule\r\n启动项路径： HKEY_CURRENT_USER\\Run\r\n启动参数： bin");
  // Only the exact Type "进程" gets the PID labels.
  EXPECT_EQ(DetailText(L"进程 ", L"", L"", L"", L"").rfind(L"描述： ", 0), 0u);
}

TEST(ViewTexts, RowAfterKey) {
  constexpr unsigned up = 0x26, down = 0x28, other = 0x41;
  struct Case {
    int selected, rows;
    unsigned key;
    int expected;
  } cases[] = {
      {2, 5, down, 3}, {4, 5, down, 4},  // down on the last row stays there
      {2, 5, up, 1},   {0, 5, up, 0},    // up on row 0 stays there
      {2, 5, other, 2}, {-1, 5, down, 0}, {-1, 5, up, -1}, {-1, 5, other, -1}, {-1, 0, down, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RowAfterKey(c.selected, c.rows, c.key), c.expected) << c.selected << " " << c.key;
  }
}
