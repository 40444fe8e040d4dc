#include "file_names.h"

#include "../../common/text/text_rules.h"

namespace varnex::remediation {
namespace {

std::wstring LastComponent(const std::wstring& path) {
  const auto p = path.find_last_of(L"\\/");
  return p == std::wstring::npos ? path : path.substr(p + 1);
}

bool UsableFileName(const std::wstring& name) {
  return !name.empty() && name != L"." && name != L".." && name.find(L':') == std::wstring::npos;
}

}  // namespace

std::wstring QuarantinePath(const std::wstring& desktop, const std::wstring& name, const std::wstring& filePath,
                            const ExistsFn& exists) {
  std::wstring base = LastComponent(name);
  if (!UsableFileName(base)) base = LastComponent(filePath);
  if (!UsableFileName(base) || desktop.empty()) return {};
  const std::wstring first = desktop + L"\\" + base + L".隔离";
  if (!exists(first)) return first;
  for (int n = 2; n < 10000; ++n) {
    std::wstring candidate = desktop + L"\\" + base + L"(" + std::to_wstring(n) + L").隔离";
    if (!exists(candidate)) return candidate;
  }
  return {};
}

std::wstring FileBackupPath(const std::wstring& path) { return path + L".bak"; }
std::wstring FolderBackupPath(const std::wstring& path) { return path + L"_bak"; }

std::optional<std::wstring> FolderForRule(const std::wstring& lowerFilePath, const std::wstring& rule) {
  if (rule.empty() || rule.back() != L'\\') return std::nullopt;
  const auto at = lowerFilePath.find(rule);
  if (at == std::wstring::npos) return std::nullopt;
  std::wstring folder = lowerFilePath.substr(0, at + rule.size() - 1);
  // Something below a drive root ("c:\x") or a share; never "c:", "c:\" or "".
  const auto lastSeparator = folder.rfind(L'\\');
  if (lastSeparator == std::wstring::npos || lastSeparator + 1 >= folder.size() || lastSeparator < 2) {
    return std::nullopt;
  }
  return folder;
}

std::wstring TaskFolderOf(const std::wstring& taskPath) {
  const auto p = taskPath.rfind(L'\\');
  return p == std::wstring::npos ? std::wstring() : taskPath.substr(0, p);
}

std::wstring PathForFileCalls(const std::wstring& path) {
  if (path.size() < 260 || path.rfind(L"\\\\?\\", 0) == 0) return path;
  if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
  return path;  // a relative path cannot take the prefix
}

}  // namespace varnex::remediation
