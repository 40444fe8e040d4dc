// Toolbars and desk bands: COM classes of either registry view that declare the desk band
// component category, which Explorer and the browser offer as toolbars.
#pragma once

#include <string>
#include <vector>

#include "../core/scan_window.h"
#include "scanner_seams.h"

namespace varnex::scanners {

// The two class keys in walking order, root names spelled out: the 64-bit view, then the 32-bit one.
const std::vector<std::wstring>& DeskBandClassKeys();

// The category subkey below a class key that makes the class a desk band.
inline const std::wstring kDeskBandCategoryKey = L"Implemented Categories\\{00021492-0000-0000-C000-000000000046}";

// Sets the status text and walks DeskBandClassKeys with the type "工具栏".
void ScanToolbars(IScanWindow& window, const IdentityFiller& fillIdentity, const FindingConsumer& consume);

// One Finding per class under each key that carries the desk band category and has a registered
// server; keys that cannot be opened are passed over.
void ScanDeskBandClasses(const std::vector<std::wstring>& classKeys, const std::wstring& type,
                         const IdentityFiller& fillIdentity, const FindingConsumer& consume);

}  // namespace varnex::scanners
