// The "open" command of every file class, so that a class whose opening has been redirected to
// an unwanted program is found.
#pragma once

#include <string>

#include "../core/scan_state.h"
#include "scanner_seams.h"

namespace varnex::scanners {

// Two passes: the classes of `scope` under HKEY_CLASSES_ROOT ("" for the root itself,
// "SystemFileAssociations", "Applications"), then the current user's "Software\Classes", whatever
// the scope. A stop request ends the call after the Finding in hand, without the second pass.
void ScanFileAssociations(const ScanState& state, const std::wstring& scope, const IdentityFiller& fillIdentity,
                          const FindingConsumer& consume);

}  // namespace varnex::scanners
