// Deleting one registry value or one key with its subtree, as a result row names them. Both fail
// silently (false) and never touch anything the guards of KeyTargetFor refuse.
#pragma once

#include <string>

namespace varnex::remediation {

bool DeleteRegValue(std::wstring keyPath, std::wstring valueName);
bool DeleteRegKey(std::wstring keyPath, std::wstring keyName);

}  // namespace varnex::remediation
