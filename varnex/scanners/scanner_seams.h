// What a scanner is given besides the places it walks: where each examined item goes, and how an
// item is completed with its file's identity before it goes there. The program binds these to
// FillIdentity and the Classifier; tests bind recorders, so they see each Finding as it was built.
#pragma once

#include <functional>

#include "../core/finding.h"

namespace varnex::scanners {

using FindingConsumer = std::function<void(Finding)>;
// Fills Company, FileDescription and ProductName from FilePath.
using IdentityFiller = std::function<void(Finding&)>;

}  // namespace varnex::scanners
