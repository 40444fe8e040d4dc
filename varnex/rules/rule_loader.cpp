#include "rule_loader.h"

#include <windows.h>

#include <vector>

#include "../../common/winaccess/unique_resource.h"
#include "../../common/winaccess/winaccess.h"

namespace varnex {
namespace {

// Up to `limit` bytes after the 2-byte mark, with the mark's 2 bytes in front as the parser wants.
bool ReadRuleBytes(const std::wstring& path, std::size_t limit, std::vector<std::uint8_t>& bytes) {
  winaccess::unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  bytes.assign(limit + 2, 0);
  DWORD total = 0;
  while (total < bytes.size()) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), bytes.data() + total, static_cast<DWORD>(bytes.size() - total), &got, nullptr)) {
      return false;
    }
    if (got == 0) break;
    total += got;
  }
  bytes.resize(total);
  return true;
}

}  // namespace

RuleLineEnv SystemRuleLineEnv() {
  return {[](const std::wstring& in, std::wstring& out) { return winaccess::ExpandEnvironment(in, out, 522); },
          [](const std::wstring& path) { return winaccess::PathExists(path); }};
}

void LoadRuleFile(RuleFileKind kind, const RuleLoadContext& context, RuleData& rules) {
  if (ListAlreadyFilled(kind, rules)) return;
  const RuleFileSpec& spec = SpecOf(kind);
  const std::wstring path = context.programFolder + spec.relativePath;
  winaccess::DisableWow64Redirection();

  if (kind == RuleFileKind::Sign && IsInTemporaryFolder(path) && context.showError) {
    context.showError(kTempFolderMessage);
  }
  if (!winaccess::PathExists(path)) {
    if (spec.missingMessage != nullptr && context.showError) context.showError(spec.missingMessage);
    return;
  }
  std::vector<std::uint8_t> bytes;
  if (!ReadRuleBytes(path, spec.byteLimit, bytes)) return;
  ApplyLineRule(kind, ParseRuleLines(bytes.data(), bytes.size(), spec.byteLimit), SystemRuleLineEnv(), rules);
}

void LoadScanPaths(const RuleLoadContext& c, RuleData& r) { LoadRuleFile(RuleFileKind::ScanPath, c, r); }
void LoadExcludePaths(const RuleLoadContext& c, RuleData& r) { LoadRuleFile(RuleFileKind::ExcludePath, c, r); }
void LoadSignList(const RuleLoadContext& c, RuleData& r) { LoadRuleFile(RuleFileKind::Sign, c, r); }
void LoadFolderList(const RuleLoadContext& c, RuleData& r) { LoadRuleFile(RuleFileKind::Folder, c, r); }
void LoadAppDataInfo(const RuleLoadContext& c, RuleData& r) { LoadRuleFile(RuleFileKind::AppDataInfo, c, r); }
void LoadWhitePaths(const RuleLoadContext& c, RuleData& r) { LoadRuleFile(RuleFileKind::WhitePath, c, r); }

}  // namespace varnex
