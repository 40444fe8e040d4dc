#include <cwchar>
#include <vector>

#include "winaccess.h"

namespace winaccess {
namespace {

// The string at `subBlock`, or false when the query fails. `found` may be "" for an empty value.
bool QueryString(const std::vector<BYTE>& block, const std::wstring& subBlock, std::wstring& found) {
  LPVOID value = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(block.data(), subBlock.c_str(), &value, &length)) return false;
  if (value == nullptr || length == 0) {
    found.clear();
    return true;
  }
  // length counts characters, normally with the terminator; never trust it past the block's end.
  const auto* begin = static_cast<const wchar_t*>(value);
  const auto* blockEnd = reinterpret_cast<const wchar_t*>(block.data() + block.size());
  std::size_t limit = length;
  if (begin + limit > blockEnd) limit = static_cast<std::size_t>(blockEnd - begin);
  std::size_t n = 0;
  while (n < limit && begin[n] != L'\0') ++n;
  found.assign(begin, n);
  return true;
}

// A full path whose last part has an extension: the loader behind the version reader neither
// searches for it nor tries it with ".dll" appended, so the attribute query answers for it.
bool IsFullPathWithExtension(const std::wstring& path) {
  const bool full = (path.size() > 2 && path[1] == L':' && path[2] == L'\\') || path.rfind(L"\\\\", 0) == 0;
  if (!full) return false;
  const auto slash = path.find_last_of(L"\\/");
  const auto dot = path.rfind(L'.');
  return dot != std::wstring::npos && dot > slash && dot + 1 < path.size();
}

}  // namespace

VersionInfo::VersionInfo(const std::wstring& path) {
  DisableWow64Redirection();
  // One attribute query tells a missing file or folder for a few failed opens of the reader (a
  // registry scan meets many removed programs); both give the reader's own answers.
  if (IsFullPathWithExtension(path) && ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      missing_ = error == ERROR_FILE_NOT_FOUND;
      absent_ = true;
      return;
    }
  }
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0) {
    const DWORD error = ::GetLastError();
    missing_ = error == ERROR_FILE_NOT_FOUND;
    absent_ = missing_ || error == ERROR_PATH_NOT_FOUND;
    return;
  }
  block_.resize(size);
  if (!::GetFileVersionInfoW(path.c_str(), 0, size, block_.data())) block_.clear();
}

std::wstring VersionInfo::String(const std::wstring& name) const {
  if (missing_) return kFileMissingText;
  if (block_.empty()) return {};

  std::wstring result;
  LPVOID translations = nullptr;
  UINT bytes = 0;
  if (::VerQueryValueW(block_.data(), L"\\VarFileInfo\\Translation", &translations, &bytes) &&
      translations != nullptr) {
    const auto* words = static_cast<const WORD*>(translations);
    for (UINT i = 0; i + 1 < bytes / sizeof(WORD); i += 2) {
      wchar_t id[16];
      std::swprintf(id, 16, L"%04x%04x", words[i], words[i + 1]);
      if (QueryString(block_, L"\\StringFileInfo\\" + std::wstring(id) + L"\\" + name, result)) break;
    }
  }
  if (result.empty()) {
    for (const wchar_t* id : {L"080404b0", L"040904b0", L"080404e4", L"040904e4"}) {
      std::wstring found;
      if (QueryString(block_, L"\\StringFileInfo\\" + std::wstring(id) + L"\\" + name, found)) {
        result = found;
      }
      if (!result.empty()) break;
    }
  }
  return result;
}

std::wstring GetVersionString(const std::wstring& path, const std::wstring& name) {
  return VersionInfo(path).String(name);
}

std::wstring GetFileDescription(const std::wstring& path) { return GetVersionString(path, L"FileDescription"); }
std::wstring GetProductName(const std::wstring& path) { return GetVersionString(path, L"ProductName"); }
std::wstring GetCompanyName(const std::wstring& path) { return GetVersionString(path, L"CompanyName"); }

}  // namespace winaccess
