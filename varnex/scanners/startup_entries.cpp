#include "startup_entries.h"

#include "../../common/winaccess/registry.h"
#include "command_resolution.h"
#include "scanner_registry.h"

namespace varnex::scanners {

const std::vector<std::wstring>& RunKeyList() {
  static const std::vector<std::wstring> kKeys = {
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
      L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
      L"HKEY_CURRENT_USER\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
  };
  return kKeys;
}

Finding StartupValueFinding(const std::wstring& name, const std::wstring& text, const std::wstring& program,
                            const std::wstring& key, const std::wstring& type, const IdentityFiller& fillIdentity) {
  Finding finding;
  finding.Name = name;
  finding.BinPath = text;
  finding.FilePath = ResolveCommandPath(program);
  finding.StartPath = key;
  if (fillIdentity) fillIdentity(finding);
  finding.Type = type;
  finding.Descrip = finding.FileDescription;
  return finding;
}

void ScanStartupEntries(IScanWindow& window, const IdentityFiller& fillIdentity, const FindingConsumer& consume) {
  window.SetStatusText(L"正在扫描启动项...");
  ScanRunKeys(RunKeyList(), L"Run", fillIdentity, consume);
}

void ScanRunKeys(const std::vector<std::wstring>& keys, const std::wstring& type, const IdentityFiller& fillIdentity,
                 const FindingConsumer& consume) {
  for (const auto& keyText : keys) {
    HKEY root = nullptr;
    std::wstring subkey;
    const auto key = OpenFullKey(keyText, root, subkey);
    if (!key) continue;
    for (const auto& name : EnumValueNames(key.get())) {
      const auto command = ReadValueAsText(key.get(), name);
      if (!command || command->empty()) continue;
      consume(StartupValueFinding(name, *command, *command, keyText, type, fillIdentity));
    }
  }
}

void ScanScreenSaver(IScanWindow& window, const IdentityFiller& fillIdentity, const FindingConsumer& consume) {
  window.SetStatusText(L"正在扫描屏保程序...");
  const auto key = winaccess::OpenKey(HKEY_CURRENT_USER, L"Control Panel\\Desktop", KEY_READ);
  if (!key) return;
  const auto program = ReadValueAsText(key.get(), L"SCRNSAVE.EXE");
  if (!program || program->empty()) return;
  Finding finding;
  finding.Name = L"SCRNSAVE.EXE";
  finding.FilePath = *program;
  finding.BinPath = *program;
  if (fillIdentity) fillIdentity(finding);
  finding.Type = L"屏幕保护程序";
  finding.StartPath = L"HKEY_CURRENT_USER\\Control Panel\\Desktop";
  finding.Descrip = finding.FileDescription;
  consume(std::move(finding));
}

}  // namespace varnex::scanners
