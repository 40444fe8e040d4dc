// The labels and fixed texts of the startup places beyond the Run keys, shared by their scanners,
// the Classifier, the category views and the removal worker.
#pragma once

#include <string>

namespace varnex {

inline constexpr const wchar_t* kTypeWinlogon = L"Winlogon";
inline constexpr const wchar_t* kTypeImageHijack = L"映像劫持";
inline constexpr const wchar_t* kTypeStartupFolder = L"启动文件夹";

// What a clean Windows holds in the logon values; removal writes these back.
inline constexpr const wchar_t* kDefaultShell = L"explorer.exe";
inline constexpr const wchar_t* kDefaultUserinit = L"C:\\Windows\\system32\\userinit.exe,";

// The three startup places that are judged like Run values and listed with them.
inline bool IsStartupPlaceType(const std::wstring& type) {
  return type == kTypeWinlogon || type == kTypeImageHijack || type == kTypeStartupFolder;
}

}  // namespace varnex
