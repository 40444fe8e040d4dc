// Code that Explorer and the logon screen load into themselves: shell extension handlers, icon
// overlays, browser helper objects, credential providers, hooks and approved extensions, and the
// extra verbs of context menus.
#pragma once

#include <string>
#include <vector>

#include "../core/scan_state.h"
#include "../core/scan_window.h"
#include "scanner_seams.h"

namespace varnex::scanners {

// The six key lists in walking order, root names spelled out.
const std::vector<std::wstring>& ShellExtensionHandlerKeys();  // "右键加载项"
const std::vector<std::wstring>& IconOverlayKeys();            // "图标覆盖"
const std::vector<std::wstring>& BrowserHelperKeys();          // "BHO插件"
const std::vector<std::wstring>& CredentialProviderKeys();     // "凭据提供程序插件"
const std::vector<std::wstring>& ClsidValueKeys();             // "其它加载项"
const std::vector<std::wstring>& ShellVerbKeys();              // "右键菜单项"

// Sets the status text and walks the six lists.
void ScanExplorerAddons(const ScanState& state, IScanWindow& window, const IdentityFiller& fillIdentity,
                        const FindingConsumer& consume);

// Keys whose subkeys each register one class, by default value or by name. Stops after the key
// in hand once a stop is requested.
void ScanHandlerKeys(const std::vector<std::wstring>& keys, const std::wstring& type, const ScanState& state,
                     const IdentityFiller& fillIdentity, const FindingConsumer& consume);

// Keys whose value names are class identifiers. Stops after the key in hand once a stop is requested.
void ScanClsidValueKeys(const std::vector<std::wstring>& keys, const std::wstring& type, const ScanState& state,
                        const IdentityFiller& fillIdentity, const FindingConsumer& consume);

// "shell" keys: one Finding per verb except open, runas, runasuser, cmd and powershell, also
// for a verb without a command. Always walks the whole list.
void ScanShellVerbs(const std::vector<std::wstring>& keys, const std::wstring& type, const IdentityFiller& fillIdentity,
                    const FindingConsumer& consume);

}  // namespace varnex::scanners
