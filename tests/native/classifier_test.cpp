#include "varnex/identity/classifier.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace varnex {
namespace {

constexpr const wchar_t* kAlert = L"Varnex (发现疑似推装病毒疯花木马！)";
constexpr const wchar_t* kAdvice =
    L" 建议处理后用360急救箱强力模式两遍，或手动删除相关文件：Windows\\Temp\\~.cache或Windows下形如fce4c9d6031b363d的目录";
constexpr const wchar_t* kCommandRule = L"检查可疑的cmd、powershell、regsvr32、explorer、vbs文件启动项";

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

// The file system and registry of the cases, keyed by exact path or name.
class TableSystem : public IClassifierSystem {
 public:
  std::wstring CompanyName(const std::wstring& path) override {
    ++companyQueries;
    const auto it = companies.find(path);
    return it == companies.end() ? L"" : it->second;
  }
  std::optional<std::uint64_t> FileSize(const std::wstring& path) override {
    const auto it = sizes.find(path);
    if (it == sizes.end()) return std::nullopt;
    return it->second;
  }
  bool FolderHasSingleEntry(const std::wstring& folder) override { return singleEntryFolders.count(folder) > 0; }
  std::wstring ServiceWrapperCommand(const std::wstring& name) override {
    const auto it = wrapperCommands.find(name);
    return it == wrapperCommands.end() ? L" " : it->second;
  }

  int companyQueries = 0;
  std::map<std::wstring, std::wstring> companies = {
      {L"C:\\Program Files\\AdSoft\\ad.exe", L"  ADSOFT Network Inc \t"},
      {L"C:\\Windows\\System32\\cmd.exe", L"Microsoft Corporation"},
  };
  std::map<std::wstring, std::uint64_t> sizes = {
      {L"C:\\Users\\bob\\AppData\\Roaming\\Empty\\e.exe", 0},
      {L"C:\\Users\\bob\\AppData\\Roaming\\One\\o.exe", 1},
  };
  std::set<std::wstring> singleEntryFolders = {
      L"C:\\Users\\bob\\AppData\\Roaming\\Lone\\",
      L"C:\\Windows\\System32\\abcd\\",
      L"C:\\Windows\\System32\\config\\abcd\\",
      L"C:\\Windows\\System32\\GoodSvc\\",
  };
  std::map<std::wstring, std::wstring> wrapperCommands = {
      {L"botsvc", L"C:\\x\\run.exe payloadMZ\x90"},
      {L"mzfirst", L"MZ\x90 payload"},
      {L"plainsvc", L"C:\\x\\tool.exe -run"},
      {L"nssmbot", L"C:\\x\\PowerShell.exe -enc AAAA"},
      {L"nssmok", L"C:\\x\\node.exe app.js"},
  };
};

RuleData CaseLists() {
  RuleData rules;
  rules.SignList = {L"双竞", L"adsoft"};
  rules.FolderList = {L"\\temp\\", L"\\junkbundle\\"};
  rules.AppDataKeyList = {L"toolbar helper"};
  rules.AppDataValueList = {L"junkbar"};
  rules.WhitePathList = {L"\\trustedtools\\", L"\\system32\\goodsvc\\"};
  return rules;
}

struct Case {
  const char* what;
  Finding in;
  bool posted;
  std::function<void(Finding&)> change = nullptr;  // what the rules write into the posted copy
  bool alert = false;
  bool targetFolderMode = false;
};

Finding Item(const wchar_t* type, const wchar_t* path, const wchar_t* company = L"", const wchar_t* description = L"",
             const wchar_t* product = L"", const wchar_t* binPath = L"", const wchar_t* name = L"item") {
  Finding f;
  f.Name = name;
  f.FilePath = path;
  f.Company = company;
  f.FileDescription = description;
  f.ProductName = product;
  f.Type = type;
  f.BinPath = binPath;
  f.Descrip = L"4242";
  return f;
}

auto Method(const wchar_t* method) {
  return [method](Finding& f) { f.MatchMethod = method; };
}
auto Labelled(const wchar_t* company, const wchar_t* method) {
  return [company, method](Finding& f) {
    f.Company = company;
    f.MatchMethod = method;
  };
}
auto DriverTrojan(const wchar_t* method) {
  return [method](Finding& f) {
    f.FileDescription = f.ProductName = f.Type = L"驱动木马";
    f.MatchMethod = method;
  };
}
Finding Run(const wchar_t* command, const wchar_t* path = L"C:\\Tools\\x.exe") {
  return Item(L"Run", path, L"Some Signer", L"", L"", command);
}

std::vector<Case> Cases() {
  return {
      // Preparation and rule 1
      {"the generic open command is never posted", Item(L"文件关联", L"C:\\JunkBundle\\a.exe", L"", L"", L"", L"\"%1\" %*"), false},
      {"folder list", Item(L"进程", L"C:\\JunkBundle\\a.exe"), true, Method(L"\\junkbundle\\")},
      {"folder list with forward slashes", Item(L"工具栏", L"C:/JunkBundle/a.dll"), true, Method(L"\\junkbundle\\")},
      {"rescue tool in temp stops at rule 1",
       Item(L"Run", L"C:\\Users\\bob\\AppData\\Local\\Temp\\kvrt.exe", L"", L"", L"Kaspersky Virus Removal Tool",
            L"cmd /c kvrt.exe"),
       false},
      {"second rescue tool in temp", Item(L"进程", L"C:\\Temp\\hr.exe", L"", L"", L"Huorong Internet Security"), false},
      {"other program in temp", Item(L"进程", L"C:\\Temp\\x.exe", L"", L"", L"Other"), true, Method(L"\\temp\\")},
      // Rule 2
      {"driver of a driver-trojan vendor", Item(L"驱动", L"C:\\Windows\\x.sys", L"北京双竞科技有限公司"), true,
       DriverTrojan(L"双竞")},
      {"service of a driver-trojan vendor keeps its fields", Item(L"服务", L"C:\\x\\s.exe", L"北京双竞科技有限公司"), true,
       Method(L"双竞")},
      {"listed driver vendor that is not a trojan vendor", Item(L"驱动", L"C:\\x\\d.sys", L"AdSoft Ltd"), true,
       Method(L"adsoft")},
      {"vendor from the version resource, trimmed", Item(L"进程", L"C:\\Program Files\\AdSoft\\ad.exe"), true,
       [](Finding& f) {
         f.Company = L"ADSOFT Network Inc";
         f.MatchMethod = L"adsoft";
       }},
      // Rule 3
      {"driver name equal to a trojan name", Item(L"驱动", L"C:\\x\\a.sys", L"Signer", L"", L"", L"", L"MSPCI"), true,
       DriverTrojan(L"常见木马服务名规则")},
      {"driver name only containing a short trojan name",
       Item(L"驱动", L"C:\\x\\a.sys", L"Signer", L"", L"", L"", L"mspci2"), false},
      {"driver name containing a long trojan name",
       Item(L"驱动", L"C:\\x\\a.sys", L"Signer", L"", L"", L"", L"abcdwndevx"), true,
       DriverTrojan(L"常见木马服务名规则")},
      {"driver matching nothing, even without identity", Item(L"驱动", L"C:\\ProgramData\\x\\a.sys"), false},
      // Rule 4
      {"ProgramData without identity", Item(L"计划任务", L"C:\\ProgramData\\x\\y.exe", L"", L"", L"", L"cmd /c y"),
       true, Labelled(L"疑似木马的可疑程序", L"无文件说明的可疑程序")},
      {"ProgramData with a description", Item(L"进程", L"C:\\ProgramData\\x\\y.exe", L"", L"Y"), false},
      // Rule 5a
      {"user-folder program judged by the updater test alone",
       Item(L"Run", L"C:\\Users\\bob\\x.exe", L"Signer", L"", L"", L"cmd.exe /c start x"), false},
      {"side-loading updater in a user folder",
       Item(L"计划任务", L"C:\\Users\\bob\\tu.exe", L"Signer", L"TrueUpdate Client", L"x TrueUpdate Client"), true,
       Labelled(L"疑似木马的可疑程序", L"白加黑木马特征匹配")},
      {"updater test needs both strings",
       Item(L"Run", L"C:\\ProgramData\\tu.exe", L"Signer", L"TrueUpdate Client", L"Other"), false},
      // Rule 5b
      {"cmd /c", Run(L"cmd.exe /c start x"), true, Labelled(L"可疑命令启动项", kCommandRule)},
      {"cmd switch at index 0", Run(L"/c start cmd"), false},
      {"hidden PowerShell turning off SMB1 is exempt", Run(L"powershell -windowstyle hidden -c DisableUnusedSmb1"), false},
      {"hidden PowerShell", Run(L"powershell -w hidden -c x"), true, Labelled(L"可疑命令启动项", kCommandRule)},
      {"bypass PowerShell", Run(L"PowerShell -ExecutionPolicy Bypass -File x.ps1"), true,
       Labelled(L"可疑命令启动项", kCommandRule)},
      {"PowerShell switch at index 0 goes on to the browser pattern",
       Run(L"hidden powershell DisableUnusedSmb1 explorer https://x"), true, Labelled(L"可疑命令启动项", kCommandRule)},
      {"PowerShell switch at index 0 alone", Run(L"hidden powershell x"), false},
      {"regsvr32 /s", Run(L"regsvr32 /s x.dll"), true, Labelled(L"可疑命令启动项", kCommandRule)},
      {"regsvr32 without /s", Run(L"regsvr32 x.dll"), false},
      {"explorer with an address", Run(L"explorer.exe http://ad.example"), true, Labelled(L"可疑命令启动项", kCommandRule)},
      {"script host with a script", Run(L"wscript.exe C:\\x\\a.vbs"), true, Labelled(L"可疑命令启动项", kCommandRule)},
      {"script without a host", Run(L"C:\\x\\a.vbs"), false},
      {"script name at index 0", Run(L".vbs cscript"), false},
      {"wmic process creation", Run(L"wmic process call create \"x.exe\""), true, Labelled(L"可疑命令启动项", kCommandRule)},
      {"wmic without create", Run(L"wmic process call terminate"), false},
      {"mshta with an .hta", Run(L"mshta http://x/a.hta"), true, Labelled(L"可疑命令启动项", kCommandRule)},
      {"mshta with a script: address", Run(L"mshta vbscript:Execute(x)"), true, Labelled(L"可疑命令启动项", kCommandRule)},
      {"mshta alone", Run(L"mshta.exe"), false},
      {"system signer does not shield a command", Item(L"Run", L"C:\\Windows\\System32\\cmd.exe", L"", L"", L"", L"cmd /c x"),
       true, Labelled(L"可疑命令启动项", kCommandRule)},
      {"harmless startup value", Run(L"C:\\Tools\\x.exe -tray"), false},
      // The other startup places are judged like Run values
      {"hidden PowerShell in a logon value",
       Item(L"Winlogon", L"C:\\Windows\\System32\\powershell.exe", L"Some Signer", L"", L"",
            L"C:\\Windows\\system32\\userinit.exe,powershell.exe -windowstyle hidden -ExecutionPolicy Bypass -File x.ps1"),
       true, Labelled(L"可疑命令启动项", kCommandRule)},
      {"debugger that runs cmd /c", Item(L"映像劫持", L"C:\\Windows\\System32\\cmd.exe", L"Some Signer", L"", L"",
                                       L"cmd.exe /c start C:\\x\\a.exe", L"sethc.exe"),
       true, Labelled(L"可疑命令启动项", kCommandRule)},
      {"Startup-folder shortcut to a script host",
       Item(L"启动文件夹", L"C:\\Windows\\System32\\wscript.exe", L"Some Signer", L"", L"",
            L"C:\\Windows\\System32\\wscript.exe C:\\x\\a.vbs", L"a.lnk"),
       true, Labelled(L"可疑命令启动项", kCommandRule)},
      {"Startup-folder program in a user folder is judged by the updater test alone",
       Item(L"启动文件夹", L"C:\\Users\\bob\\x.exe", L"Some Signer", L"", L"", L"cmd.exe /c start x"), false},
      {"plain debugger program", Item(L"映像劫持", L"C:\\Tools\\dbg.exe", L"Some Signer", L"", L"", L"C:\\Tools\\dbg.exe"),
       false},
      {"Startup-folder program of a listed vendor", Item(L"启动文件夹", L"C:\\x\\a.exe", L"AdSoft Ltd"), true,
       Method(L"adsoft")},
      {"startup-place label in another letter case is no startup item",
       Item(L"winlogon", L"C:\\Tools\\x.exe", L"Some Signer", L"", L"", L"cmd.exe /c start x"), false},
      // Rules 6 and 7
      {"IE11 helper object", Item(L"BHO插件", L"C:\\Users\\bob\\AppData\\Local\\IE11.dll", L"", L"IE"), true,
       Labelled(L"可疑IE BHO插件", L"帮你淘IE BHO路径")},
      {"desktop weather", Item(L"服务", L"C:\\x\\w.exe", L"Tele Co", L"桌面特效显示功能模块", L"桌面3D动态天气"), true,
       Method(L"电信服务项匹配")},
      // Rule 8b
      {"AppData description pair",
       Item(L"进程", L"C:\\Users\\bob\\AppData\\Roaming\\J\\j.exe", L"", L"Toolbar Helper", L"JunkBar"), true,
       Labelled(L"疑似广告插件", L"文件描述匹配")},
      {"AppData file of 0 bytes without identity", Item(L"服务", L"C:\\Users\\bob\\AppData\\Roaming\\Empty\\e.exe"), false},
      {"AppData file of 1 byte without identity", Item(L"服务", L"C:\\Users\\bob\\AppData\\Roaming\\One\\o.exe", L"", L" ", L"\t"),
       true, Labelled(L"无文件说明的可疑程序", L"无描述文件匹配")},
      {"AppData file whose size cannot be read", Item(L"服务", L"C:\\Users\\bob\\AppData\\Roaming\\Gone\\g.exe"), false},
      {"AppData helper service", Item(L"服务", L"C:\\Users\\bob\\AppData\\Roaming\\H\\h.exe", L"", L" 辅助程序 ", L"P"), true,
       Labelled(L"无产品名称的可疑服务程序", L"多特服务特征匹配")},
      {"AppData single-file service", Item(L"服务", L"C:\\Users\\bob\\AppData\\Roaming\\Lone\\l.exe", L"", L"L", L"P"), true,
       Labelled(L"单文件可疑服务", L"单文件服务匹配")},
      {"AppData service among other files", Item(L"服务", L"C:\\Users\\bob\\AppData\\Roaming\\Many\\m.exe", L"", L"M", L"P"),
       false},
      {"AppData process with identity", Item(L"进程", L"C:\\Users\\bob\\AppData\\Roaming\\Lone\\l.exe", L"", L"L", L"P"), false},
      // Rule 8c
      {"overlay without identity", Item(L"图标覆盖", L"C:\\x\\o.dll", L"", L" ", L""), true,
       Labelled(L"无文件说明的可疑程序", L"无描述dll文件匹配")},
      {"overlay with a description", Item(L"图标覆盖", L"C:\\x\\o.dll", L"", L"Overlay"), false},
      // Rule 8d
      {"srvany wrapping a program image", Item(L"服务", L"C:\\x\\srvany.exe", L"", L"S", L"", L"", L"botsvc"), true,
       [](Finding& f) {
         f.BinPath = L"C:\\x\\run.exe payloadMZ\x90";
         Labelled(L"祸乱 僵尸网络病毒", L"祸乱僵尸网络病毒特征匹配")(f);
       }},
      {"srvany whose command begins with MZ", Item(L"服务", L"C:\\x\\srvany.exe", L"", L"", L"", L"", L"mzfirst"), false},
      {"srvany with a plain command", Item(L"服务", L"C:\\x\\srvany.exe", L"", L"", L"", L"", L"plainsvc"), false},
      {"nssm starting PowerShell", Item(L"服务", L"C:\\x\\nssm.exe", L"", L"", L"", L"", L"nssmbot"), true,
       [](Finding& f) {
         f.BinPath = L"C:\\x\\PowerShell.exe -enc AAAA";
         Labelled(L"疑似匿影僵尸网络病毒", L"匿影僵尸网络病毒特征匹配")(f);
       }},
      {"nssm starting something else", Item(L"服务", L"C:\\x\\nssm.exe", L"", L"", L"", L"", L"nssmok"), false},
      {"Program Files service without identity", Item(L"服务", L"C:\\Program Files\\V\\v.exe", L"", L"  ", L""), true,
       Labelled(L"无文件说明的可疑服务程序", L"应用程序目录可疑服务特征匹配")},
      {"Program Files service with identity", Item(L"服务", L"C:\\Program Files\\V\\v.exe", L"", L"V"), false},
      {"single-file service under system32", Item(L"服务", L"C:\\Windows\\System32\\abcd\\x.dll"), true,
       Labelled(L"疑似推装病毒服务", L"疯花木马服务特征匹配"), true},
      {"single-file service under the system32 config folder", Item(L"服务", L"C:\\Windows\\System32\\config\\abcd\\x.dll"),
       false},
      {"system32 service among other files", Item(L"服务", L"C:\\Windows\\System32\\x.dll"), false},
      {"system32 single-file service with blank identity", Item(L"服务", L"C:\\Windows\\System32\\abcd\\x.dll", L"", L" "),
       false},
      {"unsigned item of another kind", Item(L"右键菜单项", L"C:\\x\\y.dll"), false},
      {"empty item", Finding{}, false},
      {"AppData service named with forward slashes only", Item(L"服务", L"C:/Users/bob/AppData/x.exe", L"", L"D", L"P"),
       false},
      // Rule 9
      {"fake svchost", Item(L"进程", L"C:\\Windows\\System32\\svch0st.exe", L"Fake", L"Host Process for Windows Services"),
       true,
       [](Finding& f) {
         f.Company = L"疑似推装病毒进程";
         f.Descrip = std::wstring(L"4242") + kAdvice;
         f.MatchMethod = L"疯花病毒进程特征1匹配";
       },
       true},
      {"the real svchost", Item(L"进程", L"C:\\Windows\\System32\\svchost.exe", L"Microsoft Windows",
                                L"Host Process for Windows Services"),
       false},
      {"fake svchost with the Chinese description",
       Item(L"进程", L"D:\\Windows\\System32\\x.exe", L"Fake", L"Windows 服务主进程"), true,
       [](Finding& f) {
         f.Company = L"疑似推装病毒进程";
         f.Descrip = std::wstring(L"4242") + kAdvice;
         f.MatchMethod = L"疯花病毒进程特征1匹配";
       },
       true},
      {"fake svchost and fake msdt at once",
       Item(L"进程", L"C:\\Windows\\System32\\x.exe", L"Fake",
            L"Generic Host Process for Win32 Services / Diagnostics Troubleshooting Wizard"),
       true,
       [](Finding& f) {
         f.Company = L"疑似推装病毒进程";
         f.Descrip = std::wstring(L"4242") + kAdvice + kAdvice;
         f.MatchMethod = L"疯花病毒进程特征2匹配";
       },
       true},
      {"fake msdt in SysWOW64", Item(L"进程", L"C:\\Windows\\SysWOW64\\msdt0.exe", L"Fake", L"Diagnostics Troubleshooting Wizard"),
       true,
       [](Finding& f) {
         f.Company = L"疑似推装病毒进程";
         f.Descrip = std::wstring(L"4242") + kAdvice;
         f.MatchMethod = L"疯花病毒进程特征2匹配";
       },
       true},
      {"the real msdt", Item(L"进程", L"C:\\Windows\\SysWOW64\\msdt.exe", L"M", L"Diagnostics Troubleshooting Wizard"), false},
      {"fake svchost that is not a process",
       Item(L"服务", L"C:\\Windows\\System32\\svch0st.exe", L"Fake", L"Host Process for Windows Services"), false},
      {"ordinary signed process", Item(L"进程", L"C:\\Tools\\t.exe", L"Signer", L"Tool"), false},
      // Target-folder mode: rules 1 to 7 only
      {"target mode, folder list", Item(L"进程", L"C:\\JunkBundle\\a.exe"), true, Method(L"\\junkbundle\\"), false, true},
      {"target mode, vendor list", Item(L"进程", L"C:\\x\\a.exe", L"AdSoft"), true, Method(L"adsoft"), false, true},
      {"target mode, startup command", Run(L"cmd /c x"), true, Labelled(L"可疑命令启动项", kCommandRule), false, true},
      {"target mode, AppData without identity", Item(L"服务", L"C:\\Users\\bob\\AppData\\Roaming\\One\\o.exe"), false,
       nullptr, false, true},
      {"target mode, system32 single-file service", Item(L"服务", L"C:\\Windows\\System32\\abcd\\x.dll"), false, nullptr,
       false, true},
      {"target mode, fake svchost",
       Item(L"进程", L"C:\\Windows\\System32\\svch0st.exe", L"Fake", L"Host Process for Windows Services"), false, nullptr,
       false, true},
      // Whitelist
      {"whitelisted folder-list item", Item(L"进程", L"C:\\JunkBundle\\TrustedTools\\a.exe"), false},
      {"whitelisted system32 service still raises the alert", Item(L"服务", L"C:\\Windows\\System32\\GoodSvc\\x.dll"), false,
       nullptr, true},
      {"whitelisted fake svchost still raises the alert",
       Item(L"进程", L"C:\\Windows\\System32\\TrustedTools\\svch0st.exe", L"Fake", L"Host Process for Windows Services"),
       false, nullptr, true},
      {"whitelisted driver trojan", Item(L"驱动", L"C:\\TrustedTools\\a.sys", L"Signer", L"", L"", L"", L"mspnp"), false},
  };
}

TEST(ClassifierTest, RulesPostLabelAndDropAsTheTableSays) {
  const auto rules = std::make_shared<const RuleData>(CaseLists());
  for (const auto& c : Cases()) {
    auto state = std::make_shared<ScanState>();
    state->TargetFolderMode = c.targetFolderMode;
    auto window = std::make_shared<RecordingWindow>();
    Classifier classifier(state, rules, window, std::make_shared<TableSystem>());
    classifier.Classify(c.in);

    SCOPED_TRACE(c.what);
    if (c.posted) {
      Finding expected = c.in;
      if (c.change) c.change(expected);
      ASSERT_EQ(window->posted.size(), 1u);
      EXPECT_EQ(window->posted[0], expected) << "got Company=" << testing::PrintToString(window->posted[0].Company)
                                             << " MatchMethod=" << testing::PrintToString(window->posted[0].MatchMethod);
    } else {
      EXPECT_TRUE(window->posted.empty());
    }
    // The alert may be raised twice (both process tests firing), never anything else.
    EXPECT_EQ(!window->titles.empty(), c.alert);
    for (const auto& title : window->titles) EXPECT_EQ(title, kAlert);
  }
}

// An item completed with its version block's company is judged by that text: the file is not asked
// again, whatever it would answer now; an item without it is asked as before.
TEST(ClassifierTest, CompanyReadWithTheItemIsNotReadAgain) {
  const auto rules = std::make_shared<const RuleData>(CaseLists());
  const std::wstring adPath = L"C:\\Program Files\\AdSoft\\ad.exe";
  struct Case {
    const char* what;
    std::wstring path;
    std::optional<std::wstring> versionCompany;
    const wchar_t* postedCompany;  // nullptr: not posted with a vendor label
    int queries;
  } cases[] = {
      {"company kept with the item", L"C:\\Tools\\other.exe", L" ADSOFT Network Inc ", L"ADSOFT Network Inc", 0},
      {"empty company kept with the item", adPath, L"", nullptr, 0},
      {"no company kept: asked", adPath, std::nullopt, L"ADSOFT Network Inc", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto system = std::make_shared<TableSystem>();
    auto window = std::make_shared<RecordingWindow>();
    Classifier classifier(std::make_shared<ScanState>(), rules, window, system);
    Finding f;
    f.Type = L"Run";
    f.Name = L"item";
    f.FilePath = c.path;
    f.FileDescription = L"Some tool";
    f.ProductName = L"Some tool";
    f.VersionCompany = c.versionCompany;
    classifier.Classify(f);
    EXPECT_EQ(system->companyQueries, c.queries);
    const bool labelled = window->posted.size() == 1 && window->posted[0].MatchMethod == L"adsoft";
    EXPECT_EQ(labelled, c.postedCompany != nullptr);
    if (labelled) {
      EXPECT_EQ(window->posted[0].Company, c.postedCompany);
      EXPECT_EQ(window->posted[0].VersionCompany, std::nullopt);
    }
  }
}

}  // namespace
}  // namespace varnex
