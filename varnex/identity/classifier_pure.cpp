#include "classifier.h"

#include <array>
#include <string_view>
#include <utility>

#include "../../common/text/text_rules.h"
#include "../core/startup_places.h"
#include "command_patterns.h"
#include "match_lists.h"

namespace varnex {
namespace {

using text::Contains;
using text::ContainsAfterStart;

// Signers whose signed drivers are known trojans.
constexpr std::array<std::wstring_view, 8> kDriverTrojanVendors = {
    L"深圳市竞天石",
    L"成都鹭乐魔方科技",
    L"Shanghai Paifang Information Technology",
    L"上海霞安信息科技",
    L"Shanghai Shuteng Software Technology",
    L"Wuhan Secway Network Technology",
    L"上海启思教育科技服务",
    L"北京双竞科技",
};
// Names too short to search inside other names are compared whole.
constexpr std::array<std::wstring_view, 4> kTrojanDriverNamesEqual = {L"mspnp", L"msvga", L"mspci", L"sptcom"};
constexpr std::array<std::wstring_view, 3> kTrojanDriverNamesContained = {L"xzisomont", L"cdwndev", L"tdupdrv1"};

constexpr std::wstring_view kDriverTrojan = L"驱动木马";
constexpr std::wstring_view kFenghuaProcess = L"疑似推装病毒进程";
constexpr std::wstring_view kFenghuaAdvice =
    L" 建议处理后用360急救箱强力模式两遍，或手动删除相关文件：Windows\\Temp\\~.cache或Windows下形如fce4c9d6031b363d的目录";

enum class Outcome { NextRule, Post, Drop };

// One judgement: the Finding being labelled and the working values of its rules.
class Judgement {
 public:
  Judgement(Finding finding, const ScanState& state, const RuleData& rules, IScanWindow& window,
            IClassifierSystem& system)
      : f_(std::move(finding)), state_(state), rules_(rules), window_(window), system_(system) {
    fp_ = text::LowerAZ(f_.FilePath);
    const auto slash = f_.FilePath.rfind(L'\\');
    if (slash != std::wstring::npos) folder_ = f_.FilePath.substr(0, slash + 1);
    bp_ = text::LowerAZ(f_.BinPath);
    fd_ = f_.FileDescription;
    pn_ = f_.ProductName;
  }

  void Run() {
    if (Decide() != Outcome::Post) return;
    if (IsWhitePath(rules_, f_.FilePath)) return;
    f_.VersionCompany.reset();
    window_.PostFinding(f_);
  }

 private:
  Outcome Decide() {
    // The shell's generic open command says nothing about any program.
    if (bp_ == L"\"%1\" %*") return Outcome::Drop;
    // The version block's company as FillIdentity read it for this item, else read now.
    if (f_.Company.empty()) {
      f_.Company = text::Trim(f_.VersionCompany ? *f_.VersionCompany : system_.CompanyName(f_.FilePath));
    }

    for (auto rule : {&Judgement::FolderListRule, &Judgement::VendorListRule, &Judgement::TrojanDriverRule,
                      &Judgement::ProgramDataRule, &Judgement::StartupCommandRule, &Judgement::Ie11HelperRule,
                      &Judgement::DesktopWeatherRule}) {
      const Outcome outcome = (this->*rule)();
      if (outcome != Outcome::NextRule) return outcome;
    }
    return f_.Company.empty() ? NoCompanyRules() : FenghuaProcessRules();
  }

  Outcome PostIfMarked() const { return mark_ ? Outcome::Post : Outcome::Drop; }

  Outcome Label(std::wstring_view company, std::wstring_view method) {
    f_.Company = company;
    f_.MatchMethod = method;
    return Outcome::Post;
  }

  void MarkAsDriverTrojan() {
    f_.FileDescription = kDriverTrojan;
    f_.ProductName = kDriverTrojan;
    f_.Type = kDriverTrojan;
  }

  bool BothTrimmedEmpty() {
    fd_ = text::Trim(fd_);
    pn_ = text::Trim(pn_);
    return fd_.empty() && pn_.empty();
  }

  // Rule 1: the file lies in a folder known from bundleware installs.
  Outcome FolderListRule() {
    const auto entry = MatchFolderList(rules_, f_.FilePath);
    if (!entry) return Outcome::NextRule;
    mark_ = true;
    // Two rescue tools run from the temporary folder by design.
    if (*entry == L"\\temp\\" &&
        (f_.ProductName == L"Kaspersky Virus Removal Tool" || f_.ProductName == L"Huorong Internet Security")) {
      mark_ = false;
    }
    f_.MatchMethod = *entry;
    return PostIfMarked();
  }

  // Rule 2: the signer or vendor is a listed one.
  Outcome VendorListRule() {
    const auto entry = MatchSignList(rules_, f_.Company);
    if (!entry) return Outcome::NextRule;
    f_.MatchMethod = *entry;
    if (f_.Type == L"驱动") {
      for (const auto vendor : kDriverTrojanVendors) {
        if (Contains(f_.Company, vendor)) {
          MarkAsDriverTrojan();
          break;
        }
      }
    }
    return Outcome::Post;
  }

  // Rule 3: drivers are judged by their service name only; no later rule applies to them.
  Outcome TrojanDriverRule() {
    if (f_.Type != L"驱动") return Outcome::NextRule;
    f_.MatchMethod = L"常见木马服务名规则";
    const std::wstring name = text::LowerAZ(f_.Name);
    bool known = false;
    for (const auto n : kTrojanDriverNamesEqual) known = known || name == n;
    for (const auto n : kTrojanDriverNamesContained) known = known || Contains(name, n);
    if (known) {
      mark_ = true;
      MarkAsDriverTrojan();
    }
    return PostIfMarked();
  }

  // Rule 4: a program in ProgramData that says nothing about itself.
  Outcome ProgramDataRule() {
    if (ContainsAfterStart(fp_, L"\\programdata\\") && f_.FileDescription.empty() && f_.Company.empty() &&
        f_.ProductName.empty()) {
      return Label(L"疑似木马的可疑程序", L"无文件说明的可疑程序");
    }
    return Outcome::NextRule;
  }

  // Rule 5: startup values, the other startup places and scheduled tasks.
  Outcome StartupCommandRule() {
    if (f_.Type != L"Run" && f_.Type != L"计划任务" && !IsStartupPlaceType(f_.Type)) return Outcome::NextRule;
    // Programs in user folders are judged by the side-loading updater alone, not by their command.
    if (ContainsAfterStart(fp_, L"\\programdata\\") || ContainsAfterStart(fp_, L"\\users\\")) {
      if (Contains(fd_, L"TrueUpdate Client") && Contains(pn_, L"TrueUpdate Client")) {
        return Label(L"疑似木马的可疑程序", L"白加黑木马特征匹配");
      }
      return Outcome::Drop;
    }
    if (JudgeStartupCommand(bp_) != CommandVerdict::Suspicious) return Outcome::Drop;
    mark_ = true;
    Label(L"可疑命令启动项", L"检查可疑的cmd、powershell、regsvr32、explorer、vbs文件启动项");
    return PostIfMarked();
  }

  // Rule 6: a browser helper object planted as a local IE11 module.
  Outcome Ie11HelperRule() {
    if (f_.Type == L"BHO插件" && ContainsAfterStart(fp_, L"local\\ie11.dll")) {
      return Label(L"可疑IE BHO插件", L"帮你淘IE BHO路径");
    }
    return Outcome::NextRule;
  }

  // Rule 7: the desktop weather module pushed with a telecom service.
  Outcome DesktopWeatherRule() {
    if (f_.FileDescription == L"桌面特效显示功能模块" && f_.ProductName == L"桌面3D动态天气") {
      f_.MatchMethod = L"电信服务项匹配";
      return Outcome::Post;
    }
    return Outcome::NextRule;
  }

  // Rule 8: neither signer nor vendor.
  Outcome NoCompanyRules() {
    // The target's own vendor decides in target-folder mode.
    if (state_.TargetFolderMode) return Outcome::Drop;
    if (ContainsAfterStart(fp_, L"\\appdata\\") || ContainsAfterStart(fp_, L"/appdata/")) return AppDataRules();
    if (f_.Type == L"图标覆盖") {
      return BothTrimmedEmpty() ? Label(L"无文件说明的可疑程序", L"无描述dll文件匹配") : Outcome::Drop;
    }
    if (f_.Type == L"服务") return UnsignedServiceRules();
    return Outcome::Drop;
  }

  Outcome AppDataRules() {
    if (MatchAppDataPair(rules_, f_.FileDescription, f_.ProductName)) return Label(L"疑似广告插件", L"文件描述匹配");
    if (BothTrimmedEmpty()) {
      // A file whose size cannot be read (it or its folder is gone) is taken as empty: there is
      // nothing to judge and nothing to remove.
      const auto size = system_.FileSize(f_.FilePath);
      if (!size || *size == 0) return Outcome::Drop;
      return Label(L"无文件说明的可疑程序", L"无描述文件匹配");
    }
    if (f_.Type == L"服务" && fd_ == L"辅助程序") return Label(L"无产品名称的可疑服务程序", L"多特服务特征匹配");
    if (f_.Type == L"服务" && system_.FolderHasSingleEntry(folder_)) return Label(L"单文件可疑服务", L"单文件服务匹配");
    return Outcome::Drop;
  }

  Outcome UnsignedServiceRules() {
    if (ContainsAfterStart(fp_, L"srvany.exe")) {
      f_.BinPath = system_.ServiceWrapperCommand(f_.Name);
      // The botnet keeps a whole program image in the wrapper's parameters.
      if (ContainsAfterStart(f_.BinPath, L"MZ")) return Label(L"祸乱 僵尸网络病毒", L"祸乱僵尸网络病毒特征匹配");
      return Outcome::Drop;
    }
    if (ContainsAfterStart(fp_, L"nssm.exe")) {
      f_.BinPath = system_.ServiceWrapperCommand(f_.Name);
      if (!Contains(text::LowerAZ(f_.BinPath), L"powershell")) return Outcome::Drop;
      mark_ = true;
      Label(L"疑似匿影僵尸网络病毒", L"匿影僵尸网络病毒特征匹配");
      return PostIfMarked();
    }
    if (ContainsAfterStart(fp_, L"\\program files")) {
      return BothTrimmedEmpty() ? Label(L"无文件说明的可疑服务程序", L"应用程序目录可疑服务特征匹配") : Outcome::Drop;
    }
    if (f_.FileDescription.empty() && f_.ProductName.empty() && ContainsAfterStart(fp_, L"\\system32\\") &&
        !Contains(fp_, L"\\system32\\config\\") && system_.FolderHasSingleEntry(folder_)) {
      window_.SetTitle(kFenghuaAlertTitle);
      return Label(L"疑似推装病毒服务", L"疯花木马服务特征匹配");
    }
    return Outcome::Drop;
  }

  // Rule 9: signed or named processes that pose as system hosts.
  Outcome FenghuaProcessRules() {
    if (state_.TargetFolderMode || f_.Type != L"进程") return Outcome::Drop;
    if (!Contains(fp_, L"svchost.exe") && ContainsAfterStart(fp_, L"windows\\system32\\") &&
        (Contains(fd_, L"Host Process for Windows Services") || Contains(fd_, L"Windows 服务主进程") ||
         Contains(fd_, L"Generic Host Process for Win32 Services"))) {
      MarkAsFenghuaProcess(L"疯花病毒进程特征1匹配");
      mark_ = true;
    }
    if (!Contains(fp_, L"msdt.exe") &&
        (ContainsAfterStart(fp_, L"windows\\system32\\") || ContainsAfterStart(fp_, L"windows\\syswow64\\")) &&
        Contains(fd_, L"Diagnostics Troubleshooting Wizard")) {
      MarkAsFenghuaProcess(L"疯花病毒进程特征2匹配");
      return Outcome::Post;
    }
    return PostIfMarked();
  }

  void MarkAsFenghuaProcess(std::wstring_view method) {
    window_.SetTitle(kFenghuaAlertTitle);
    f_.Company = kFenghuaProcess;
    f_.Descrip += kFenghuaAdvice;
    f_.MatchMethod = method;
  }

  Finding f_;
  const ScanState& state_;
  const RuleData& rules_;
  IScanWindow& window_;
  IClassifierSystem& system_;
  std::wstring fp_;      // FilePath, lower-cased
  std::wstring folder_;  // FilePath up to and including its last "\"
  std::wstring bp_;      // BinPath, lower-cased
  std::wstring fd_;      // working copies of the version strings; some rules trim them
  std::wstring pn_;
  bool mark_ = false;
};

}  // namespace

Classifier::Classifier(std::shared_ptr<const ScanState> state, std::shared_ptr<const RuleData> rules,
                       std::shared_ptr<IScanWindow> window, std::shared_ptr<IClassifierSystem> system)
    : state_(std::move(state)), rules_(std::move(rules)), window_(std::move(window)), system_(std::move(system)) {}

void Classifier::Classify(Finding finding) const {
  if (!state_ || !rules_ || !window_ || !system_) return;
  Judgement(std::move(finding), *state_, *rules_, *window_, *system_).Run();
}

std::function<void(Finding)> Classifier::Consumer() const {
  return [self = *this](Finding finding) { self.Classify(std::move(finding)); };
}

}  // namespace varnex
