#include <windows.h>

#include "classifier.h"

namespace varnex {

Classifier::Classifier(std::shared_ptr<const ScanState> state, std::shared_ptr<const RuleData> rules,
                       std::shared_ptr<IScanWindow> window)
    : Classifier(std::move(state), std::move(rules), std::move(window), MakeSystemClassifierAccess()) {}

}  // namespace varnex
