#include "toolbars.h"

#include "../../common/winaccess/registry.h"
#include "command_resolution.h"
#include "scanner_registry.h"

namespace varnex::scanners {

const std::vector<std::wstring>& DeskBandClassKeys() {
  static const std::vector<std::wstring> kKeys = {
      L"HKEY_CLASSES_ROOT\\CLSID",
      L"HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID",
  };
  return kKeys;
}

void ScanToolbars(IScanWindow& window, const IdentityFiller& fillIdentity, const FindingConsumer& consume) {
  window.SetStatusText(L"正在扫描工具栏...");
  ScanDeskBandClasses(DeskBandClassKeys(), L"工具栏", fillIdentity, consume);
}

void ScanDeskBandClasses(const std::vector<std::wstring>& classKeys, const std::wstring& type,
                         const IdentityFiller& fillIdentity, const FindingConsumer& consume) {
  for (const auto& keyText : classKeys) {
    HKEY root = nullptr;
    std::wstring subkey;
    const auto key = OpenFullKey(keyText, root, subkey);
    if (!key) continue;
    for (const auto& classId : winaccess::EnumSubkeyNames(key.get())) {
      // Thousands of classes: only an open attempt each, the server lookup only for desk bands.
      if (!winaccess::OpenKey(root, subkey + L"\\" + classId + L"\\" + kDeskBandCategoryKey, kScanAccess)) continue;
      const std::wstring server = GetComServerPath(classId);
      if (server.empty()) continue;
      Finding finding;
      finding.Name = classId;
      finding.BinPath = kDeskBandCategoryKey;
      finding.FilePath = ResolveCommandPath(server);
      finding.StartPath = keyText + L"\\" + classId;
      if (fillIdentity) fillIdentity(finding);
      finding.Descrip = finding.FileDescription;
      finding.Type = type;
      consume(std::move(finding));
    }
  }
}

}  // namespace varnex::scanners
