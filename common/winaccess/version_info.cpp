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

}  // namespace

VersionInfo::VersionInfo(const std::wstring& path) {
  DisableWow64Redirection();
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0) {
    missing_ = ::GetLastError() == ERROR_FILE_NOT_FOUND;
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
