#include <windows.h>

#include "trojan_checks.h"

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/unique_resource.h"
#include "../../common/winaccess/winaccess.h"
#include "../identity/match_lists.h"
#include "trojan_rules.h"

namespace varnex {

namespace {

constexpr int kMostFindingsPerCheck = 3;

// Calls `visit` with each listed entry except "." and ".." until the listing ends, an entry has no
// name, or `visit` answers false.
template <typename Visit>
void ForEachEntry(const std::wstring& pattern, Visit visit) {
  WIN32_FIND_DATAW data{};
  winaccess::unique_find find(::FindFirstFileW(pattern.c_str(), &data));
  if (!find) return;
  do {
    const std::wstring name = text::FromBuffer(data.cFileName, MAX_PATH);
    if (name.empty()) return;
    if (name == L"." || name == L"..") continue;
    if (!visit(name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) return;
  } while (::FindNextFileW(find.get(), &data));
}

}  // namespace

bool CheckFenghuaFolders(IScanWindow& window, std::wstring& foundPath) {
  int posted = 0;
  ForEachEntry(std::wstring(kWindowsFolder) + L"*", [&](const std::wstring& name, bool isFolder) {
    if (!isFolder || !IsFenghuaFolderName(name)) return true;
    const std::wstring path = kWindowsFolder + name;
    foundPath = path;
    if (!winaccess::IsFolderEmpty(path)) {
      window.PostFinding(FenghuaFolderFinding(name));
      ++posted;
    }
    return posted < kMostFindingsPerCheck;
  });
  return posted > 0;
}

bool CheckRootkitDrivers(IScanWindow& window, std::wstring& foundPath) {
  winaccess::DisableWow64Redirection();
  int posted = 0;
  ForEachEntry(std::wstring(kDriversFolder) + L"*.sys", [&](const std::wstring& name, bool isFolder) {
    if (isFolder || !IsRootkitDriverName(name)) return true;
    const std::wstring path = kDriversFolder + name;
    foundPath = path;
    const winaccess::VersionInfo version(path);
    const std::wstring product = version.ProductName();
    if (!text::Contains(product, L"Kaspersky")) {
      window.PostFinding(RootkitDriverFinding(name, version.FileDescription(), product));
      ++posted;
    }
    return posted < kMostFindingsPerCheck;
  });
  return posted > 0;
}

void CheckKnownDriverNames(IScanWindow& window, const RuleData& rules) {
  std::wstring driversFolder;
  // Without the system folder there is nothing to look in; a relative path would name other files.
  if (!winaccess::ExpandEnvironment(L"%systemroot%\\system32\\drivers", driversFolder, 260)) return;
  winaccess::DisableWow64Redirection();
  for (const wchar_t* knownName : kKnownTrojanDriverNames) {
    Finding f = KnownDriverFinding(driversFolder, knownName);
    if (winaccess::PathExists(f.FilePath) && !IsWhitePath(rules, f.FilePath)) window.PostFinding(f);
  }
}

}  // namespace varnex
