// Completes a Finding from the file it names before the Classifier judges it.
#pragma once

#include "../core/finding.h"

namespace varnex {

// Overwrites Company with the file's Authenticode signer ("" when unsigned), FileDescription and
// ProductName with its version strings ("文件不存在" for a missing file in an existing folder).
// The signer is read once and the version block once; when the signer is empty, VersionCompany
// keeps the block's CompanyName for the Classifier.
void FillIdentity(Finding& finding);

}  // namespace varnex
