// What a scanner hands every item it examined to. In the program this is the Classifier; in a
// scanner's test it is a recorder, so the test sees the Finding before any rule filters it.
#pragma once

#include <functional>

#include "../core/finding.h"

namespace varnex {

using FindingConsumer = std::function<void(Finding)>;

}  // namespace varnex
