// Stateless helpers both programs use to ask Windows about files, processes, services and the
// registry. None reports an error: a failure yields "" (or false), and the caller carries on.
#pragma once

#include <windows.h>

#include <string>

#include "path_rules.h"

namespace winaccess {

// Text returned by GetVersionString for a file that does not exist.
inline constexpr const wchar_t* kFileMissingText = L"文件不存在";

// Turns WOW64 file-system redirection off for the calling thread and leaves it off, so that this
// thread sees the native system folders from now on. Nothing to do without WOW64.
void DisableWow64Redirection();

std::wstring GetVersionString(const std::wstring& path, const std::wstring& name);
std::wstring GetFileDescription(const std::wstring& path);
std::wstring GetProductName(const std::wstring& path);
std::wstring GetCompanyName(const std::wstring& path);

// Simple display name of the first signer of the file's embedded Authenticode signature, not
// verified; "" for unsigned or catalog-signed files.
std::wstring GetSignerName(const std::wstring& path);

std::wstring GetProcessImagePath(HANDLE process);
std::wstring GetProcessCommandLine(HANDLE process);

// Environment expansion into a buffer of `capacity` characters; false when it fails or does not fit.
bool ExpandEnvironment(const std::wstring& in, std::wstring& out, DWORD capacity = 261);

std::wstring NormalizeServicePath(const std::wstring& imagePath);

HKEY RootKeyFromName(const std::wstring& name);

bool FolderHasSingleEntry(const std::wstring& folderWithBackslash);
bool IsFolderEmpty(const std::wstring& folderWithoutBackslash);

bool PathExists(const std::wstring& path);

// Full path of the running program and the folder that holds it (without trailing "\").
std::wstring ProgramPath();
std::wstring ProgramFolder();

}  // namespace winaccess
