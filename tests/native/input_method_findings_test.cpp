// The input method Findings built from what the registry and the Text Services Framework list,
// with the file lookups faked, so the profile description can be checked where the framework of
// the test machine gives none.
#include "varnex/scanners/input_method_findings.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace varnex;
using namespace varnex::scanners;

namespace {

struct FakeMachine {
  std::map<std::wstring, std::wstring> servers;  // class identifier -> registered server
  std::vector<Finding> consumed;

  InputMethodSeams Seams() {
    return InputMethodSeams{
        [](const std::wstring& command) { return command.empty() ? command : L"resolved:" + command; },
        [this](const std::wstring& clsid) {
          const auto it = servers.find(clsid);
          return it == servers.end() ? std::wstring() : it->second;
        },
        [](Finding& f) { f.FileDescription = L"desc:" + f.FilePath; },
        [this](Finding f) { consumed.push_back(std::move(f)); }};
  }
};

}  // namespace

TEST(InputMethodFindings, ClassIdFormatKeepsTheThirdGroupLowerCase) {
  struct Case {
    std::uint32_t data1;
    std::uint16_t data2, data3;
    std::array<std::uint8_t, 8> data4;
    const wchar_t* want;
  };
  const Case cases[] = {
      {0x7B2D0005, 0xABCD, 0x4ABC, {0x8A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC1},
       L"{7B2D0005-ABCD-4abc-8A00-0000000000C1}"},
      {0, 0, 0, {}, L"{00000000-0000-0000-0000-000000000000}"},
      {0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
       L"{FFFFFFFF-FFFF-ffff-FFFF-FFFFFFFFFFFF}"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatTextServiceClassId(c.data1, c.data2, c.data3, c.data4), c.want);
}

TEST(InputMethodFindings, ImeLayout) {
  FakeMachine machine;
  const Finding f = ImeLayoutFinding(L"E0200804", L"VxPinyin.ime", L"Vx 拼音", machine.Seams());
  Finding want;
  want.Name = L"E0200804";
  want.BinPath = L"VxPinyin.ime";
  want.FilePath = L"resolved:VxPinyin.ime";
  want.FileDescription = L"desc:resolved:VxPinyin.ime";
  want.Type = L"IMM32";
  want.StartPath = L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\E0200804";
  want.Descrip = L"Vx 拼音";
  EXPECT_EQ(f, want);
}

TEST(InputMethodFindings, TextServiceProfiles) {
  FakeMachine machine;
  const std::wstring served = L"{7B2D0005-0000-4abc-8000-0000000000C1}";
  const std::wstring unserved = L"{7B2D0005-0000-4abc-8000-0000000000C2}";
  machine.servers[served] = L"%ProgramFiles%\\Vx\\VxTip.dll";
  // Two profiles of one service, each with its own description; a description that cannot be
  // read gives an empty one; a class without a server is still reported.
  std::vector<TextServiceProfile> listed = {
      {served, L"Vx 五笔"}, {served, L"Vx 拼音"}, {served, std::nullopt}, {unserved, L"Vx 无服务"}};
  std::size_t next = 0;
  ScanTextServiceProfiles(
      [&]() -> std::optional<TextServiceProfile> {
        if (next == listed.size()) return std::nullopt;
        return listed[next++];
      },
      machine.Seams());

  ASSERT_EQ(machine.consumed.size(), listed.size());
  const wchar_t* descriptions[] = {L"Vx 五笔", L"Vx 拼音", L"", L"Vx 无服务"};
  for (std::size_t i = 0; i < listed.size(); ++i) {
    const Finding& f = machine.consumed[i];
    const bool hasServer = listed[i].classId == served;
    EXPECT_EQ(f.Name, listed[i].classId);
    EXPECT_EQ(f.StartPath, L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\CTF\\TIP\\" + listed[i].classId);
    EXPECT_EQ(f.BinPath, hasServer ? L"%ProgramFiles%\\Vx\\VxTip.dll" : L"");
    EXPECT_EQ(f.FilePath, hasServer ? L"resolved:%ProgramFiles%\\Vx\\VxTip.dll" : L"");
    EXPECT_EQ(f.FileDescription, L"desc:" + f.FilePath);
    EXPECT_EQ(f.Descrip, descriptions[i]);
    EXPECT_EQ(f.Type, L"TSF");
    EXPECT_TRUE(f.Id.empty() && f.MatchMethod.empty() && f.Company.empty());
  }
}
