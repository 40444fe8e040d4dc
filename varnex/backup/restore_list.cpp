#include <windows.h>

#include <algorithm>

#include "../../common/winaccess/unique_resource.h"
#include "backup_run.h"
#include "restore.h"
#include "run_files.h"

namespace varnex::backup {
namespace {

std::wstring StateOf(const RestoreEntry& e) {
  if (!e.entry.readable) return L"无法读取：" + e.entry.problem;
  if (e.entry.restored) return L"已恢复（" + e.entry.restoredTime + L"）";
  if (e.entry.done && !*e.entry.done) return L"删除未成功（可恢复）";
  return L"可恢复";
}

}  // namespace

std::vector<RestoreEntry> ListBackups(const std::wstring& storeFolder) {
  std::wstring store = storeFolder;
  while (!store.empty() && store.back() == L'\\') store.pop_back();
  std::vector<std::wstring> runs;
  WIN32_FIND_DATAW data{};
  winaccess::unique_find find(::FindFirstFileW((store + L"\\*").c_str(), &data));
  if (find) {
    do {
      const std::wstring name = data.cFileName;
      if (name != L"." && name != L".." && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) runs.push_back(name);
    } while (::FindNextFileW(find.get(), &data));
  }
  std::sort(runs.begin(), runs.end(), std::greater<>());
  std::vector<RestoreEntry> entries;
  for (const auto& run : runs) {
    const std::wstring folder = store + L"\\" + run;
    const auto bytes = ReadWholeFile(folder + L"\\" + kManifestName);
    Manifest manifest;
    if (bytes) manifest = ParseManifest(*bytes);
    if (!bytes || (!manifest.headerOk && manifest.entries.empty())) {
      RestoreEntry broken;
      broken.runFolder = folder;
      broken.runName = run;
      broken.entry.problem = bytes ? L"清单已损坏" : L"没有清单或清单无法读取";
      broken.state = L"无法读取：" + broken.entry.problem;
      entries.push_back(broken);
      continue;
    }
    // Newest first also within a run: restoring in that order undoes the steps in reverse.
    for (auto it = manifest.entries.rbegin(); it != manifest.entries.rend(); ++it) {
      RestoreEntry e;
      e.runFolder = folder;
      e.runName = run;
      e.entry = *it;
      e.state = StateOf(e);
      e.restorable = e.entry.readable && !e.entry.restored;
      if (e.restorable) {
        const std::wstring dataName = DataFileOf(e.entry.item);
        const bool missing = !dataName.empty() && (!SafeDataName(dataName) || !Exists(folder + L"\\" + dataName));
        if (missing) {
          e.restorable = false;
          e.state = L"无法恢复：备份文件缺失";
        } else if (e.entry.item.Get(L"kind") == kKindMove && !Exists(e.entry.item.Get(L"to"))) {
          e.restorable = false;
          e.state = L"无法恢复：" + e.entry.item.Get(L"to") + L" 已不存在";
        }
      }
      entries.push_back(e);
    }
  }
  return entries;
}

}  // namespace varnex::backup
