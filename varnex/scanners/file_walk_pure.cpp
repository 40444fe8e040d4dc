#include "file_walk.h"

#include <algorithm>
#include <utility>

#include "../../common/text/text_rules.h"

namespace varnex {
namespace {

constexpr std::wstring_view kLongPrefix = kLongPathPrefix;
constexpr std::wstring_view kUncLongPrefix = L"\\\\?\\UNC\\";

}  // namespace

std::vector<WalkRoot> DefaultWalkRoots(const std::wstring& userAppData) {
  return {
      {L"C:\\Windows\\System32", kSystemFolderFilter, false},
      {L"C:\\Windows\\Syswow64", kSystemFolderFilter, false},
      {L"C:\\Windows\\System32\\config\\systemprofile\\AppData", kModuleFilter, true},
      {L"C:\\Windows\\Syswow64\\config\\systemprofile\\AppData", kModuleFilter, true},
      {L"C:\\Program Files (x86)", kModuleFilter, true},
      {L"C:\\Program Files", kModuleFilter, true},
      {userAppData, kModuleFilter, true},
  };
}

std::vector<WalkRoot> FileScanRoots(const std::vector<std::wstring>& scanPaths, const std::wstring& userAppData) {
  std::vector<WalkRoot> roots;
  for (const auto& path : scanPaths) roots.push_back({NormalizeWalkFolder(path), L"", true});
  for (auto& root : DefaultWalkRoots(userAppData)) roots.push_back(std::move(root));
  return roots;
}

std::wstring NormalizeWalkFolder(std::wstring_view folder) {
  std::wstring out;
  out.reserve(folder.size());
  for (std::size_t i = 0; i < folder.size(); ++i) {
    const wchar_t c = folder[i] == L'/' ? L'\\' : folder[i];
    // The first two characters may both be "\" (a share or the long-path form).
    if (c == L'\\' && out.size() >= 2 && out.back() == L'\\') continue;
    out.push_back(c);
  }
  // A bare "\\?\" or "\\" keeps its separators; only a named folder loses its trailing ones.
  while (out.size() > 1 && out.back() == L'\\' && out != kLongPrefix) out.pop_back();
  return out;
}

bool PassesExtensionFilter(std::wstring_view filter, std::wstring_view name) {
  if (filter.empty()) return true;
  const std::size_t dot = name.rfind(L'.');
  const std::wstring_view extension = dot == std::wstring_view::npos ? name : name.substr(dot);
  return text::Contains(filter, text::LowerAZ(extension));
}

bool IsExcludedFolder(const std::vector<std::wstring>& excludes, std::wstring_view folder) {
  const std::wstring lower = text::LowerAZ(folder);
  return std::any_of(excludes.begin(), excludes.end(),
                     [&](const std::wstring& entry) { return !entry.empty() && text::Contains(lower, entry); });
}

std::wstring LongPathOf(std::wstring_view path) {
  if (text::StartsWith(path, kLongPrefix)) return std::wstring(path);
  if (text::StartsWith(path, L"\\\\")) return std::wstring(kUncLongPrefix) + std::wstring(path.substr(2));
  return std::wstring(kLongPrefix) + std::wstring(path);
}

std::wstring ShownPath(std::wstring_view path) {
  if (text::StartsWith(path, kUncLongPrefix)) return L"\\\\" + std::wstring(path.substr(kUncLongPrefix.size()));
  if (text::StartsWith(path, kLongPrefix)) return std::wstring(path.substr(kLongPrefix.size()));
  return std::wstring(path);
}

Finding FileFinding(std::wstring_view folder, const std::wstring& name, const FileIdentity& identity,
                    const std::wstring& matchedEntry) {
  Finding f;
  f.Name = name;
  f.FilePath = text::LowerAZ(ShownPath(folder)) + L"\\" + name;
  f.Company = identity.signer;
  f.FileDescription = identity.description;
  f.ProductName = identity.product;
  f.Type = kFileFindingType;
  f.StartPath = f.FilePath;
  f.MatchMethod = matchedEntry;
  return f;
}

FileWalk::FileWalk(IFileSystemView& fileSystem, IScanWindow& window, const std::atomic<bool>& stop,
                   const std::vector<std::wstring>& excludes, SignerMatcher match, StatusPacing pacing)
    : fileSystem_(fileSystem),
      window_(window),
      stop_(stop),
      excludes_(excludes),
      match_(std::move(match)),
      pacing_(std::move(pacing)) {}

bool FileWalk::StatusDue() {
  if (pacing_.intervalMs == 0 || !pacing_.nowMs) return true;
  const std::uint64_t now = pacing_.nowMs();
  if (statusShown_ && now - lastStatusMs_ < pacing_.intervalMs) return false;
  statusShown_ = true;
  lastStatusMs_ = now;
  return true;
}

void FileWalk::ScanRoots(const std::vector<WalkRoot>& roots) {
  for (const auto& root : roots) {
    if (stop_) return;
    if (root.folder.empty()) continue;
    ScanTree(root.folder, root.filter, root.withSubfolders);
  }
}

void FileWalk::ScanTree(const std::wstring& root, const std::wstring& filter, bool withSubfolders) {
  pending_.clear();
  ScanFolder(root, filter, withSubfolders);
  while (!pending_.empty()) {
    // After a stop nothing more would be examined; opening the waiting folders only costs time.
    if (stop_) {
      pending_.clear();
      break;
    }
    std::wstring folder = std::move(pending_.back());
    pending_.pop_back();
    if (!folder.empty()) ScanFolder(folder, filter, withSubfolders);
  }
  pending_.shrink_to_fit();
}

void FileWalk::ScanFolder(const std::wstring& folder, const std::wstring& filter, bool withSubfolders) {
  if (IsExcludedFolder(excludes_, folder)) return;
  const std::wstring longFolder = LongPathOf(folder);
  fileSystem_.ListFolder(longFolder + L"\\*", [&](const ListedEntry& entry) {
    if (stop_) return false;
    if (entry.name.empty()) return false;
    if (entry.name == L"." || entry.name == L"..") return true;
    if (entry.attributes & kEntryIsReparsePoint) return true;
    if ((entry.attributes & kEntryIsFolder) && withSubfolders) {
      pending_.push_back(folder + L"\\" + entry.name);
      peakPending_ = std::max(peakPending_, pending_.size());
      return true;
    }
    if (!PassesExtensionFilter(filter, entry.name)) return true;
    ExamineFile(folder, longFolder, entry.name);
    return true;
  });
}

void FileWalk::ExamineFile(const std::wstring& folder, const std::wstring& longFolder, const std::wstring& name) {
  const std::wstring full = longFolder + L"\\" + name;
  if (StatusDue()) window_.SetStatusText(kFileScanningPrefix + ShownPath(full));
  FileIdentity identity;
  identity.signer = fileSystem_.SignerName(full);
  const std::optional<std::wstring> matched = match_(identity.signer);
  if (!matched) return;
  fileSystem_.ReadVersionTexts(full, identity);
  window_.PostFinding(FileFinding(folder, name, identity, *matched));
}

}  // namespace varnex
