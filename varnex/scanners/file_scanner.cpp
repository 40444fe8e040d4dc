#include <windows.h>

#include "file_scanner.h"

#include "../../common/winaccess/unique_resource.h"
#include "../../common/winaccess/winaccess.h"
#include "../identity/match_lists.h"

namespace varnex {
namespace {

static_assert(kEntryIsFolder == FILE_ATTRIBUTE_DIRECTORY);
static_assert(kEntryIsReparsePoint == FILE_ATTRIBUTE_REPARSE_POINT);

class Win32FileSystemView final : public IFileSystemView {
 public:
  bool ListFolder(const std::wstring& pattern, const EntryVisitor& visit) override {
    WIN32_FIND_DATAW data{};
    winaccess::unique_find find(::FindFirstFileW(pattern.c_str(), &data));
    if (!find) return false;
    do {
      ListedEntry entry{EntryName(data.cFileName), data.dwFileAttributes};
      if (!visit(entry)) break;
    } while (::FindNextFileW(find.get(), &data));
    return true;
  }
  std::wstring SignerName(const std::wstring& path) override { return winaccess::GetSignerName(path); }
  std::wstring FileDescription(const std::wstring& path) override { return winaccess::GetFileDescription(path); }
  std::wstring ProductName(const std::wstring& path) override { return winaccess::GetProductName(path); }
  void ReadVersionTexts(const std::wstring& path, FileIdentity& identity) override {
    const winaccess::VersionInfo version(path);
    identity.description = version.FileDescription();
    identity.product = version.ProductName();
  }

 private:
  // cFileName is terminated by the system; the read is bounded anyway.
  static std::wstring EntryName(const wchar_t (&name)[MAX_PATH]) {
    std::size_t n = 0;
    while (n < MAX_PATH && name[n] != L'\0') ++n;
    return std::wstring(name, n);
  }
};

std::wstring UserAppDataFolder() {
  std::wstring expanded;
  if (!winaccess::ExpandEnvironment(L"%userprofile%\\AppData", expanded, 260)) return {};
  return expanded;
}

}  // namespace

std::size_t ScanFileRoots(const std::vector<WalkRoot>& roots, const ScanState& state, const RuleData& rules,
                          IScanWindow& window, std::uint64_t statusIntervalMs) {
  // The system folders must be seen as they are, not through the 32-bit redirection; the
  // setting is per thread and stays off.
  winaccess::DisableWow64Redirection();
  Win32FileSystemView fileSystem;
  FileWalk walk(fileSystem, window, state.StopRequested, rules.ExcludePathList,
                [&rules](const std::wstring& signer) { return MatchSignList(rules, signer); },
                StatusPacing{[] { return static_cast<std::uint64_t>(::GetTickCount64()); }, statusIntervalMs});
  walk.ScanRoots(roots);
  return walk.PeakPendingFolders();
}

void ScanFiles(const ScanState& state, const RuleData& rules, IScanWindow& window) {
  window.SetStatusText(kFileScanStatus);
  ScanFileRoots(FileScanRoots(rules.ScanPathList, UserAppDataFolder()), state, rules, window);
}

}  // namespace varnex
