// The backups of one removal run: one folder "<program folder>\备份\<yyyymmdd-hhmmss>" with the
// manifest "清单.txt" (see backup_records.h) and the backed-up data beside it: "<id>.reg" for
// registry values, keys and service keys (UTF-16LE registry export), "<id>.xml" for tasks, and
// "<id>_<file name>" for copies of files deleted for good. The folder is made at the first item,
// so a run that removes nothing leaves none.
//
// Every destructive step of the removal worker is preceded by one call of RowBackup: the backup
// is written (and the manifest line flushed) before the step runs, and the step's outcome is
// added after it. A backup that cannot be written answers false, and the row's remaining steps
// must not run.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "../core/finding.h"
#include "backup_records.h"
#include "task_store.h"

namespace varnex::remediation {

inline constexpr const wchar_t* kBackupFolderName = L"备份";
inline constexpr const wchar_t* kManifestName = L"清单.txt";

class BackupRun {
 public:
  explicit BackupRun(std::wstring programFolder);
  BackupRun(const BackupRun&) = delete;
  BackupRun& operator=(const BackupRun&) = delete;

  // Adds an item; `files` are written into the folder first (name -> bytes). Answers the item's
  // id, 0 with Problem() set when anything could not be written.
  int Add(BackupItem item, const std::vector<std::pair<std::wstring, std::vector<unsigned char>>>& files = {});
  // A file copied in whole (streamed and hashed); answers the copy's name and SHA-256.
  bool CopyIn(const std::wstring& source, const std::wstring& copyName, std::wstring& sha256);
  void Result(int id, bool done);
  std::wstring NextFileName(const std::wstring& suffix) const;  // "<next id><suffix>"

  const std::wstring& Folder() const { return folder_; }  // "" until the first item
  const std::wstring& Problem() const { return problem_; }

 private:
  bool Ensure();
  bool AppendLine(const std::wstring& line);

  std::wstring programFolder_;
  std::wstring folder_;
  std::wstring problem_;
  int nextId_ = 1;
};

// The backups of one row; each Back... call precedes one step. True: the step may run (its backup
// is written, or there is nothing there to back up and the step cannot change anything). False: a
// backup could not be written; the row stops.
class RowBackup {
 public:
  RowBackup(BackupRun& run, const Finding& row, ITaskStore& tasks);

  bool Value(const std::wstring& keyPath, const std::wstring& valueName);
  bool Key(const std::wstring& keyPath, const std::wstring& keyName);
  bool ServiceStart(SC_HANDLE manager, const std::wstring& service);
  bool ServiceKey(SC_HANDLE manager, const std::wstring& service);
  bool Task(const std::wstring& folder, const std::wstring& name);
  // A file about to be deleted for good (also at the next start): copied into the store.
  bool FileCopy(const std::wstring& path, const std::wstring& how);
  // A file or folder about to be moved or renamed; `blocker`: a folder is put at `from` afterwards.
  bool Move(const std::wstring& from, const std::wstring& to, const std::wstring& how, bool blocker = false);
  // The outcome of the step the last backup was for.
  void Done(bool ok);

  bool Failed() const { return failed_; }
  int StepsRun() const { return steps_; }
  const std::wstring& Problem() const { return problem_; }

 private:
  BackupItem Base(const std::wstring& kind, const std::wstring& name, const std::wstring& place,
                  const std::wstring& how) const;
  bool Added(int id);
  bool Fail(const std::wstring& problem);

  BackupRun& run_;
  Finding row_;
  ITaskStore& tasks_;
  int last_ = 0;
  int steps_ = 0;
  bool failed_ = false;
  std::wstring problem_;
};

// SHA-256 of a file (streamed), or of a folder: of the sorted lines "<relative path>\t<file's
// SHA-256>" of every file below it and "<relative path>\\" of every folder. False when any part
// cannot be read.
bool HashPath(const std::wstring& path, std::wstring& sha256);

// The current local time as TimeText.
std::wstring NowText();

}  // namespace varnex::remediation
