// The start mode chosen from the command line, and the target folder of target-folder mode.
// Pure text rules; the dialog asks the system for attributes, signer and user name.
#pragma once

#include <string>

namespace varnex {

enum class StartMode { TargetFolder, ServiceDelete, FileScan, Normal };

// Substring tests on the lower-cased command line, in this order: "\", "delsrv", "delfile".
StartMode ChooseStartMode(const std::wstring& lowerCommandLine);

// The command line of target-folder mode trimmed of white space, then of double quotes.
std::wstring TargetPathFromCommandLine(const std::wstring& lowerCommandLine);

// The folder to scan for a target path: the path itself for a folder; for a file its folder,
// unless that folder's name is one of the refused names (or the user's own name), when the file's
// own path is used. Always ends in "\".
std::wstring TargetFolderFor(const std::wstring& path, bool isFolder, const std::wstring& lowerUserName);

bool IsRefusedFolderName(const std::wstring& lowerName, const std::wstring& lowerUserName);

std::wstring TargetModeTitle(const std::wstring& target, const std::wstring& vendor);

inline constexpr const wchar_t* kServiceDeleteTitle = L"Varnex（删除服务）";
inline constexpr const wchar_t* kFileScanTitle = L"Varnex（扫描文件）";

}  // namespace varnex
