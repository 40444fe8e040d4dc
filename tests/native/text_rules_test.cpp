#include "common/text/text_rules.h"

#include <gtest/gtest.h>

using namespace text;

TEST(TextRules, LowerAZTouchesOnlyAsciiCapitals) {
  EXPECT_EQ(LowerAZ(L"C:\\Program Files\\ÄÖ 驱动 XYZ"), L"c:\\program files\\ÄÖ 驱动 xyz");
}

TEST(TextRules, ContainsAndContainsAfterStart) {
  struct Case {
    const wchar_t* text;
    const wchar_t* fragment;
    bool contains;
    bool afterStart;
  } cases[] = {
      {L"c:\\temp\\x", L"\\temp\\", true, true},
      {L"\\temp\\x", L"\\temp\\", true, false},
      // The first occurrence decides: at index 0 it does not count, even if another follows.
      {L"\\temp\\temp\\", L"\\temp\\", true, false},
      {L"abc", L"abcd", false, false},
      {L"", L"x", false, false},
      {L"abc", L"", true, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Contains(c.text, c.fragment), c.contains) << c.text;
    EXPECT_EQ(ContainsAfterStart(c.text, c.fragment), c.afterStart) << c.text;
  }
}

TEST(TextRules, TrimsAndSplits) {
  EXPECT_EQ(Trim(L" \t x y \u3000\r"), L"x y");
  EXPECT_EQ(Trim(L"  "), L"");
  EXPECT_EQ(TrimChar(L"\"\"a\"b\"", L'"'), L"a\"b");
  EXPECT_EQ(TrimRightChar(L"c:\\x\\\\", L'\\'), L"c:\\x");
  EXPECT_EQ(SplitLines(L"\r\n\r\na\r\n\r\nb\rc\n"), (std::vector<std::wstring>{L"a", L"b", L"c"}));
  EXPECT_TRUE(SplitLines(L"\r\n\n").empty());
}

TEST(TextRules, FromBufferStopsAtCapacity) {
  const wchar_t full[3] = {L'a', L'b', L'c'};  // no terminator
  EXPECT_EQ(FromBuffer(full, 3), L"abc");
  const wchar_t early[4] = {L'a', 0, L'c', 0};
  EXPECT_EQ(FromBuffer(early, 4), L"a");
  EXPECT_EQ(FromBuffer(nullptr, 4), L"");
}

TEST(TextRules, ParseUnsigned) {
  unsigned long v = 99;
  EXPECT_TRUE(ParseUnsigned(L"0", v));
  EXPECT_EQ(v, 0u);
  EXPECT_TRUE(ParseUnsigned(L"4294967295", v));
  EXPECT_EQ(v, 4294967295u);
  for (const wchar_t* bad : {L"", L"-1", L"1 ", L"x", L"99999999999999999999999"}) {
    EXPECT_FALSE(ParseUnsigned(bad, v)) << bad;
  }
}
