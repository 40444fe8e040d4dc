#include <array>

#include "file_class_rules.h"

namespace varnex::scanners {

FileClassPass ClassesRootPass(const std::wstring& scope) { return {L"HKEY_CLASSES_ROOT", scope, true}; }

FileClassPass UserClassesPass() { return {L"HKEY_CURRENT_USER", L"Software\\Classes", false}; }

bool IsNeverReportedFileClass(const std::wstring& className) {
  static constexpr std::array<const wchar_t*, 4> kNeverReported = {L"exefile", L"regfile", L"piffile", L"scrfile"};
  for (const wchar_t* name : kNeverReported) {
    if (className == name) return true;
  }
  return false;
}

bool ShouldReportFileClass(const FileClassPass& pass, const std::wstring& className, const std::wstring& command) {
  if (pass.firstPass && pass.scope.empty()) {
    const bool shortExtensionKey = !className.empty() && className[0] == L'.' && className.size() < 6;
    if (shortExtensionKey || command.empty()) return false;
  }
  return !IsNeverReportedFileClass(className);
}

std::wstring FileClassSubkey(const FileClassPass& pass, const std::wstring& className) {
  // No leading "\" for the root's own classes: the registry is not asked to interpret one.
  return pass.scope.empty() ? className : pass.scope + L"\\" + className;
}

std::wstring FileClassStartPath(const FileClassPass& pass, const std::wstring& className) {
  return pass.rootName + L"\\" + FileClassSubkey(pass, className);
}

}  // namespace varnex::scanners
