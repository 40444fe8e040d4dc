#include "scanner_registry.h"

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/path_rules.h"
#include "../../common/winaccess/registry.h"
#include "../../common/winaccess/winaccess.h"

namespace varnex::scanners {
namespace {
constexpr DWORD kLongestValueName = 16383;
}  // namespace

std::optional<std::wstring> ReadValueAsText(HKEY key, const std::wstring& valueName) {
  std::wstring text;
  if (!winaccess::ReadRegistryRawText(key, valueName, text)) return std::nullopt;
  return text;
}

std::vector<std::wstring> EnumValueNames(HKEY key) {
  std::vector<std::wstring> names;
  if (key == nullptr) return names;
  // Room for the longest name the registry allows: a value with a long name must neither end the
  // walk nor be left out, or it would hide from the scan.
  std::wstring name(kLongestValueName + 1, L'\0');
  for (DWORD i = 0;; ++i) {
    DWORD length = kLongestValueName + 1;
    const LONG rc = ::RegEnumValueW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) break;
    names.push_back(text::FromBuffer(name.data(), length <= kLongestValueName ? length : kLongestValueName));
  }
  return names;
}

winaccess::unique_hkey OpenFullKey(const std::wstring& fullKey, HKEY& root, std::wstring& subkey, REGSAM access) {
  const auto parts = winaccess::SplitRegistryPath(fullKey);
  root = winaccess::RootKeyFromName(parts.rootName);
  subkey = parts.subkey;
  return winaccess::OpenKey(root, subkey, access);
}

std::wstring ReadVerbCommand(HKEY root, const std::wstring& path) {
  const auto key = winaccess::OpenKey(root, path + L"\\command", kScanAccess);
  if (!key) return {};
  return ReadValueAsText(key.get(), L"").value_or(L"");
}

}  // namespace varnex::scanners
