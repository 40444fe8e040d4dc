// Stateless helpers both programs use to ask Windows about files, processes, services and the
// registry. None reports an error: a failure yields "" (or false), and the caller carries on.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "path_rules.h"

namespace winaccess {

// Text returned by GetVersionString for a file that does not exist.
inline constexpr const wchar_t* kFileMissingText = L"文件不存在";

// Turns WOW64 file-system redirection off for the calling thread and leaves it off, so that this
// thread sees the native system folders from now on. Nothing to do without WOW64.
void DisableWow64Redirection();

// A file's version block, read once when the object is made; every version string of the file is
// then answered from that one read, by the rules of GetVersionString: the strings of the file's
// translation table in its order, then the four fall-back identifiers "080404b0", "040904b0",
// "080404e4", "040904e4"; "文件不存在" for every name when the file does not exist (error 2); ""
// when it has no readable block. The answers are those of the file as it was when it was read.
//
//   const winaccess::VersionInfo version(path);
//   finding.FileDescription = version.FileDescription();
//   finding.ProductName = version.ProductName();
class VersionInfo {
 public:
  explicit VersionInfo(const std::wstring& path);
  std::wstring String(const std::wstring& name) const;
  std::wstring FileDescription() const { return String(L"FileDescription"); }
  std::wstring ProductName() const { return String(L"ProductName"); }
  std::wstring CompanyName() const { return String(L"CompanyName"); }
  // True when the file or its folder does not exist (errors 2 and 3): nothing else can be read
  // from it either, its signer included.
  bool Absent() const { return absent_; }

 private:
  bool missing_ = false;
  bool absent_ = false;
  std::vector<BYTE> block_;  // empty when there is no readable block
};

// One string of one read: VersionInfo(path).String(name).
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
