// Where a registry deletion lands, worked out from the texts of a result row before any key is
// opened: the root, the key to open and what to delete beneath it, or a refusal.
#pragma once

#include <string>

#include "../../common/winaccess/path_rules.h"

namespace varnex::backup {

// A path that names the 32-bit branch ("Wow6432Node", any letter case) is opened as written;
// every other path is opened in the 64-bit view when running under WOW64.
bool UsesNativeView(const std::wstring& keyPath);

struct ValueTarget {
  winaccess::RegistryRoot root = winaccess::RegistryRoot::LocalMachine;
  std::wstring subkey;
};
// The root name is mapped exactly as written, letter case included.
ValueTarget ValueTargetFor(const std::wstring& keyPath);

struct KeyTarget {
  bool allowed = false;  // false: nothing may be deleted
  winaccess::RegistryRoot root = winaccess::RegistryRoot::LocalMachine;
  std::wstring parent;   // the key to open, relative to the root ("" = the root itself)
  std::wstring keyName;  // deleted with its subtree below `parent`
};
// Lower-cases name and path and raises the root name to upper case. The key name is taken as the
// final component(s) of the path; a name that is not in the path is a key directly below the root.
// Refused: an empty name, a name found only earlier in the path (the row would name another key),
// the keys IsGuardedClassKey guards, and the top-level keys of the other roots (SOFTWARE, SYSTEM,
// ...).
KeyTarget KeyTargetFor(const std::wstring& keyPath, const std::wstring& keyName);

// True when deleting `lowerName` below `lowerParent` of `root` would delete a class root
// (HKEY_CLASSES_ROOT, HKEY_CURRENT_USER\Software\Classes, HKEY_LOCAL_MACHINE\SOFTWARE\Classes, their
// Wow6432Node\Classes forms and a user's classes under HKEY_USERS), a key that holds one, a
// guarded class name directly in it, or one of its collections of classes: CLSID, Interface,
// TypeLib, AppID, Wow6432Node, and the same below Wow6432Node. Both texts already lower-cased.
bool IsGuardedClassKey(winaccess::RegistryRoot root, const std::wstring& lowerParent, const std::wstring& lowerName);

// True for the class-root names that must never be deleted: "", "\", "\\", exefile, regfile,
// batfile, folder, directory, lnkfile and "*" (the name already lower-cased).
bool IsGuardedClassName(const std::wstring& lowerName);

}  // namespace varnex::backup
