#include "match_lists.h"

#include <algorithm>

#include "../../common/text/text_rules.h"

namespace varnex {
namespace {

std::optional<std::wstring> FirstContained(const std::vector<std::wstring>& entries, const std::wstring& text) {
  for (const auto& entry : entries) {
    if (text::Contains(text, entry)) return entry;
  }
  return std::nullopt;
}

std::wstring PreparePath(std::wstring path) {
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return text::LowerAZ(path);
}

}  // namespace

std::optional<std::wstring> MatchSignList(const RuleData& rules, std::wstring vendor) {
  const std::wstring lower = text::LowerAZ(vendor);
  // The system's own files are signed by this vendor; no list entry may ever catch them.
  if (lower.empty() || text::Contains(lower, L"microsoft")) return std::nullopt;
  return FirstContained(rules.SignList, lower);
}

std::optional<std::wstring> MatchFolderList(const RuleData& rules, std::wstring path) {
  return FirstContained(rules.FolderList, PreparePath(std::move(path)));
}

bool IsWhitePath(const RuleData& rules, std::wstring path) {
  return FirstContained(rules.WhitePathList, PreparePath(std::move(path))).has_value();
}

bool MatchAppDataPair(const RuleData& rules, std::wstring description, std::wstring product) {
  const std::wstring desc = text::LowerAZ(description);
  const std::wstring prod = text::LowerAZ(product);
  if (desc.empty() || prod.empty()) return false;
  // The lists are filled in pairs; walking only the common length keeps a damaged pair of lists
  // from being read past the shorter one.
  const std::size_t pairs = std::min(rules.AppDataKeyList.size(), rules.AppDataValueList.size());
  for (std::size_t i = 0; i < pairs; ++i) {
    if (text::Contains(desc, rules.AppDataKeyList[i]) && text::Contains(prod, rules.AppDataValueList[i])) return true;
  }
  return false;
}

}  // namespace varnex
