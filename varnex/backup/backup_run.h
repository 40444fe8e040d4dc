// The backups of one removal run: one folder "<store>\<yyyymmdd-hhmmss>" with the manifest
// "清单.txt" (see backup_records.h) and the backed-up data beside it: "<id>.reg" for registry
// values, keys and service keys (UTF-16LE registry export), "<id>.xml" for tasks, and
// "<id>_<file name>" for copies of files deleted for good. The folder is made at the first item,
// so a run that removes nothing leaves none.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "backup_records.h"

namespace varnex::backup {

inline constexpr const wchar_t* kBackupFolderName = L"备份";
inline constexpr const wchar_t* kManifestName = L"清单.txt";

// The store of the backups below `base`: "<base>\备份".
std::wstring StoreFolderBelow(const std::wstring& base);

class BackupRun {
 public:
  // `storeFolder` holds the run folders ("...\备份").
  explicit BackupRun(std::wstring storeFolder);
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

  std::wstring store_;
  std::wstring folder_;
  std::wstring problem_;
  int nextId_ = 1;
};

// SHA-256 of a file (streamed), or of a folder: of the sorted lines "<relative path>\t<file's
// SHA-256>" of every file below it and "<relative path>\\" of every folder. False when any part
// cannot be read.
bool HashPath(const std::wstring& path, std::wstring& sha256);

// The current local time as TimeText.
std::wstring NowText();

}  // namespace varnex::backup
