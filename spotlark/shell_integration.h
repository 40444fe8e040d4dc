// The "Spotlark" verb in Explorer's context menu of every file and folder: four registry keys
// under HKEY_CLASSES_ROOT (64-bit view) that run this program with the item's path.
#pragma once

#include <string>

namespace spotlark {

inline constexpr const wchar_t* kFileVerbKey = L"*\\shell\\Spotlark";
inline constexpr const wchar_t* kFileVerbCommandKey = L"*\\shell\\Spotlark\\command";
inline constexpr const wchar_t* kFolderVerbKey = L"Directory\\shell\\Spotlark";
inline constexpr const wchar_t* kFolderVerbCommandKey = L"Directory\\shell\\Spotlark\\command";

// "\"<program>\" \"%1\"" and "<program>,0".
std::wstring VerbCommandText(const std::wstring& programPath);
std::wstring VerbIconText(const std::wstring& programPath);

// Creates the four keys and writes their values; a key that cannot be created is skipped.
void WriteShellMenuEntries(const std::wstring& programPath);
// Deletes both verb keys with their subkeys.
void DeleteShellMenuEntries();
// At start-up: when the file verb's command key exists, rewrites every existing entry with the
// current program path (the program may have moved). Answers whether the check box is to be ticked.
bool RefreshShellMenuEntries(const std::wstring& programPath);

}  // namespace spotlark
