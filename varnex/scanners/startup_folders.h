// The Startup folders of the user and of all users: every file in them starts at logon. A
// shortcut stands for its target and arguments; any other file is itself the item.
#pragma once

#include <string>
#include <vector>

#include "../core/scan_window.h"
#include "scanner_seams.h"

namespace varnex::scanners {

// The user's and the all-users' Startup folders as the shell's known folders name them; a folder
// the shell cannot name is left out.
std::vector<std::wstring> StartupFolderList();

// Sets the startup status text and walks StartupFolderList.
void ScanStartupFolders(IScanWindow& window, const IdentityFiller& fillIdentity, const FindingConsumer& consume);

// One Type "启动文件夹" Finding per file directly in each folder (subfolders are not started, and
// the folder's desktop.ini is its own settings). Paths beyond MAX_PATH are listed and read in the
// long form.
void ScanStartupFolderList(const std::vector<std::wstring>& folders, const IdentityFiller& fillIdentity,
                           const FindingConsumer& consume);

}  // namespace varnex::scanners
