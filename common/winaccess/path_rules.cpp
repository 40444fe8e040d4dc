#include "path_rules.h"

#include "../text/text_rules.h"

namespace winaccess {

std::wstring NormalizeServicePathWith(const std::wstring& imagePath, const ExpandFn& expand) {
  const std::wstring lower = text::LowerAZ(imagePath);
  const auto exe = lower.find(L".exe");
  std::wstring result = exe != std::wstring::npos ? imagePath.substr(0, exe + 4) : lower;
  result = text::TrimLeftChar(text::TrimRightChar(result, L'"'), L'"');
  std::wstring expanded;
  if (expand && expand(result, expanded)) result = expanded;
  return result;
}

std::wstring NormalizeDriverPath(const std::wstring& imagePath) {
  const std::wstring lower = text::LowerAZ(imagePath);
  struct Rule {
    const wchar_t* prefix;
    const wchar_t* replacement;
    std::size_t cut;
  };
  // "\systemroot\\systemroot" is 23 characters; the separator after it goes too.
  static const Rule rules[] = {
      {L"\\??\\", L"", 4},
      {L"\\systemroot\\\\systemroot", L"C:\\Windows\\", 24},
      {L"\\systemroot\\", L"C:\\Windows\\", 12},
      {L"system32", L"C:\\Windows\\", 0},
      {L"syswow64", L"C:\\Windows\\", 0},
  };
  for (const auto& rule : rules) {
    if (text::StartsWith(lower, rule.prefix)) {
      const std::size_t cut = rule.cut < imagePath.size() ? rule.cut : imagePath.size();
      return rule.replacement + imagePath.substr(cut);
    }
  }
  return lower;
}

RegistryPathParts SplitRegistryPath(const std::wstring& path) {
  const auto p = path.find(L'\\');
  if (p == std::wstring::npos) return {L"", path};
  return {path.substr(0, p), path.substr(p + 1)};
}

RegistryRoot RegistryRootFromName(const std::wstring& name) {
  if (name == L"HKEY_CLASSES_ROOT") return RegistryRoot::ClassesRoot;
  if (name == L"HKEY_CURRENT_USER") return RegistryRoot::CurrentUser;
  if (name == L"HKEY_USERS") return RegistryRoot::Users;
  return RegistryRoot::LocalMachine;
}

std::wstring FolderOfPath(const std::wstring& path) {
  const auto p = path.rfind(L'\\');
  return p == std::wstring::npos ? std::wstring() : path.substr(0, p);
}

std::wstring PathForFileCalls(const std::wstring& path) {
  if (path.size() < 260 || path.rfind(L"\\\\?\\", 0) == 0) return path;
  if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
  return path;  // a relative path cannot take the prefix
}

}  // namespace winaccess
