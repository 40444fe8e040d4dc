// Programs started at logon (the Run keys of machine and user, both registry views) and the
// current user's screen saver.
#pragma once

#include <string>
#include <vector>

#include "../core/scan_window.h"
#include "scanner_seams.h"

namespace varnex::scanners {

// The four Run keys in walking order, root names spelled out.
const std::vector<std::wstring>& RunKeyList();

// Sets the status text and walks RunKeyList with the type "Run".
void ScanStartupEntries(IScanWindow& window, const IdentityFiller& fillIdentity, const FindingConsumer& consume);

// The Finding of one startup value: `Name` the value name, `BinPath` its text, `FilePath` the file
// `program` resolves to, `StartPath` the key, completed by `fillIdentity`.
Finding StartupValueFinding(const std::wstring& name, const std::wstring& text, const std::wstring& program,
                            const std::wstring& key, const std::wstring& type, const IdentityFiller& fillIdentity);

// One Finding per non-empty value of each key that opens, keys in list order.
void ScanRunKeys(const std::vector<std::wstring>& keys, const std::wstring& type, const IdentityFiller& fillIdentity,
                 const FindingConsumer& consume);

// One Finding for HKEY_CURRENT_USER\Control Panel\Desktop "SCRNSAVE.EXE" when it is set.
void ScanScreenSaver(IScanWindow& window, const IdentityFiller& fillIdentity, const FindingConsumer& consume);

}  // namespace varnex::scanners
