// What the removal does to files and folders: delete (or delete at the next start), quarantine to
// the desktop, block a logon script's path with a folder, and the rename offer for services and
// drivers that could not be disabled.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "../core/finding.h"
#include "../core/ask_user.h"
#include "../backup/step_backup.h"

namespace varnex::remediation {

// Each action backs up what it is about to remove or move through `backup` first, and does
// nothing more once a backup could not be written.

// DeleteFileW, else deletion at the next Windows start.
void DeleteFileNowOrAtReboot(const std::wstring& filePath, backup::IStepBackup& backup);

// Moves the file to the first free quarantine name on the desktop (an earlier quarantined file is
// never replaced), else renames it to its backup name in place. Answers the quarantine path when
// it had to be a numbered one, "" otherwise.
std::wstring QuarantineFile(const std::wstring& name, const std::wstring& filePath, backup::IStepBackup& backup);

// Moves a logon script aside and puts an empty folder of its name in its place.
void BlockScriptFile(const std::wstring& filePath, backup::IStepBackup& backup);

// After a failed DisableService: asks whether to rename the file (or, with a folder rule in
// MatchMethod, the program folder) so it cannot run. Lower-cases row.FilePath when a folder rule
// applies, as the log record then shows it. A system or profile folder (IsProtectedFolder) is
// never renamed: the file alone is renamed and a line for the log is added to `notes`. An
// existing backup of the folder is kept and the folder takes the next free backup name.
void OfferRename(Finding& row, const AskUserFn& ask, std::vector<std::wstring>& notes, backup::IStepBackup& backup);

}  // namespace varnex::remediation
