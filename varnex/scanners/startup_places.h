// Startup places in the registry beyond the four Run keys: RunOnce, the policy Run keys, the
// command processor's AutoRun, the Winlogon shell values and the image-file debuggers. Each
// scanner sets the startup status text and hands one Finding per examined item on.
#pragma once

#include <string>
#include <vector>

#include "../core/scan_window.h"
#include "scanner_seams.h"

namespace varnex::scanners {

// RunOnce of machine (both views) and user, then the policy Run keys of machine and user (the
// machine's is one key for both views), in walking order.
const std::vector<std::wstring>& MoreRunKeyList();
// The command processor keys whose "AutoRun" value runs in every cmd.exe.
const std::vector<std::wstring>& CommandProcessorKeyList();
// The Winlogon keys of the machine (both views) and the user.
const std::vector<std::wstring>& WinlogonKeyList();
// The image-file options key (one key for both views) and the silent-exit monitor keys of both
// views, each with the value that starts another program.
struct HijackKey {
  std::wstring key;
  std::wstring valueName;
};
const std::vector<HijackKey>& ImageHijackKeyList();

// Every value of MoreRunKeyList and the AutoRun values, as Type "Run" items.
void ScanMoreStartupValues(IScanWindow& window, const IdentityFiller& fillIdentity, const FindingConsumer& consume);

// One Type "Winlogon" item per program a logon value starts beyond the default.
void ScanWinlogon(IScanWindow& window, const IdentityFiller& fillIdentity, const FindingConsumer& consume);
void ScanWinlogonKeys(const std::vector<std::wstring>& keys, const IdentityFiller& fillIdentity,
                      const FindingConsumer& consume);

// One Type "映像劫持" item per program key that names a debugger or an exit monitor.
void ScanImageHijacks(IScanWindow& window, const IdentityFiller& fillIdentity, const FindingConsumer& consume);
void ScanImageHijackKeys(const std::vector<HijackKey>& keys, const IdentityFiller& fillIdentity,
                         const FindingConsumer& consume);

}  // namespace varnex::scanners
