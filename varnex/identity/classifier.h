// The rule engine that decides which examined items are suspicious.
//
// Scanners build one Finding per item, complete it with FillIdentity and hand it to Classify. The
// Classifier runs its built-in rules in a fixed order over the Finding and the rule lists of the
// data folder; the first rule that applies either drops the item or labels it (Company, MatchMethod
// and for some rules FileDescription, ProductName, Type, Descrip) and posts it to the window with
// PostFinding, unless its path is whitelisted. Three rules also turn the window's title into an
// alert, even when the item is then dropped as whitelisted.
//
// Use from a scan step:
//   varnex::Classifier classifier(context.state, context.rules, context.window);   // Windows
//   scanner(..., [&classifier](varnex::Finding f) { classifier.Classify(std::move(f)); });
// or classifier.Consumer() where a std::function<void(Finding)> is wanted.
//
// Classify keeps no state between calls and runs on the scan worker. The state's TargetFolderMode
// and the rule lists must not change while a scan runs.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "../core/finding.h"
#include "../core/scan_state.h"
#include "../core/scan_window.h"
#include "../rules/rule_data.h"
#include "classifier_system.h"

namespace varnex {

inline constexpr const wchar_t* kFenghuaAlertTitle = L"Varnex (发现疑似推装病毒疯花木马！)";

class Classifier {
 public:
  // `system` answers the file-system and registry questions of the rules.
  Classifier(std::shared_ptr<const ScanState> state, std::shared_ptr<const RuleData> rules,
             std::shared_ptr<IScanWindow> window, std::shared_ptr<IClassifierSystem> system);
#ifdef _WIN32
  // Answers the questions from the running system (MakeSystemClassifierAccess).
  Classifier(std::shared_ptr<const ScanState> state, std::shared_ptr<const RuleData> rules,
             std::shared_ptr<IScanWindow> window);
#endif

  // Judges one item; posts the labelled copy when a rule says so. Never fails.
  void Classify(Finding finding) const;

  // Classify as a consumer for the scanners; shares ownership of this Classifier's parts.
  std::function<void(Finding)> Consumer() const;

 private:
  std::shared_ptr<const ScanState> state_;
  std::shared_ptr<const RuleData> rules_;
  std::shared_ptr<IScanWindow> window_;
  std::shared_ptr<IClassifierSystem> system_;
};

}  // namespace varnex
