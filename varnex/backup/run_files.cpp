#include <windows.h>

#include "run_files.h"

#include "../../common/winaccess/path_rules.h"
#include "../../common/winaccess/unique_resource.h"

namespace varnex::backup {

std::optional<std::vector<unsigned char>> ReadWholeFile(const std::wstring& path) {
  winaccess::unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 256 * 1024 * 1024) return std::nullopt;
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size.QuadPart));
  DWORD got = 0;
  if (!bytes.empty() && (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
                         got != bytes.size())) {
    return std::nullopt;
  }
  return bytes;
}

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(winaccess::PathForFileCalls(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring DataFileOf(const BackupItem& item) {
  const std::wstring kind = item.Get(L"kind");
  if (kind == kKindValue || kind == kKindKey || kind == kKindServiceKey) return item.Get(L"reg");
  if (kind == kKindTask) return item.Get(L"xml");
  if (kind == kKindFileCopy) return item.Get(L"copy");
  return {};
}

bool SafeDataName(const std::wstring& name) {
  return !name.empty() && name.find_first_of(L"\\/:") == std::wstring::npos && name != L"." && name != L"..";
}

}  // namespace varnex::backup
