// Deleting one registry value or one key with its subtree, as a result row names them. Both fail
// silently (false) and never touch anything the guards of KeyTargetFor refuse.
#pragma once

#include <string>

namespace varnex::remediation {

bool DeleteRegValue(std::wstring keyPath, std::wstring valueName);
bool DeleteRegKey(std::wstring keyPath, std::wstring keyName);

// Writes a REG_SZ value of an existing key (the view chosen as for the deletions); false when the
// key cannot be opened or the write fails.
bool WriteRegText(const std::wstring& keyPath, const std::wstring& valueName, const std::wstring& text);

}  // namespace varnex::remediation
