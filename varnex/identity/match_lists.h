// Matching item texts against the rule lists of the data folder. Every list entry is already
// lower-case; the item text is lower-cased (A-Z only) here, and an entry matches when it occurs
// anywhere in it. The lists are only read, so these may run on any thread once loading is done.
#pragma once

#include <optional>
#include <string>

#include "../rules/rule_data.h"

namespace varnex {

// First SignList entry (in file order, not the longest) that the vendor text contains. Vendor
// texts naming "microsoft" never match, and neither does an empty text.
std::optional<std::wstring> MatchSignList(const RuleData& rules, std::wstring vendor);

// First FolderList entry that the path contains, with "/" read as "\".
std::optional<std::wstring> MatchFolderList(const RuleData& rules, std::wstring path);

// True when the path, prepared as for MatchFolderList, contains any WhitePathList entry.
bool IsWhitePath(const RuleData& rules, std::wstring path);

// True when one pair of the description lists matches both texts: the description contains
// AppDataKeyList[i] and the product contains AppDataValueList[i] for the same i. Empty texts and
// empty lists never match.
bool MatchAppDataPair(const RuleData& rules, std::wstring description, std::wstring product);

}  // namespace varnex
