// Feeds arbitrary bytes through the rule-file parser and every file's line rule.
#include <cstddef>
#include <cstdint>

#include "varnex/rules/rule_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace varnex;
  const RuleLineEnv env{[](const std::wstring& in, std::wstring& out) {
                          out = in + L"\\expanded";
                          return in.size() % 2 == 0;
                        },
                        [](const std::wstring& path) { return path.size() % 3 == 0; }};
  for (auto kind : {RuleFileKind::ScanPath, RuleFileKind::ExcludePath, RuleFileKind::AppDataInfo,
                    RuleFileKind::WhitePath, RuleFileKind::Sign, RuleFileKind::Folder}) {
    RuleData rules;
    ApplyLineRule(kind, ParseRuleLines(data, size, SpecOf(kind).byteLimit), env, rules);
    if (rules.AppDataKeyList.size() != rules.AppDataValueList.size()) __builtin_trap();
  }
  return 0;
}
