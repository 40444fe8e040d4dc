#include "varnex/identity/match_lists.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace varnex {
namespace {

RuleData Lists() {
  RuleData rules;
  rules.SignList = {L"corporation", L"abc", L"abc tech", L"维纳"};
  rules.FolderList = {L"\\temp\\", L"\\junk bundle\\", L"\\junk\\"};
  rules.WhitePathList = {L"\\trusted tools\\", L"c:\\keep\\this.exe"};
  rules.AppDataKeyList = {L"toolbar helper", L"pusher", L"any product"};
  rules.AppDataValueList = {L"junkbar", L"pushapp", L""};
  return rules;
}

TEST(MatchListsTest, SignListFindsTheFirstEntryInListOrder) {
  const RuleData rules = Lists();
  struct Case {
    const wchar_t* vendor;
    std::optional<std::wstring> entry;
  } cases[] = {
      {L"ABC Tech Ltd", L"abc"},                 // first in order, not the longest
      {L"Microsoft Corporation", std::nullopt},  // never a system vendor, whatever the list says
      {L"MICROSOFT Windows Publisher abc", std::nullopt},
      {L"Some Corporation", L"corporation"},
      {L"深圳维纳软件", L"维纳"},
      {L"", std::nullopt},
      {L"Unknown Vendor", std::nullopt},
      {L"ＡＢＣ", std::nullopt},  // full-width letters are not folded
  };
  for (const auto& c : cases) EXPECT_EQ(MatchSignList(rules, c.vendor), c.entry) << c.vendor;
  EXPECT_EQ(MatchSignList(RuleData{}, L"ABC Tech"), std::nullopt);
}

TEST(MatchListsTest, FolderListAndWhitePathsMatchFragmentsOfThePreparedPath) {
  const RuleData rules = Lists();
  struct Case {
    const wchar_t* path;
    std::optional<std::wstring> folderEntry;
    bool white;
  } cases[] = {
      {L"C:\\Users\\a\\AppData\\Local\\Temp\\x.exe", L"\\temp\\", false},
      {L"C:/Program Files/Junk Bundle/x.exe", L"\\junk bundle\\", false},  // "/" read as "\"
      {L"D:\\JUNK\\TEMP\\x.exe", L"\\temp\\", false},                       // list order, not path order
      {L"C:\\Junkyard\\x.exe", std::nullopt, false},
      {L"C:\\Trusted Tools\\Junk\\x.exe", L"\\junk\\", true},
      {L"c:/KEEP/This.EXE", std::nullopt, true},
      {L"C:\\KEEP\\This.EXE.bak", std::nullopt, true},  // a fragment, not a whole path
      {L"C:\\KEEP\\Thİs.exe", std::nullopt, false},      // only A-Z fold
      {L"", std::nullopt, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchFolderList(rules, c.path), c.folderEntry) << c.path;
    EXPECT_EQ(IsWhitePath(rules, c.path), c.white) << c.path;
  }
  EXPECT_EQ(MatchFolderList(RuleData{}, L"C:\\temp\\x.exe"), std::nullopt);
  EXPECT_FALSE(IsWhitePath(RuleData{}, L"C:\\x.exe"));
}

TEST(MatchListsTest, AppDataPairNeedsBothHalvesOfOnePair) {
  const RuleData rules = Lists();
  struct Case {
    const wchar_t* description;
    const wchar_t* product;
    bool match;
  } cases[] = {
      {L"The Toolbar Helper Module", L"JunkBar 2", true},
      {L"Toolbar Helper", L"PushApp", false},  // description of pair 1, product of pair 2
      {L"Pusher Service", L"pushapp", true},
      {L"Any Product updater", L"x", true},  // an empty product fragment matches any product text
      {L"Any Product updater", L"", false},  // but not an empty one
      {L"", L"JunkBar", false},
      {L"Unrelated", L"JunkBar", false},
  };
  for (const auto& c : cases) EXPECT_EQ(MatchAppDataPair(rules, c.description, c.product), c.match) << c.description;
  RuleData noPairs;
  EXPECT_FALSE(MatchAppDataPair(noPairs, L"Toolbar Helper", L"JunkBar"));
  // Lists of unequal length (never made by the loader) are walked only as far as both reach.
  RuleData uneven;
  uneven.AppDataKeyList = {L"a", L"toolbar"};
  uneven.AppDataValueList = {L"zz"};
  EXPECT_FALSE(MatchAppDataPair(uneven, L"toolbar", L"junk"));
}

}  // namespace
}  // namespace varnex
