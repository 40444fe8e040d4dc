// Finding completion, the service-wrapper command and the Classifier's answers from the real file
// system and registry; and the shipped rule files as the loader reads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/text/text_rules.h"
#include "test_support.h"
#include "varnex/identity/classifier.h"
#include "varnex/identity/fill_identity.h"
#include "varnex/identity/service_wrapper.h"
#include "varnex/rules/rule_loader.h"
#include "varnex/scanners/startup_entries.h"

using namespace varnex;
using namespace testing_support;

namespace {

std::wstring Fixture(const std::wstring& name) { return TestProgramFolder() + L"\\fixtures\\" + name; }

const std::wstring kServices = L"SYSTEM\\CurrentControlSet\\services\\";

std::vector<unsigned char> Bytes(const std::wstring& s, bool terminator) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.c_str());
  return std::vector<unsigned char>(p, p + (s.size() + (terminator ? 1 : 0)) * sizeof(wchar_t));
}

class RecordingWindow : public IScanWindow {
 public:
  void PostFinding(const Finding& finding) override { posted.push_back(finding); }
  void SetStatusText(const std::wstring&) override {}
  void SetTitle(const std::wstring& text) override { titles.push_back(text); }
  void SetActionButtonText(const std::wstring&) override {}
  void EnableRescanButton(bool) override {}
  std::vector<Finding> posted;
  std::vector<std::wstring> titles;
};

}  // namespace

TEST(FillIdentity, OverwritesSignerAndVersionStringsFromTheFile) {
  TempFolder folder(L"vxident");
  struct Case {
    std::wstring path;
    const wchar_t* company;
    const wchar_t* description;
    const wchar_t* product;
  } cases[] = {
      {Fixture(L"vendor_a.dll"), L"Vx Junk Vendor Ltd", L"Vendor A 辅助组件", L"Vendor A 产品"},
      // Unsigned: the version resource's company does not take the signer's place.
      {Fixture(L"fallback.dll"), L"", L"English description", L"日本語製品"},
      {folder.File(L"missing.exe"), L"", L"文件不存在", L"文件不存在"},
      {folder.File(L"no such folder\\missing.exe"), L"", L"", L""},
  };
  for (const auto& c : cases) {
    Finding f;
    f.FilePath = c.path;
    f.Company = L"scanner's company";
    f.FileDescription = L"scanner's description";
    f.ProductName = L"scanner's product";
    f.Name = L"kept";
    FillIdentity(f);
    EXPECT_EQ(f.Company, c.company) << c.path;
    EXPECT_EQ(f.FileDescription, c.description) << c.path;
    EXPECT_EQ(f.ProductName, c.product) << c.path;
    EXPECT_EQ(f.Name, L"kept");
  }
}

// A version block whose strings all stand under a fall-back identifier: the one read of the item
// gives its description and product, and keeps its company for the Classifier, which labels the
// unsigned file with it.
TEST(FillIdentity, BlockWithOnlyTheFallbackTranslation) {
  Finding f;
  f.Type = L"Run";
  f.Name = L"item";
  f.FilePath = Fixture(L"fallback_only.dll");
  FillIdentity(f);
  EXPECT_EQ(f.Company, L"");
  EXPECT_EQ(f.FileDescription, L"Fallback-only description");
  EXPECT_EQ(f.ProductName, L"回退产品");
  EXPECT_EQ(f.VersionCompany, std::optional<std::wstring>(L"回退专用公司"));

  auto rules = std::make_shared<RuleData>();
  rules->SignList = {L"回退专用"};
  auto window = std::make_shared<RecordingWindow>();
  Classifier(std::make_shared<ScanState>(), rules, window).Classify(f);
  ASSERT_EQ(window->posted.size(), 1u);
  EXPECT_EQ(window->posted[0].Company, L"回退专用公司");
  EXPECT_EQ(window->posted[0].MatchMethod, L"回退专用");
  EXPECT_EQ(window->posted[0].VersionCompany, std::nullopt);

  // A signed file: the signer is the company, and nothing is kept for a fall-back.
  Finding signedItem;
  signedItem.FilePath = Fixture(L"vendor_a.dll");
  signedItem.VersionCompany = L"stale";
  FillIdentity(signedItem);
  EXPECT_EQ(signedItem.Company, L"Vx Junk Vendor Ltd");
  EXPECT_EQ(signedItem.VersionCompany, std::nullopt);
}

// Two Run values name the same file, which is replaced by another one between the two items of
// the scan: each item shows the file as it was when that item was completed, the Classifier's
// company fall-back included.
TEST(FillIdentity, EachItemOfAScanReadsTheFileAsItIsThen) {
  TempFolder folder(L"vxidchange");
  const std::wstring path = folder.File(L"tool.dll");
  ASSERT_TRUE(::CopyFileW(Fixture(L"fallback.dll").c_str(), path.c_str(), FALSE));
  const std::wstring runKey = L"Software\\VxIdentityChangeTest";
  TestRegistryKey key(HKEY_CURRENT_USER, runKey);
  key.SetString(L"first", path);
  key.SetString(L"second", path);

  auto rules = std::make_shared<RuleData>();
  rules->SignList = {L"fallback co", L"回退专用"};
  auto window = std::make_shared<RecordingWindow>();
  const Classifier classifier(std::make_shared<ScanState>(), rules, window);
  std::vector<Finding> handed;
  scanners::ScanRunKeys({L"HKEY_CURRENT_USER\\" + runKey}, L"Run", [](Finding& f) { FillIdentity(f); },
                        [&](Finding f) {
                          handed.push_back(f);
                          classifier.Classify(std::move(f));
                          if (handed.size() == 1) {
                            ASSERT_TRUE(::CopyFileW(Fixture(L"fallback_only.dll").c_str(), path.c_str(), FALSE));
                          }
                        });
  ASSERT_EQ(handed.size(), 2u);
  EXPECT_EQ(handed[0].FileDescription, L"English description");
  EXPECT_EQ(handed[0].ProductName, L"日本語製品");
  EXPECT_EQ(handed[1].FileDescription, L"Fallback-only description");
  EXPECT_EQ(handed[1].ProductName, L"回退产品");
  ASSERT_EQ(window->posted.size(), 2u);
  EXPECT_EQ(window->posted[0].Company, L"Fallback Co");
  EXPECT_EQ(window->posted[0].MatchMethod, L"fallback co");
  EXPECT_EQ(window->posted[1].Company, L"回退专用公司");
  EXPECT_EQ(window->posted[1].MatchMethod, L"回退专用");
}

TEST(ServiceWrapperCommand, JoinsApplicationAndParametersAsRead) {
  const std::wstring full261(261, L'a');
  struct Value {
    const wchar_t* name;
    DWORD type;
    std::vector<unsigned char> data;
  };
  struct Case {
    const char* what;
    std::vector<Value> values;
    std::wstring expected;
  } cases[] = {
      {"both values", {{L"Application", REG_SZ, Bytes(L"C:\\w\\run.exe", true)},
                       {L"AppParameters", REG_SZ, Bytes(L"-x MZ", true)}}, L"C:\\w\\run.exe -x MZ"},
      {"application only", {{L"Application", REG_SZ, Bytes(L"C:\\w\\run.exe", true)}}, L"C:\\w\\run.exe "},
      {"key without values", {}, L" "},
      {"empty application", {{L"Application", REG_SZ, Bytes(L"", true)}, {L"AppParameters", REG_SZ, Bytes(L"p", true)}},
       L" p"},
      {"expandable text stays unexpanded", {{L"Application", REG_EXPAND_SZ, Bytes(L"%SystemRoot%\\x.exe", true)}},
       L"%SystemRoot%\\x.exe "},
      {"binary data read as text", {{L"AppParameters", REG_BINARY, Bytes(L"MZpayload", false)}}, L" MZpayload"},
      {"a number read as its bytes", {{L"AppParameters", REG_DWORD, {'M', 0, 'Z', 0}}}, L" MZ"},
      {"odd byte count", {{L"Application", REG_BINARY, {'a', 0, 'b'}}}, L"a "},
      // Binary data here, as Wine reports an unterminated string one terminator longer than stored.
      {"data filling the buffer without terminator", {{L"Application", REG_BINARY, Bytes(full261, false)}},
       full261 + L" "},
      {"text of 260 characters and its terminator", {{L"Application", REG_SZ, Bytes(std::wstring(260, L'b'), true)}},
       std::wstring(260, L'b') + L" "},
      {"data one character too long", {{L"Application", REG_BINARY, Bytes(full261, true)}}, L" "},
  };
  for (const auto& c : cases) {
    TestRegistryKey service(HKEY_LOCAL_MACHINE, kServices + L"vxwraptest");
    TestRegistryKey parameters(HKEY_LOCAL_MACHINE, kServices + L"vxwraptest\\Parameters");
    for (const auto& v : c.values) parameters.SetBinary(v.name, v.data, v.type);
    EXPECT_EQ(GetServiceWrapperCommand(L"vxwraptest"), c.expected) << c.what;
  }
  EXPECT_EQ(GetServiceWrapperCommand(L"vxwraptest_absent"), L" ");
  EXPECT_EQ(GetServiceWrapperCommand(L""), L" ");
  {
    // A name with a backslash must not lead the read into another service's key.
    TestRegistryKey other(HKEY_LOCAL_MACHINE, kServices + L"vxwrapother");
    TestRegistryKey nested(HKEY_LOCAL_MACHINE, kServices + L"vxwrapother\\x\\Parameters");
    nested.SetString(L"Application", L"C:\\hidden.exe");
    EXPECT_EQ(GetServiceWrapperCommand(L"vxwrapother\\x"), L" ");
  }
}

TEST(ClassifierOnTheSystem, AnswersFromRealFilesFoldersAndKeys) {
  TempFolder root(L"vxclassify");
  const std::wstring appData = root.File(L"AppData");
  for (const wchar_t* sub : {L"", L"\\Two", L"\\Lone", L"\\Crowd"}) {
    ASSERT_TRUE(::CreateDirectoryW((appData + sub).c_str(), nullptr));
  }
  ASSERT_TRUE(WriteBytes(appData + L"\\Two\\empty.exe", {}));
  ASSERT_TRUE(WriteBytes(appData + L"\\Two\\one.exe", {'x'}));
  ASSERT_TRUE(WriteBytes(appData + L"\\Lone\\svc.exe", {'x', 'y'}));
  ASSERT_TRUE(WriteBytes(appData + L"\\Crowd\\svc.exe", {'x', 'y'}));
  ASSERT_TRUE(WriteBytes(appData + L"\\Crowd\\other.dat", {'z'}));
  ASSERT_TRUE(WriteBytes(root.File(L"srvany.exe"), {'x'}));
  TestRegistryKey service(HKEY_LOCAL_MACHINE, kServices + L"vxwrapbot");
  TestRegistryKey parameters(HKEY_LOCAL_MACHINE, kServices + L"vxwrapbot\\Parameters");
  parameters.SetString(L"Application", L"C:\\w\\run.exe");
  parameters.SetString(L"AppParameters", L"payloadMZ");

  auto rules = std::make_shared<RuleData>();
  rules->SignList = {L"fallback co"};
  auto state = std::make_shared<ScanState>();

  auto item = [](const wchar_t* type, const std::wstring& path, const wchar_t* description = L"",
                 const wchar_t* name = L"item") {
    Finding f;
    f.Type = type;
    f.FilePath = path;
    f.FileDescription = description;
    f.ProductName = description;
    f.Name = name;
    return f;
  };
  struct Case {
    const char* what;
    Finding in;
    const wchar_t* company;  // nullptr: not posted
    const wchar_t* method;
    std::wstring binPath;
  } cases[] = {
      {"vendor from the version resource", item(L"进程", Fixture(L"fallback.dll"), L"Fallback"), L"Fallback Co",
       L"fallback co", L""},
      {"AppData file of 0 bytes", item(L"服务", appData + L"\\Two\\empty.exe"), nullptr, nullptr, L""},
      {"AppData file of 1 byte", item(L"服务", appData + L"\\Two\\one.exe"), L"无文件说明的可疑程序", L"无描述文件匹配", L""},
      {"AppData file whose folder is gone", item(L"服务", appData + L"\\Gone\\gone.exe"), nullptr, nullptr, L""},
      {"AppData service alone in its folder", item(L"服务", appData + L"\\Lone\\svc.exe", L"Svc"), L"单文件可疑服务",
       L"单文件服务匹配", L""},
      {"AppData service among other files", item(L"服务", appData + L"\\Crowd\\svc.exe", L"Svc"), nullptr, nullptr, L""},
      {"wrapper service carrying a program image", item(L"服务", root.File(L"srvany.exe"), L"", L"vxwrapbot"),
       L"祸乱 僵尸网络病毒", L"祸乱僵尸网络病毒特征匹配", L"C:\\w\\run.exe payloadMZ"},
  };
  for (const auto& c : cases) {
    auto window = std::make_shared<RecordingWindow>();
    Classifier classifier(state, rules, window);
    classifier.Classify(c.in);
    if (c.company == nullptr) {
      EXPECT_TRUE(window->posted.empty()) << c.what;
      continue;
    }
    ASSERT_EQ(window->posted.size(), 1u) << c.what;
    EXPECT_EQ(window->posted[0].Company, c.company) << c.what;
    EXPECT_EQ(window->posted[0].MatchMethod, c.method) << c.what;
    if (!c.binPath.empty()) {
      EXPECT_EQ(window->posted[0].BinPath, c.binPath) << c.what;
    }
  }
}

// The shipped data folder: every file loads without a message, and every line of its source is
// kept by the file's line rule (nothing a maintainer wrote is silently dropped).
TEST(ShippedRuleFiles, LoadCompletelyWithoutMessages) {
  std::wstring sourceDir = L"Z:" + text::FromBuffer(VX_SOURCE_DIR, 4096);
  for (auto& ch : sourceDir) {
    if (ch == L'/') ch = L'\\';
  }
  std::vector<std::wstring> messages;
  const RuleLoadContext context{sourceDir, [&messages](const std::wstring& m) { messages.push_back(m); }};
  RuleData rules;
  LoadScanPaths(context, rules);
  LoadExcludePaths(context, rules);
  LoadSignList(context, rules);
  LoadFolderList(context, rules);
  LoadAppDataInfo(context, rules);
  LoadWhitePaths(context, rules);
  EXPECT_TRUE(messages.empty());

  auto sourceLines = [&sourceDir](const wchar_t* name) {
    std::ifstream in(std::filesystem::path(sourceDir + L"\\data\\src\\" + name), std::ios::binary);
    const std::string utf8((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::wstring wide(utf8.size(), L'\0');
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                        static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n : 0);
    return text::SplitLines(wide);
  };
  auto lowered = [](std::vector<std::wstring> lines) {
    for (auto& l : lines) l = text::LowerAZ(text::Trim(l));
    return lines;
  };
  const auto sign = sourceLines(L"sign.txt");
  ASSERT_FALSE(sign.empty());
  EXPECT_EQ(rules.SignList, lowered(sign));
  EXPECT_EQ(rules.FolderList, lowered(sourceLines(L"folder.txt")));
  EXPECT_EQ(rules.WhitePathList, lowered(sourceLines(L"whitepath.txt")));
  const auto pairs = lowered(sourceLines(L"appdatainfo.txt"));
  ASSERT_EQ(rules.AppDataKeyList.size(), pairs.size());
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    EXPECT_EQ(rules.AppDataKeyList[i] + L":" + rules.AppDataValueList[i], pairs[i]);
  }
  EXPECT_EQ(rules.ScanPathList.size(), sourceLines(L"scanpath.txt").size());
  for (const auto& p : rules.ScanPathList) EXPECT_EQ(p.find(L'%'), std::wstring::npos) << p;  // all expanded
  EXPECT_EQ(rules.ExcludePathList, lowered(sourceLines(L"excludepath.txt")));
}
