// The backup store's records: SHA-256, the manifest's lines with damaged and hand-edited input,
// and the .reg writer and reader with odd input.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "common/text/text_rules.h"
#include "varnex/backup/backup_records.h"
#include "varnex/remediation/log_records.h"

using namespace varnex::remediation;
using namespace varnex::backup;

namespace {

std::vector<unsigned char> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<unsigned char> Utf16(const std::wstring& s) {
  std::vector<unsigned char> b;
  for (wchar_t c : s) {
    b.push_back(static_cast<unsigned char>(c & 0xFF));
    b.push_back(static_cast<unsigned char>((c >> 8) & 0xFF));
  }
  return b;
}

BackupItem ValueItem(int id) {
  BackupItem item;
  item.id = id;
  item.fields = {{L"kind", kKindValue}, {L"time", L"2024-05-01 10:00:00"}, {L"type", L"Run"},
                 {L"name", L"vx\trun%"}, {L"place", L"HKEY_CURRENT_USER\\Software\\Run"}, {L"how", L"删除值"},
                 {L"keypath", L"HKEY_CURRENT_USER\\Software\\Run"}, {L"view", L"64"}, {L"value", L"vx\trun%\r\n"},
                 {L"regtype", L"1"}, {L"reg", L"0001.reg"}, {L"sha256", L"ab"}};
  return item;
}

std::vector<unsigned char> ManifestBytes(const std::vector<std::wstring>& lines) {
  std::wstring text = std::wstring(kManifestHeader) + L"\r\n";
  for (const auto& l : lines) text += l + L"\r\n";
  return text::Utf16LeBytes(text, true);
}

}  // namespace

TEST(BackupSha256, KnownDigests) {
  EXPECT_EQ(Sha256Hex({}), L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex(Bytes("abc")), L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex(Bytes("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            L"248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  std::vector<unsigned char> million(1000000, 'a');
  EXPECT_EQ(Sha256Hex(million), L"cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  // Fed in pieces of odd sizes, the same digest.
  Sha256 pieces;
  for (std::size_t at = 0; at < million.size();) {
    const std::size_t n = std::min<std::size_t>(at % 97 + 1, million.size() - at);
    pieces.Add(million.data() + at, n);
    at += n;
  }
  EXPECT_EQ(pieces.HexDigest(), L"cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(BackupManifest, LinesRoundTripWithTheirOutcomeAndRestore) {
  const BackupItem item = ValueItem(1);
  const auto m = ParseManifest(ManifestBytes({ItemLine(item), ResultLine(1, true), RestoredLine(1, L"2024-05-02 08:00:00")}));
  EXPECT_TRUE(m.headerOk);
  ASSERT_EQ(m.entries.size(), 1u);
  EXPECT_TRUE(m.entries[0].readable) << m.entries[0].problem;
  EXPECT_EQ(m.entries[0].item.id, 1);
  EXPECT_EQ(m.entries[0].item.fields, item.fields);
  EXPECT_EQ(m.entries[0].done, std::optional<bool>(true));
  EXPECT_TRUE(m.entries[0].restored);
  EXPECT_EQ(m.entries[0].restoredTime, L"2024-05-02 08:00:00");
  // Tabs, line breaks and percent signs do not break the line.
  EXPECT_EQ(ItemLine(item).find(L'\r'), std::wstring::npos);
  EXPECT_NE(ItemLine(item).find(L"vx%09run%25%0D%0A"), std::wstring::npos);
}

TEST(BackupManifest, DamagedTruncatedAndEditedLinesAreUnreadableAndTheRestIsRead) {
  const std::wstring good1 = ItemLine(ValueItem(1));
  const std::wstring good2 = ItemLine(ValueItem(2));
  std::wstring edited = ItemLine(ValueItem(3));
  edited.replace(edited.find(L"vx"), 2, L"VX");  // edited by hand: the checksum no longer fits
  BackupItem noKind = ValueItem(4);
  noKind.fields.erase(L"reg");
  BackupItem unknownKind = ValueItem(5);
  unknownKind.fields[L"kind"] = L"magic";
  const std::wstring truncated = good2.substr(0, good2.size() / 2);
  const auto m = ParseManifest(ManifestBytes({good1, edited, truncated, ItemLine(noKind), ItemLine(unknownKind),
                                              L"garbage", L"\tsum=", ResultLine(9, true), RestoredLine(1, L"t"),
                                              good2}));
  ASSERT_EQ(m.entries.size(), 8u);  // the result line of an unknown id is passed over
  int readable = 0;
  for (const auto& e : m.entries) {
    if (e.readable) ++readable;
    else EXPECT_FALSE(e.problem.empty());
  }
  EXPECT_EQ(readable, 2);
  EXPECT_TRUE(m.entries[0].readable);
  EXPECT_TRUE(m.entries[0].restored);
  EXPECT_FALSE(m.entries[1].readable);  // edited
  EXPECT_FALSE(m.entries[2].readable);  // truncated
  EXPECT_FALSE(m.entries[3].readable);  // a field missing
  EXPECT_FALSE(m.entries[4].readable);  // unknown kind
  // Two items with one id: neither can be trusted.
  const auto twice = ParseManifest(ManifestBytes({good1, good1}));
  ASSERT_EQ(twice.entries.size(), 2u);
  EXPECT_FALSE(twice.entries[0].readable);
  EXPECT_FALSE(twice.entries[1].readable);
  // A missing header is noted; the lines are still read.
  auto noHeader = text::Utf16LeBytes(good1 + L"\r\n", true);
  const auto nh = ParseManifest(noHeader);
  EXPECT_FALSE(nh.headerOk);
  ASSERT_EQ(nh.entries.size(), 1u);
  EXPECT_TRUE(nh.entries[0].readable);
}

TEST(BackupManifest, OddBytesNeverCrash) {
  std::mt19937 random(7);
  const auto base = ManifestBytes({ItemLine(ValueItem(1)), ResultLine(1, false), RestoredLine(1, L"x")});
  for (int round = 0; round < 2000; ++round) {
    auto bytes = base;
    const int edits = 1 + static_cast<int>(random() % 8);
    for (int e = 0; e < edits; ++e) {
      const auto at = random() % (bytes.size() + 1);
      switch (random() % 3) {
        case 0: if (at < bytes.size()) bytes[at] = static_cast<unsigned char>(random()); break;
        case 1: bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), static_cast<unsigned char>(random())); break;
        default: bytes.resize(at); break;
      }
    }
    const auto m = ParseManifest(bytes);
    for (const auto& e : m.entries) {
      if (e.readable) EXPECT_FALSE(RequiredFields(e.item.Get(L"kind")).empty());
    }
  }
  EXPECT_TRUE(ParseManifest({}).entries.empty());
  EXPECT_TRUE(ParseManifest({0xFF}).entries.empty());
}

TEST(BackupRegFile, WritesTheRegistryEditorsFormat) {
  std::vector<RegKeyRecord> keys = {
      {L"HKEY_CURRENT_USER\\Software\\Vx", {{L"", 1, Utf16(std::wstring(L"c:\\a \"b\"") + L'\0')},
                                            {L"n", 4, {0x78, 0x56, 0x34, 0x12}},
                                            {L"bin", 3, {0x00, 0xff}},
                                            {L"exp", 2, Utf16(std::wstring(L"%x%") + L'\0')}}},
      {L"HKEY_CURRENT_USER\\Software\\Vx\\Sub", {}},
  };
  EXPECT_EQ(RegFileText(keys),
            L"Windows Registry Editor Version 5.00\r\n\r\n"
            L"[HKEY_CURRENT_USER\\Software\\Vx]\r\n"
            L"@=\"c:\\\\a \\\"b\\\"\"\r\n"
            L"\"n\"=dword:12345678\r\n"
            L"\"bin\"=hex:00,ff\r\n"
            L"\"exp\"=hex(2):25,00,78,00,25,00,00,00\r\n"
            L"\r\n[HKEY_CURRENT_USER\\Software\\Vx\\Sub]\r\n\r\n");
}

TEST(BackupRegFile, EveryTypeAndOddDataComeBackExactly) {
  std::vector<RegKeyRecord> keys = {
      {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vx\\K]ey", {
           {L"sz", 1, Utf16(std::wstring(L"text") + L'\0')},
           {L"sz-no-terminator", 1, Utf16(L"text")},
           {L"sz-odd", 1, {0x41, 0x00, 0x42}},
           {L"sz-inner-nul", 1, Utf16(std::wstring(L"a\0b", 3) + L'\0')},
           {L"sz-line-break", 1, Utf16(std::wstring(L"a\r\nb") + L'\0')},
           {L"sz-empty", 1, {}},
           {L"dword-short", 4, {1, 2}},
           {L"qword", 11, {1, 2, 3, 4, 5, 6, 7, 8}},
           {L"multi", 7, Utf16(std::wstring(L"a\0b\0\0", 5))},
           {L"none", 0, {}},
           {L"big-type", 0x12345, {9}},
           {L"quote\"and\\backslash=", 3, std::vector<unsigned char>(300, 0xab)},
       }},
  };
  const auto text = RegFileText(keys);
  const auto back = ParseRegFile(text);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, keys);
  // The registry editor's own continued hex lines are read too.
  const auto continued = ParseRegFile(L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\X]\r\n"
                                      L"\"b\"=hex:01,02,\\\r\n  03\r\n");
  ASSERT_TRUE(continued.has_value());
  EXPECT_EQ((*continued)[0].values[0].data, (std::vector<unsigned char>{1, 2, 3}));
}

TEST(BackupRegFile, OddInputIsRefusedWithoutCrashing) {
  const wchar_t* bad[] = {
      L"",
      L"REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\n",
      L"Windows Registry Editor Version 5.00\r\n\"v\"=\"before any key\"\r\n",
      L"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\X\r\n",
      L"Windows Registry Editor Version 5.00\r\n[-HKEY_CURRENT_USER\\X]\r\n",
      L"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\X]\r\n\"v\"=-\r\n",
      L"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\X]\r\n\"v\"=dword:123\r\n",
      L"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\X]\r\n\"v\"=hex:1,2\r\n",
      L"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\X]\r\n\"v\"=hex(zz):01\r\n",
      L"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\X]\r\n\"v=\"x\"\r\n",
      L"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\X]\r\n\"v\"=hex:01,\\\r\n",
      L"Windows Registry Editor Version 5.00\r\n[Software\\X]\r\n",
  };
  for (const wchar_t* b : bad) EXPECT_FALSE(ParseRegFile(b).has_value()) << b;

  std::mt19937 random(11);
  const std::wstring base = RegFileText({{L"HKEY_CURRENT_USER\\X", {{L"a", 3, {1, 2, 3}}, {L"", 1, Utf16(L"x\0")}}}});
  for (int round = 0; round < 3000; ++round) {
    std::wstring text = base;
    for (int e = 0; e < 4; ++e) {
      const auto at = random() % (text.size() + 1);
      if (random() % 2 && at < text.size()) {
        text[at] = static_cast<wchar_t>(random() % 0x10000);
      } else {
        text.resize(at);
      }
    }
    const auto parsed = ParseRegFile(text);
    if (parsed) {
      for (const auto& k : *parsed) EXPECT_EQ(k.path.rfind(L"HKEY_", 0), 0u);
    }
  }
}

TEST(BackupNames, TimesAndFolders) {
  EXPECT_EQ(TimeText(2024, 5, 1, 9, 8, 7), L"2024-05-01 09:08:07");
  EXPECT_EQ(RunFolderName(2024, 5, 1, 9, 8, 7), L"20240501-090807");
  BackupItem item = ValueItem(3);
  EXPECT_EQ(RestoreLogRecord(item, L"C:\\p\\备份\\20240501-090807", true, L""),
            L"恢复成功：\tRun\tvx\trun%\t位置：HKEY_CURRENT_USER\\Software\\Run\t备份：C:\\p\\备份\\20240501-090807#3\r\n\r\n");
}
