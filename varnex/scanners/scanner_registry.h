// Registry reads shared by the registry and shell scanners: value data taken as text whatever its
// type, value names, keys named by their full text, and the command of a shell verb.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "../../common/winaccess/unique_resource.h"

namespace varnex::scanners {

inline constexpr REGSAM kScanAccess = KEY_READ | KEY_WOW64_64KEY;  // 0x20119

// The value's data read into 522 bytes and taken as UTF-16 text up to its first terminator,
// whatever its registry type (a REG_DWORD gives whatever its bytes spell). Data that does not end
// in a terminator is cut at its own end. nullopt when the value is absent or longer than 522 bytes.
std::optional<std::wstring> ReadValueAsText(HKEY key, const std::wstring& valueName);

// Every value name of the key, in enumeration order.
std::vector<std::wstring> EnumValueNames(HKEY key);

// Opens a key given as its full text, root name first ("HKEY_CLASSES_ROOT\..."); an empty handle
// when that fails. `root` receives the predefined key and `subkey` the rest of the text.
winaccess::unique_hkey OpenFullKey(const std::wstring& fullKey, HKEY& root, std::wstring& subkey,
                                   REGSAM access = kScanAccess);

// The default value of `path` + "\command" under `root`, or "" when there is none.
std::wstring ReadVerbCommand(HKEY root, const std::wstring& path);

}  // namespace varnex::scanners
