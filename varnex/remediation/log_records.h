// The three removal logs: file names and record layouts. Pure, so the bytes a record adds to a log
// can be checked without a file system.
#pragma once

#include <string>
#include <vector>

namespace varnex::remediation {

enum class LogKind { Removal, AssocClsid, DelFile };

// "<folder><yyyymmdd><suffix>"; `folderWithBackslash` ends in "\" (or is empty).
std::wstring LogFileName(const std::wstring& folderWithBackslash, int year, int month, int day, LogKind kind);

// Five lines and an empty line. When a quarantined file had to take a numbered name, that name is
// recorded on one more line after the file path, so the user can find the file again; each of
// `notes` (a refused folder rename, a backup that could not be written, ...) is one more line there.
std::wstring MainLogRecord(const std::wstring& name, const std::wstring& type, const std::wstring& binPath,
                           const std::wstring& filePath, const std::wstring& startPath, const std::wstring& company,
                           const std::wstring& fileDescription, const std::wstring& productName,
                           const std::wstring& matchMethod, const std::wstring& quarantinedAs = L"",
                           const std::vector<std::wstring>& notes = {});

std::wstring AssocClsidLogRecord(const std::wstring& key, const std::wstring& path, const std::wstring& matchMethod);

std::wstring DelFileLogRecord(const std::wstring& path);

}  // namespace varnex::remediation
