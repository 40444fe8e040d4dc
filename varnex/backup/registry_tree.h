// Reading and writing a registry key with its subtree as RegKeyRecords, in a given view; used by
// the backups before a deletion and by the restore.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "../../common/winaccess/path_rules.h"
#include "backup_records.h"

namespace varnex::backup {

HKEY RootKeyOfName(const std::wstring& rootName);          // exact; nullptr for an unknown name
std::wstring CanonicalRootName(winaccess::RegistryRoot root);  // "HKEY_LOCAL_MACHINE", ...
HKEY RootKeyOf(winaccess::RegistryRoot root);

// The subkey path with each component in the letter case the registry holds it; nothing when a
// component does not exist.
std::optional<std::wstring> RealCaseSubkey(HKEY root, const std::wstring& subkey, REGSAM view);

// The key and everything below it, parents before children, paths led by `rootName`. Answers
// ERROR_FILE_NOT_FOUND when the key does not exist, another error when it cannot be read whole.
LONG ReadKeyTree(HKEY root, const std::wstring& rootName, const std::wstring& subkey, REGSAM view,
                 std::vector<RegKeyRecord>& out);

// One value's type and data; ERROR_FILE_NOT_FOUND when the key or value does not exist.
LONG ReadValue(HKEY root, const std::wstring& subkey, const std::wstring& name, REGSAM view, RegValueRecord& out);

// Creates each key and sets each value (keys are given by full path, root name first).
LONG WriteKeyTree(const std::vector<RegKeyRecord>& keys, REGSAM view);

bool KeyExists(HKEY root, const std::wstring& subkey, REGSAM view);
bool ValueExists(HKEY root, const std::wstring& subkey, const std::wstring& name, REGSAM view);

// "view" field of a backup: "64" when the 64-bit view was forced, "" otherwise.
std::wstring ViewText(REGSAM view);
REGSAM ViewFromText(const std::wstring& text);

// The access flag the removal primitives add for a key path (KEY_WOW64_64KEY or 0).
REGSAM ViewForKeyPath(const std::wstring& keyPath);

}  // namespace varnex::backup
