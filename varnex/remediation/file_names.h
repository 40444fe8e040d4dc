// The names the file actions move things to: the quarantine file on the desktop, the backup names
// in place, and the program folder a folder rule points at. Pure; existence is asked through a
// callable so the choice of a free name can be tested without a disk.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace varnex::remediation {

using ExistsFn = std::function<bool(const std::wstring& path)>;

// "<desktop>\<name>.隔离". A name that is taken is never replaced: the first free one of
// "<name>(2).隔离", "<name>(3).隔离", ... is used. Only the last component of `name` counts, so a
// name cannot lead out of the desktop folder; without a usable one the file's own name is used.
// Empty when no usable name exists.
std::wstring QuarantinePath(const std::wstring& desktop, const std::wstring& name, const std::wstring& filePath,
                            const ExistsFn& exists);

std::wstring FileBackupPath(const std::wstring& path);    // path + ".bak"
std::wstring FolderBackupPath(const std::wstring& path);  // path + "_bak"
// The first free folder backup name: path + "_bak", else "_bak2", "_bak3", ... An existing
// backup is never replaced or deleted. Empty when none of the first 9999 is free.
std::wstring FreeFolderBackupPath(const std::wstring& path, const ExistsFn& exists);

// The folders a folder rule's rename offer must never rename or delete. Each entry as the system
// gives it (any letter case, with or without a trailing backslash); empty entries are ignored.
struct SystemFolders {
  std::wstring windows;                    // C:\Windows
  std::vector<std::wstring> programFiles;  // C:\Program Files, C:\Program Files (x86)
  std::wstring programData;                // C:\ProgramData
  std::wstring users;                      // C:\Users
  std::wstring profile;                    // C:\Users\<name>
};

// True for a drive or share root; the Windows folder and everything directly in it; the system
// folders (System32, SysWOW64, Sysnative, WinSxS) and everything directly in them; the Program
// Files folders and their Common Files; ProgramData and ProgramData\Microsoft; the Users folder,
// every profile folder in it and every folder directly in a profile (Desktop, AppData, Documents,
// Downloads, ...), AppData\Local, AppData\Roaming, AppData\LocalLow, and the Temp and Microsoft
// folders of Local and Roaming; the same for the user's own profile wherever it lies. The same
// names directly below the folder's own drive root count too (D:\Windows, D:\Users, ...), so a
// wrong or missing system answer still leaves them guarded.
bool IsProtectedFolder(const std::wstring& folder, const SystemFolders& system);

// The folder that a folder rule (a lower-case fragment such as "\toolname\") names inside the
// lower-cased file path: the path up to the fragment's closing backslash. None when the fragment
// does not occur, does not end in a backslash, or would name a drive root.
std::optional<std::wstring> FolderForRule(const std::wstring& lowerFilePath, const std::wstring& rule);

// The folder part of a task path: the text before its last backslash ("" for a task of the root
// folder, and for a path without any backslash).
std::wstring TaskFolderOf(const std::wstring& taskPath);

}  // namespace varnex::remediation
