#include "varnex/rules/rule_parser.h"

#include <gtest/gtest.h>

#include <set>

using namespace varnex;

namespace {

// A rule file as it lies on disk: the mark FF FE, then UTF-16LE text.
std::vector<std::uint8_t> FileBytes(const std::wstring& text, bool mark = true) {
  std::vector<std::uint8_t> bytes;
  if (mark) bytes = {0xFF, 0xFE};
  for (wchar_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
  }
  return bytes;
}

std::vector<std::wstring> Lines(const std::wstring& text, std::size_t limit = 65536, bool mark = true) {
  const auto bytes = FileBytes(text, mark);
  return ParseRuleLines(bytes.data(), bytes.size(), limit);
}

RuleData Apply(RuleFileKind kind, const std::wstring& text, const RuleLineEnv& env = {}) {
  RuleData rules;
  ApplyLineRule(kind, Lines(text, SpecOf(kind).byteLimit), env, rules);
  return rules;
}

using List = std::vector<std::wstring>;

}  // namespace

TEST(RuleParser, LinesSplitTrimAndStop) {
  struct Case {
    const wchar_t* name;
    std::wstring text;
    List lines;
  } cases[] = {
      {L"empty lines vanish, blanks trimmed", L"Foo\r\n\r\n  Bar \t\r\nx", {L"Foo", L"Bar", L"x"}},
      {L"a line of blanks ends the file", L"one\r\n \t \r\ntwo", {L"one"}},
      {L"a 0 character ends the file", std::wstring(L"a1\r\nb2") + L'\0' + L"\r\nc3", {L"a1", L"b2"}},
      {L"LF only and CR only", L"a\nb\rc", {L"a", L"b", L"c"}},
      {L"leading separators", L"\r\n\r\nq", {L"q"}},
      {L"empty file", L"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Lines(c.text), c.lines) << c.name;
}

TEST(RuleParser, ByteLimitsOddSizesAndMissingMark) {
  // The limit counts bytes after the mark; the line cut by it still counts.
  EXPECT_EQ(Lines(L"abcdef\r\nghij", 8), (List{L"abcd"}));
  EXPECT_EQ(Lines(L"ab\r\ncdef", 10), (List{L"ab", L"c"}));
  // Without a mark the first character is lost.
  EXPECT_EQ(Lines(L"Foo\r\nBar", 100, false), (List{L"oo", L"Bar"}));
  // Shorter than 2 bytes, exactly the mark, and an odd trailing byte.
  const std::uint8_t one[] = {0xFF};
  EXPECT_TRUE(ParseRuleLines(one, 1, 100).empty());
  EXPECT_TRUE(ParseRuleLines(one, 0, 100).empty());
  EXPECT_TRUE(ParseRuleLines(nullptr, 10, 100).empty());
  auto odd = FileBytes(L"ab");
  odd.push_back(0x41);
  EXPECT_EQ(ParseRuleLines(odd.data(), odd.size(), 100), (List{L"ab"}));
  // Far beyond the limit: only the limit is read.
  std::wstring big;
  for (int i = 0; i < 40000; ++i) big += L"vendor" + std::to_wstring(i) + L"\r\n";
  const auto lines = Lines(big, 65536);
  EXPECT_FALSE(lines.empty());
  std::size_t chars = 0;
  for (const auto& l : lines) chars += l.size() + 2;
  EXPECT_LE(chars, 32768u + 2);
}

TEST(RuleParser, LineRulesPerFile) {
  EXPECT_EQ(Apply(RuleFileKind::Sign, L"Foo\r\n\r\n Bar \r\nx").SignList, (List{L"foo", L"bar"}));
  EXPECT_EQ(Apply(RuleFileKind::Sign, L"Foo\r\n   \r\nBar").SignList, (List{L"foo"}));
  EXPECT_EQ(Apply(RuleFileKind::WhitePath, L"C:\\Program Files\\Safe\r\nq").WhitePathList,
            (List{L"c:\\program files\\safe"}));

  const RuleLineEnv env{[](const std::wstring& in, std::wstring& out) {
                          const std::wstring var = L"%ProgramFiles%";
                          out = in.rfind(var, 0) == 0 ? L"C:\\Program Files" + in.substr(var.size()) : in;
                          return true;
                        },
                        nullptr};
  EXPECT_EQ(Apply(RuleFileKind::ScanPath, L"%ProgramFiles%\\Junk\r\nC:\\A\\%ProgramFiles%\r\nZ", env).ScanPathList,
            (List{L"C:\\Program Files\\Junk", L"C:\\A\\%ProgramFiles%"}));
  EXPECT_EQ(Apply(RuleFileKind::ExcludePath, L"C:\\Games\\Junk\\\\\r\n%ProgramFiles%\\Junk\\", env).ExcludePathList,
            (List{L"c:\\games\\junk", L"c:\\program files\\junk"}));
  // A failed expansion keeps the line.
  const RuleLineEnv failing{[](const std::wstring&, std::wstring&) { return false; }, nullptr};
  EXPECT_EQ(Apply(RuleFileKind::ScanPath, L"%NOPE%\\x", failing).ScanPathList, (List{L"%NOPE%\\x"}));

  const RuleData appData = Apply(RuleFileKind::AppDataInfo, L"abc:defg\r\n:abcdefg\r\na:bcde\r\nKey: Value:2");
  EXPECT_EQ(appData.AppDataKeyList, (List{L"abc", L"key"}));
  EXPECT_EQ(appData.AppDataValueList, (List{L"defg", L" value:2"}));
}

TEST(RuleParser, FolderRule) {
  const std::set<std::wstring> existing = {L"C:\\Users\\Public\\", L"C:\\Users\\bob\\"};
  const RuleLineEnv env{nullptr, [&](const std::wstring& p) { return existing.count(p) > 0; }};
  const RuleData rules = Apply(RuleFileKind::Folder,
                               L"\\JunkSoft\\\r\n"
                               L"JunkSoft\\\r\n"
                               L"\\JunkSoft\r\n"
                               L"\\Windows\\Junk\\\r\n"
                               L"\\a\\\\b\\\r\n"
                               L"\\x\\Drivers\\\r\n"
                               L"\\x\\system32\\y\\\r\n"
                               L"\\SysWOW64\\\r\n"
                               L"\\Public\\\r\n"
                               L"\\bob\\\r\n"
                               L"\\Tools\\Ad Helper\\\r\n",
                               env);
  EXPECT_EQ(rules.FolderList, (List{L"\\junksoft\\", L"\\tools\\ad helper\\"}));
}

TEST(RuleParser, SpecsAndGuards) {
  EXPECT_EQ(SpecOf(RuleFileKind::Sign).byteLimit, 65536u);
  EXPECT_EQ(SpecOf(RuleFileKind::WhitePath).byteLimit, 8192u);
  EXPECT_EQ(SpecOf(RuleFileKind::ScanPath).byteLimit, 4096u);
  EXPECT_EQ(SpecOf(RuleFileKind::WhitePath).missingMessage, nullptr);
  EXPECT_EQ(std::wstring(SpecOf(RuleFileKind::Folder).relativePath), L"\\data\\folder.txt");

  RuleData rules;
  EXPECT_FALSE(ListAlreadyFilled(RuleFileKind::AppDataInfo, rules));
  rules.AppDataValueList.push_back(L"x");
  EXPECT_TRUE(ListAlreadyFilled(RuleFileKind::AppDataInfo, rules));

  EXPECT_TRUE(IsInTemporaryFolder(L"C:\\Users\\bob\\AppData\\Local\\TEMP\\rar$1\\data\\sign.txt"));
  EXPECT_FALSE(IsInTemporaryFolder(L"\\temp\\data\\sign.txt"));
  EXPECT_FALSE(IsInTemporaryFolder(L"C:\\Tools\\Temporary\\data\\sign.txt"));
}
