#include "file_associations.h"

#include "../../common/winaccess/registry.h"
#include "command_resolution.h"
#include "file_class_rules.h"
#include "scanner_registry.h"

namespace varnex::scanners {
namespace {

HKEY RootOf(const FileClassPass& pass) {
  return pass.rootName == L"HKEY_CURRENT_USER" ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
}

// Walks one pass; false when a stop request ended it.
bool ScanFileClassPass(const FileClassPass& pass, const ScanState& state, const IdentityFiller& fillIdentity,
                       const FindingConsumer& consume) {
  const HKEY root = RootOf(pass);
  // The root's own classes are walked through the predefined handle, which is never closed.
  winaccess::unique_hkey scopeKey;
  if (!pass.scope.empty()) {
    scopeKey = winaccess::OpenKey(root, pass.scope, kScanAccess);
    if (!scopeKey) return true;
  }
  for (const auto& name : winaccess::EnumSubkeyNames(pass.scope.empty() ? root : scopeKey.get())) {
    const std::wstring command = ReadVerbCommand(root, FileClassSubkey(pass, name) + L"\\shell\\open");
    if (!ShouldReportFileClass(pass, name, command)) continue;
    Finding finding;
    finding.Name = name;
    finding.BinPath = command;
    finding.FilePath = ResolveCommandPath(command);
    if (fillIdentity) fillIdentity(finding);
    finding.Type = L"文件关联";
    finding.StartPath = FileClassStartPath(pass, name);
    finding.Descrip = finding.FileDescription;
    consume(std::move(finding));
    if (state.StopRequested.load()) return false;
  }
  return !state.StopRequested.load();
}

}  // namespace

void ScanFileAssociations(const ScanState& state, const std::wstring& scope, const IdentityFiller& fillIdentity,
                          const FindingConsumer& consume) {
  if (!ScanFileClassPass(ClassesRootPass(scope), state, fillIdentity, consume)) return;
  ScanFileClassPass(UserClassesPass(), state, fillIdentity, consume);
}

}  // namespace varnex::scanners
