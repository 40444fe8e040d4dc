#include "startup_places.h"

#include "../../common/winaccess/registry.h"
#include "../core/startup_places.h"
#include "command_resolution.h"
#include "scanner_registry.h"
#include "startup_entries.h"
#include "startup_texts.h"

namespace varnex::scanners {
namespace {

constexpr const wchar_t* kStartupStatus = L"正在扫描启动项...";

}  // namespace

const std::vector<std::wstring>& MoreRunKeyList() {
  static const std::vector<std::wstring> kKeys = {
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
      L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
      // The policy keys are one key for both views (a 32-bit program's value lands here too):
      // walking the Wow6432Node path as well would list every value twice.
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run",
      L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run",
  };
  return kKeys;
}

const std::vector<std::wstring>& CommandProcessorKeyList() {
  static const std::vector<std::wstring> kKeys = {
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Command Processor",
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Command Processor",
      L"HKEY_CURRENT_USER\\Software\\Microsoft\\Command Processor",
  };
  return kKeys;
}

const std::vector<std::wstring>& WinlogonKeyList() {
  static const std::vector<std::wstring> kKeys = {
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
      L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
  };
  return kKeys;
}

const std::vector<HijackKey>& ImageHijackKeyList() {
  static const std::vector<HijackKey> kKeys = {
      // Shared by both views like the policy keys, so walked once.
      {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options",
       L"Debugger"},
      {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\SilentProcessExit", L"MonitorProcess"},
      {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\SilentProcessExit",
       L"MonitorProcess"},
  };
  return kKeys;
}

void ScanMoreStartupValues(IScanWindow& window, const IdentityFiller& fillIdentity, const FindingConsumer& consume) {
  window.SetStatusText(kStartupStatus);
  ScanRunKeys(MoreRunKeyList(), L"Run", fillIdentity, consume);
  for (const auto& keyText : CommandProcessorKeyList()) {
    HKEY root = nullptr;
    std::wstring subkey;
    const auto key = OpenFullKey(keyText, root, subkey);
    if (!key) continue;
    const auto command = ReadValueAsText(key.get(), L"AutoRun");
    if (!command || command->empty()) continue;
    consume(StartupValueFinding(L"AutoRun", *command, *command, keyText, L"Run", fillIdentity));
  }
}

void ScanWinlogon(IScanWindow& window, const IdentityFiller& fillIdentity, const FindingConsumer& consume) {
  window.SetStatusText(kStartupStatus);
  ScanWinlogonKeys(WinlogonKeyList(), fillIdentity, consume);
}

void ScanWinlogonKeys(const std::vector<std::wstring>& keys, const IdentityFiller& fillIdentity,
                      const FindingConsumer& consume) {
  for (const auto& keyText : keys) {
    HKEY root = nullptr;
    std::wstring subkey;
    const auto key = OpenFullKey(keyText, root, subkey);
    if (!key) continue;
    // The user's key only overrides the shell; Userinit and Taskman are read from the machine.
    const bool userKey = root == HKEY_CURRENT_USER;
    for (const wchar_t* valueName : {L"Shell", L"Userinit", L"Taskman"}) {
      if (userKey && std::wstring(valueName) != L"Shell") continue;
      const auto value = ReadValueAsText(key.get(), valueName);
      if (!value) continue;
      for (const auto& program : WinlogonAddedPrograms(valueName, *value)) {
        consume(StartupValueFinding(valueName, *value, program, keyText, kTypeWinlogon, fillIdentity));
      }
    }
  }
}

void ScanImageHijacks(IScanWindow& window, const IdentityFiller& fillIdentity, const FindingConsumer& consume) {
  window.SetStatusText(kStartupStatus);
  ScanImageHijackKeys(ImageHijackKeyList(), fillIdentity, consume);
}

void ScanImageHijackKeys(const std::vector<HijackKey>& keys, const IdentityFiller& fillIdentity,
                         const FindingConsumer& consume) {
  for (const auto& place : keys) {
    HKEY root = nullptr;
    std::wstring subkey;
    const auto parent = OpenFullKey(place.key, root, subkey);
    if (!parent) continue;
    for (const auto& program : winaccess::EnumSubkeyNames(parent.get())) {
      const auto key = winaccess::OpenKey(parent.get(), program, kScanAccess);
      if (!key) continue;
      const auto command = ReadValueAsText(key.get(), place.valueName);
      if (!command || command->empty()) continue;
      consume(StartupValueFinding(program, *command, *command, place.key + L"\\" + program, kTypeImageHijack, fillIdentity));
    }
  }
}

}  // namespace varnex::scanners
