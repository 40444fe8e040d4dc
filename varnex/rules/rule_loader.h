// Finds, reads and reports the rule files of the data folder; the parsing is rule_parser's.
#pragma once

#include <functional>
#include <string>

#include "rule_data.h"
#include "rule_parser.h"

namespace varnex {

// Shows one message to the user (the program: a modal "错误！" box owned by the main window).
using ErrorMessageFn = std::function<void(const std::wstring& text)>;

struct RuleLoadContext {
  std::wstring programFolder;  // without trailing "\"
  ErrorMessageFn showError;
};

void LoadRuleFile(RuleFileKind kind, const RuleLoadContext& context, RuleData& rules);

void LoadScanPaths(const RuleLoadContext& context, RuleData& rules);
void LoadExcludePaths(const RuleLoadContext& context, RuleData& rules);
void LoadSignList(const RuleLoadContext& context, RuleData& rules);
void LoadFolderList(const RuleLoadContext& context, RuleData& rules);
void LoadAppDataInfo(const RuleLoadContext& context, RuleData& rules);
void LoadWhitePaths(const RuleLoadContext& context, RuleData& rules);

// The system's answers for the line rules: environment expansion into 522 characters and
// existence tests.
RuleLineEnv SystemRuleLineEnv();

}  // namespace varnex
