#include "file_names.h"

#include <algorithm>
#include <initializer_list>

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

std::wstring FreeFolderBackupPath(const std::wstring& path, const ExistsFn& exists) {
  const std::wstring first = FolderBackupPath(path);
  if (!exists(first)) return first;
  for (int n = 2; n < 10000; ++n) {
    std::wstring candidate = first + std::to_wstring(n);
    if (!exists(candidate)) return candidate;
  }
  return {};
}

namespace {

// Lower case, "/" as "\", split into the drive ("c:", or "\\server\share") and the components
// below it; empty components dropped.
struct SplitFolder {
  std::wstring drive;
  std::vector<std::wstring> parts;
};

SplitFolder Split(const std::wstring& path) {
  std::wstring p = text::LowerAZ(path);
  for (auto& c : p) {
    if (c == L'/') c = L'\\';
  }
  // The long-path forms name the same folders.
  if (p.rfind(L"\\\\?\\unc\\", 0) == 0) {
    p = L"\\\\" + p.substr(8);
  } else if (p.rfind(L"\\\\?\\", 0) == 0) {
    p = p.substr(4);
  }
  std::vector<std::wstring> all;
  std::wstring current;
  for (wchar_t c : p) {
    if (c == L'\\') {
      if (!current.empty()) all.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) all.push_back(current);
  SplitFolder split;
  std::size_t start = 0;
  if (p.rfind(L"\\\\", 0) == 0) {  // a share: \\server\share is its root
    if (all.size() < 2) return split;
    split.drive = L"\\\\" + all[0] + L"\\" + all[1];
    start = 2;
  } else if (!all.empty()) {
    split.drive = all[0];
    start = 1;
  }
  split.parts.assign(all.begin() + static_cast<std::ptrdiff_t>(start), all.end());
  return split;
}

bool OneOf(const std::wstring& s, std::initializer_list<const wchar_t*> names) {
  for (const wchar_t* n : names) {
    if (s == n) return true;
  }
  return false;
}

// The components of `folder` below `base`, when `folder` is `base` or lies inside it.
std::optional<std::vector<std::wstring>> Below(const SplitFolder& folder, const SplitFolder& base) {
  if (base.drive.empty() || base.parts.empty() || folder.drive != base.drive || folder.parts.size() < base.parts.size()) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < base.parts.size(); ++i) {
    if (folder.parts[i] != base.parts[i]) return std::nullopt;
  }
  return std::vector<std::wstring>(folder.parts.begin() + static_cast<std::ptrdiff_t>(base.parts.size()),
                                   folder.parts.end());
}

SplitFolder OnDrive(const std::wstring& drive, std::initializer_list<const wchar_t*> parts) {
  SplitFolder s;
  s.drive = drive;
  for (const wchar_t* p : parts) s.parts.emplace_back(p);
  return s;
}

bool ProtectedBelowWindows(const std::vector<std::wstring>& rel) {
  if (rel.size() <= 1) return true;
  return rel.size() == 2 && OneOf(rel[0], {L"system32", L"syswow64", L"sysnative", L"winsxs"});
}

bool ProtectedBelowProgramFiles(const std::vector<std::wstring>& rel) {
  return rel.empty() || (rel.size() == 1 && OneOf(rel[0], {L"common files", L"windowsapps"}));
}

bool ProtectedBelowProgramData(const std::vector<std::wstring>& rel) {
  return rel.empty() || (rel.size() == 1 && rel[0] == L"microsoft");
}

// `rel` below a profile folder.
bool ProtectedBelowProfile(const std::vector<std::wstring>& rel) {
  if (rel.size() <= 1) return true;
  if (rel[0] != L"appdata") return false;
  if (rel.size() == 2) return OneOf(rel[1], {L"local", L"roaming", L"locallow"});
  return rel.size() == 3 && OneOf(rel[1], {L"local", L"roaming"}) && OneOf(rel[2], {L"temp", L"microsoft"});
}

bool ProtectedBelowUsers(const std::vector<std::wstring>& rel) {
  if (rel.empty()) return true;
  return ProtectedBelowProfile(std::vector<std::wstring>(rel.begin() + 1, rel.end()));
}

}  // namespace

bool IsProtectedFolder(const std::wstring& folder, const SystemFolders& system) {
  const SplitFolder f = Split(folder);
  if (f.drive.empty() || f.parts.empty()) return true;  // a drive or share root, or no path at all
  if (f.parts.size() == 1 && OneOf(f.parts[0], {L"$recycle.bin", L"system volume information", L"recovery", L"boot"})) {
    return true;
  }
  auto check = [&](const SplitFolder& base, bool (*rule)(const std::vector<std::wstring>&)) {
    const auto rel = Below(f, base);
    return rel && rule(*rel);
  };
  const std::wstring& d = f.drive;
  if (check(Split(system.windows), ProtectedBelowWindows) || check(OnDrive(d, {L"windows"}), ProtectedBelowWindows)) {
    return true;
  }
  for (const auto& pf : system.programFiles) {
    if (check(Split(pf), ProtectedBelowProgramFiles)) return true;
  }
  if (check(OnDrive(d, {L"program files"}), ProtectedBelowProgramFiles) ||
      check(OnDrive(d, {L"program files (x86)"}), ProtectedBelowProgramFiles)) {
    return true;
  }
  if (check(Split(system.programData), ProtectedBelowProgramData) ||
      check(OnDrive(d, {L"programdata"}), ProtectedBelowProgramData)) {
    return true;
  }
  if (check(Split(system.users), ProtectedBelowUsers) || check(OnDrive(d, {L"users"}), ProtectedBelowUsers) ||
      check(OnDrive(d, {L"documents and settings"}), ProtectedBelowUsers)) {
    return true;
  }
  return check(Split(system.profile), ProtectedBelowProfile);
}

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

}  // namespace varnex::remediation
