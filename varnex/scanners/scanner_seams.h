// What a registry or shell scanner is given besides the places it walks: where each examined item
// goes (FindingConsumer), and how an item is completed with its file's identity before it goes
// there. The program binds these to FillIdentity and the Classifier; tests bind recorders, so they
// see each Finding exactly as it was built.
#pragma once

#include <functional>

#include "../core/finding.h"
#include "finding_consumer.h"

namespace varnex::scanners {

// Fills Company, FileDescription and ProductName from FilePath; an empty one leaves them as built.
using IdentityFiller = std::function<void(Finding&)>;

}  // namespace varnex::scanners
