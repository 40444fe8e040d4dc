// The file-scan walk without Windows: which roots are walked with which extension filter, how
// listing and display paths are formed, and the depth-first walk itself. The folder listing, the
// signer and the version texts come through IFileSystemView, so the order, filter and exclusion
// rules run natively against a made-up tree; file_scanner.cpp binds them to Win32.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../core/scan_window.h"

namespace varnex {

inline constexpr const wchar_t* kFileScanStatus = L"正在扫描文件...";
inline constexpr const wchar_t* kFileScanningPrefix = L"正在扫描：";
inline constexpr const wchar_t* kFileFindingType = L"文件";
inline constexpr const wchar_t* kLongPathPrefix = L"\\\\?\\";
inline constexpr const wchar_t* kSystemFolderFilter = L"*.dll*.ime";
inline constexpr const wchar_t* kModuleFilter = L"*.dll*.exe*.sys*.ime";

// The attribute bits the walk looks at (same values as FILE_ATTRIBUTE_DIRECTORY and
// FILE_ATTRIBUTE_REPARSE_POINT).
inline constexpr std::uint32_t kEntryIsFolder = 0x10;
inline constexpr std::uint32_t kEntryIsReparsePoint = 0x400;

struct WalkRoot {
  std::wstring folder;
  std::wstring filter;  // "" lets every file pass
  bool withSubfolders = true;
  bool operator==(const WalkRoot&) const = default;
};

// The seven fixed roots, walked after the user's own; `userAppData` is "%userprofile%\AppData"
// expanded (a root left empty when it could not be expanded lists nothing).
std::vector<WalkRoot> DefaultWalkRoots(const std::wstring& userAppData);

// The ScanPathList folders (every file, with subfolders) followed by the fixed roots.
std::vector<WalkRoot> FileScanRoots(const std::vector<std::wstring>& scanPaths, const std::wstring& userAppData);

// A user-written folder made fit for the long-path form, which the system takes literally:
// "/" becomes "\", runs of "\" after the first two characters shrink to one, trailing "\" go
// ("C:\" becomes "C:", which still lists as "C:\*").
std::wstring NormalizeWalkFolder(std::wstring_view folder);

// True when the filter is empty or contains the name's lower-cased extension (the text from its
// last "."; a name without "." counts as a whole).
bool PassesExtensionFilter(std::wstring_view filter, std::wstring_view name);

// True when the lower-cased folder contains one of the (lower-case) ExcludePathList entries.
// Empty entries are ignored: "" is contained in every text and would exclude everything.
bool IsExcludedFolder(const std::vector<std::wstring>& excludes, std::wstring_view folder);

// "\\?\" + folder; a folder already in that form stays as it is; "\\server\share" becomes
// "\\?\UNC\server\share".
std::wstring LongPathOf(std::wstring_view path);

// The reverse of LongPathOf: the path as the user reads it.
std::wstring ShownPath(std::wstring_view path);

// The "文件" Finding of a file whose signer matched `matchedEntry`.
struct FileIdentity {
  std::wstring signer;
  std::wstring description;
  std::wstring product;
};
Finding FileFinding(std::wstring_view folder, const std::wstring& name, const FileIdentity& identity,
                    const std::wstring& matchedEntry);

struct ListedEntry {
  std::wstring name;
  std::uint32_t attributes = 0;
};
// Answers false to end the listing.
using EntryVisitor = std::function<bool(const ListedEntry&)>;

class IFileSystemView {
 public:
  virtual ~IFileSystemView() = default;
  // Lists `pattern` ("<long path>\*") in listing order, "." and ".." included as the system gives
  // them; false when the listing cannot be opened.
  virtual bool ListFolder(const std::wstring& pattern, const EntryVisitor& visit) = 0;
  virtual std::wstring SignerName(const std::wstring& path) = 0;
  virtual std::wstring FileDescription(const std::wstring& path) = 0;
  virtual std::wstring ProductName(const std::wstring& path) = 0;
  // The description and product of a matched file. The system's view answers both from one read
  // of the file's version block; this default asks the two functions above.
  virtual void ReadVersionTexts(const std::wstring& path, FileIdentity& identity) {
    identity.description = FileDescription(path);
    identity.product = ProductName(path);
  }
};

// Which "正在扫描：" lines reach the window: the first one, then the next one once `intervalMs` has
// passed since the last shown. Showing every file's line costs a cross-thread window update per
// file, several times the file's signer read; an interval of 0 shows them all.
struct StatusPacing {
  std::function<std::uint64_t()> nowMs;
  std::uint64_t intervalMs = 0;
};

// The SignList entry a signer matches, if any.
using SignerMatcher = std::function<std::optional<std::wstring>(const std::wstring& signer)>;

// Depth-first walk: subfolders wait on one stack of pending folders (never on the call stack), the
// last pushed is listed first, so a subfolder is examined after every entry of its parent and the
// later of two siblings comes first. Every file that passes the filter costs one signer read; a
// signer match costs one version-block read more and is posted at once as a "文件" Finding. Once
// `stop` is set, the current listing ends at its next entry and nothing further is listed.
class FileWalk {
 public:
  FileWalk(IFileSystemView& fileSystem, IScanWindow& window, const std::atomic<bool>& stop,
           const std::vector<std::wstring>& excludes, SignerMatcher match, StatusPacing pacing = {});

  void ScanRoots(const std::vector<WalkRoot>& roots);
  void ScanTree(const std::wstring& root, const std::wstring& filter, bool withSubfolders);

  // Most folders that waited on the stack at one time during this walk.
  std::size_t PeakPendingFolders() const { return peakPending_; }

 private:
  void ScanFolder(const std::wstring& folder, const std::wstring& filter, bool withSubfolders);
  void ExamineFile(const std::wstring& folder, const std::wstring& longFolder, const std::wstring& name);
  bool StatusDue();

  IFileSystemView& fileSystem_;
  IScanWindow& window_;
  const std::atomic<bool>& stop_;
  const std::vector<std::wstring>& excludes_;
  SignerMatcher match_;
  StatusPacing pacing_;
  bool statusShown_ = false;
  std::uint64_t lastStatusMs_ = 0;
  std::vector<std::wstring> pending_;
  std::size_t peakPending_ = 0;
};

}  // namespace varnex
