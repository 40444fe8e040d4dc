// The files of a backup run as the restore reads them: whole data files, the data file an item
// names, and the check that such a name stays inside the run folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "backup_records.h"

namespace varnex::backup {

// The whole file, nothing when it cannot be read or is larger than 256 MB.
std::optional<std::vector<unsigned char>> ReadWholeFile(const std::wstring& path);

bool Exists(const std::wstring& path);

// The data file an item keeps in its run folder, "" for the kinds without one.
std::wstring DataFileOf(const BackupItem& item);

// A data file's name must stay inside the run folder.
bool SafeDataName(const std::wstring& name);

}  // namespace varnex::backup
