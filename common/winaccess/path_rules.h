// The text parts of the path helpers: which file a service or driver image path names, and how a
// registry path splits into its root name and subkey. No Windows API here; the one platform call
// (environment expansion) comes in as a function.
#pragma once

#include <functional>
#include <string>

namespace winaccess {

// Expands environment references; answers false when the expansion fails or does not fit.
using ExpandFn = std::function<bool(const std::wstring& in, std::wstring& out)>;

std::wstring NormalizeServicePathWith(const std::wstring& imagePath, const ExpandFn& expand);
std::wstring NormalizeDriverPath(const std::wstring& imagePath);

struct RegistryPathParts {
  std::wstring rootName;
  std::wstring subkey;
};
RegistryPathParts SplitRegistryPath(const std::wstring& path);

enum class RegistryRoot { ClassesRoot, CurrentUser, Users, LocalMachine };
// Exact, case-sensitive; anything else (also "HKEY_LOCAL_MACHINE") is the local machine.
RegistryRoot RegistryRootFromName(const std::wstring& name);

// Program folder from the program's full path: the text before its last "\" ("" without one).
std::wstring FolderOfPath(const std::wstring& path);

// The form of a path that the file functions accept beyond MAX_PATH: "\\?\" (or "\\?\UNC\" for a
// share) in front of a full path of 260 characters or more; shorter paths and paths that already
// carry the prefix are returned as they are.
std::wstring PathForFileCalls(const std::wstring& path);

}  // namespace winaccess
