// Which file classes the file-association scan reports, and where each one sits, apart from the
// registry walk itself.
#pragma once

#include <string>

namespace varnex::scanners {

// One of the two passes of a file-association scan: the classes of the given scope under
// HKEY_CLASSES_ROOT, then the current user's own classes.
struct FileClassPass {
  std::wstring rootName;  // "HKEY_CLASSES_ROOT" or "HKEY_CURRENT_USER"
  std::wstring scope;     // the key walked below the root; "" for the root itself
  bool firstPass = false;
};

FileClassPass ClassesRootPass(const std::wstring& scope);
FileClassPass UserClassesPass();

// The classes whose own open command is never reported (exact, case-sensitive names).
bool IsNeverReportedFileClass(const std::wstring& className);

// Whether class `className` with open command `command` (empty when there is none) is reported.
// Directly under HKEY_CLASSES_ROOT only, short extension keys (".txt", ".docx") and classes
// without a command are left out.
bool ShouldReportFileClass(const FileClassPass& pass, const std::wstring& className, const std::wstring& command);

// The class key below the pass's root, and the same with the root name in front.
std::wstring FileClassSubkey(const FileClassPass& pass, const std::wstring& className);
std::wstring FileClassStartPath(const FileClassPass& pass, const std::wstring& className);

}  // namespace varnex::scanners
