#include "explorer_addons.h"

#include <array>

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/registry.h"
#include "command_resolution.h"
#include "scanner_registry.h"

namespace varnex::scanners {
namespace {

const std::wstring kClsidKeyPrefix = L"HKEY_CLASSES_ROOT\\CLSID\\";

std::vector<std::wstring> ClassesRootKeys(std::initializer_list<const wchar_t*> subkeys) {
  std::vector<std::wstring> keys;
  for (const wchar_t* subkey : subkeys) keys.push_back(std::wstring(L"HKEY_CLASSES_ROOT\\") + subkey);
  return keys;
}

bool IsSkippedVerb(const std::wstring& lowerVerb) {
  static constexpr std::array<const wchar_t*, 5> kSkipped = {L"open", L"runas", L"runasuser", L"cmd", L"powershell"};
  for (const wchar_t* skipped : kSkipped) {
    if (lowerVerb == skipped) return true;
  }
  return false;
}

bool StopAsked(const ScanState& state) { return state.StopRequested.load(); }

}  // namespace

const std::vector<std::wstring>& ShellExtensionHandlerKeys() {
  static const std::vector<std::wstring> kKeys = ClassesRootKeys({
      L"*\\shellex",
      L"*\\shellex\\ContextMenuHandlers",
      L"*\\shellex\\DragDropHandlers",
      L"*\\shellex\\PropertySheetHandlers",
      L"exefile\\shellex\\ContextMenuHandlers",
      L"exefile\\shellex\\DragDropHandlers",
      L"exefile\\shellex\\PropertySheetHandlers",
      L"lnkfile\\shellex\\ContextMenuHandlers",
      L"lnkfile\\shellex\\DragDropHandlers",
      L"lnkfile\\shellex\\PropertySheetHandlers",
      L"Drive\\shellex\\ContextMenuHandlers",
      L"Drive\\shellex\\DragDropHandlers",
      L"Drive\\shellex\\PropertySheetHandlers",
      L"AllFilesystemObjects\\shellex\\ContextMenuHandlers",
      L"AllFilesystemObjects\\shellex\\DragDropHandlers",
      L"AllFilesystemObjects\\shellex\\PropertySheetHandlers",
      L"Directory\\shellex\\ContextMenuHandlers",
      L"Directory\\shellex\\DragDropHandlers",
      L"Directory\\shellex\\PropertySheetHandlers",
      L"Directory\\Background\\shellex\\ContextMenuHandlers",
      L"Directory\\Background\\shellex\\DragDropHandlers",
      L"Folder\\ShellEx\\ContextMenuHandlers",
      L"Folder\\ShellEx\\DragDropHandlers",
      L"Folder\\ShellEx\\PropertySheetHandlers",
      L"DesktopBackground\\shellex\\ContextMenuHandlers",
      L"txtfile\\ShellEx",
      L"CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\shellex\\ContextMenuHandlers",
  });
  return kKeys;
}

const std::vector<std::wstring>& IconOverlayKeys() {
  static const std::vector<std::wstring> kKeys = {
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellIconOverlayIdentifiers",
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellIconOverlayIdentifiers",
  };
  return kKeys;
}

const std::vector<std::wstring>& BrowserHelperKeys() {
  static const std::vector<std::wstring> kKeys = {
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects",
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects",
  };
  return kKeys;
}

const std::vector<std::wstring>& CredentialProviderKeys() {
  static const std::vector<std::wstring> kKeys = {
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Authentication\\Credential Providers",
  };
  return kKeys;
}

const std::vector<std::wstring>& ClsidValueKeys() {
  static const std::vector<std::wstring> kKeys = {
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks",
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\PreviewHandlers",
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
  };
  return kKeys;
}

const std::vector<std::wstring>& ShellVerbKeys() {
  static const std::vector<std::wstring> kKeys = ClassesRootKeys({
      L"*\\shell",
      L"Directory\\shell",
      L"Directory\\background\\shell",
      L"DesktopBackground\\shell",
      L"Folder\\shell",
      L"Drive\\shell",
      L"lnkfile\\shell",
      L"AllFilesystemObjects\\shell",
      L"txtfile\\shell",
      L"exefile\\shell",
      L"SystemFileAssociations\\.001\\shell",
      L"SystemFileAssociations\\.7z\\shell",
      L"SystemFileAssociations\\.cab\\shell",
      L"SystemFileAssociations\\.doc\\shell",
      L"SystemFileAssociations\\.docx\\shell",
      L"SystemFileAssociations\\.iso\\shell",
      L"SystemFileAssociations\\.jar\\shell",
      L"SystemFileAssociations\\.jpg\\shell",
      L"SystemFileAssociations\\.mp3\\shell",
      L"SystemFileAssociations\\.mp4\\shell",
      L"SystemFileAssociations\\.pdf\\shell",
      L"SystemFileAssociations\\.png\\shell",
      L"SystemFileAssociations\\.ppt\\shell",
      L"SystemFileAssociations\\.pptx\\shell",
      L"SystemFileAssociations\\.rar\\shell",
      L"SystemFileAssociations\\.xls\\shell",
      L"SystemFileAssociations\\.xlsx\\shell",
      L"SystemFileAssociations\\.zip\\shell",
      L"SystemFileAssociations\\text\\shell",
  });
  return kKeys;
}

void ScanExplorerAddons(const ScanState& state, IScanWindow& window, const IdentityFiller& fillIdentity,
                        const FindingConsumer& consume) {
  window.SetStatusText(L"正在扫描资源管理器加载项...");
  ScanHandlerKeys(ShellExtensionHandlerKeys(), L"右键加载项", state, fillIdentity, consume);
  ScanHandlerKeys(IconOverlayKeys(), L"图标覆盖", state, fillIdentity, consume);
  ScanHandlerKeys(BrowserHelperKeys(), L"BHO插件", state, fillIdentity, consume);
  ScanHandlerKeys(CredentialProviderKeys(), L"凭据提供程序插件", state, fillIdentity, consume);
  ScanClsidValueKeys(ClsidValueKeys(), L"其它加载项", state, fillIdentity, consume);
  ScanShellVerbs(ShellVerbKeys(), L"右键菜单项", fillIdentity, consume);
}

void ScanHandlerKeys(const std::vector<std::wstring>& keys, const std::wstring& type, const ScanState& state,
                     const IdentityFiller& fillIdentity, const FindingConsumer& consume) {
  for (const auto& keyText : keys) {
    HKEY root = nullptr;
    std::wstring subkey;
    if (const auto key = OpenFullKey(keyText, root, subkey)) {
      for (const auto& name : winaccess::EnumSubkeyNames(key.get())) {
        const auto handler = winaccess::OpenKey(root, subkey + L"\\" + name, kScanAccess);
        if (!handler) continue;
        Finding finding;
        // The class is named by the default value, or else by the subkey's own name; a default
        // value that names no class is kept as the description.
        std::wstring clsid = name;
        if (const auto defaultValue = ReadValueAsText(handler.get(), L"")) {
          finding.FilePath = GetComServerPath(*defaultValue);
          if (finding.FilePath.empty()) {
            finding.Descrip = *defaultValue;
          } else {
            clsid = *defaultValue;
          }
        }
        if (finding.FilePath.empty()) finding.FilePath = GetComServerPath(name);
        if (finding.FilePath.empty()) continue;
        finding.Name = name;
        finding.BinPath = kClsidKeyPrefix + clsid;
        finding.FilePath = ResolveCommandPath(finding.FilePath);
        finding.StartPath = keyText + L"\\" + name;
        if (fillIdentity) fillIdentity(finding);
        finding.Type = type;
        if (finding.Descrip.empty()) finding.Descrip = finding.FileDescription;
        consume(std::move(finding));
      }
    }
    if (StopAsked(state)) return;
  }
}

void ScanClsidValueKeys(const std::vector<std::wstring>& keys, const std::wstring& type, const ScanState& state,
                        const IdentityFiller& fillIdentity, const FindingConsumer& consume) {
  for (const auto& keyText : keys) {
    HKEY root = nullptr;
    std::wstring subkey;
    if (const auto key = OpenFullKey(keyText, root, subkey)) {
      for (const auto& name : EnumValueNames(key.get())) {
        const auto data = ReadValueAsText(key.get(), name);
        if (!data) continue;
        const std::wstring server = GetComServerPath(name);
        if (server.empty()) continue;
        Finding finding;
        finding.Name = name;
        finding.Descrip = *data;
        finding.FilePath = ResolveCommandPath(server);
        if (fillIdentity) fillIdentity(finding);
        finding.BinPath = kClsidKeyPrefix + name;
        finding.StartPath = keyText;
        finding.Type = type;
        consume(std::move(finding));
      }
    }
    if (StopAsked(state)) return;
  }
}

void ScanShellVerbs(const std::vector<std::wstring>& keys, const std::wstring& type, const IdentityFiller& fillIdentity,
                    const FindingConsumer& consume) {
  for (const auto& keyText : keys) {
    HKEY root = nullptr;
    std::wstring subkey;
    const auto key = OpenFullKey(keyText, root, subkey);
    if (!key) continue;
    for (const auto& verbName : winaccess::EnumSubkeyNames(key.get())) {
      const std::wstring verb = text::LowerAZ(verbName);
      if (IsSkippedVerb(verb)) continue;
      const std::wstring verbPath = subkey + L"\\" + verb;
      const std::wstring command = ReadVerbCommand(root, verbPath);
      Finding finding;
      finding.BinPath = command;
      finding.Name = verbPath;
      finding.FilePath = ResolveCommandPath(command);
      if (fillIdentity) fillIdentity(finding);
      finding.StartPath = keyText;
      finding.Descrip = verb;
      finding.Type = type;
      consume(std::move(finding));
    }
  }
}

}  // namespace varnex::scanners
