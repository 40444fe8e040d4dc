#include "registry_target.h"

#include <algorithm>
#include <vector>

#include "../../common/text/text_rules.h"

namespace varnex::backup {
namespace {

std::wstring UpperAZ(std::wstring s) {
  for (auto& c : s) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return s;
}

bool OnlyBackslashes(const std::wstring& s) {
  return std::all_of(s.begin(), s.end(), [](wchar_t c) { return c == L'\\'; });
}

// The key's path below its root as components, empty ones dropped ("a\\\\b\\" -> a, b).
std::vector<std::wstring> Components(const std::wstring& parent, const std::wstring& keyName) {
  std::vector<std::wstring> parts;
  for (const std::wstring* piece : {&parent, &keyName}) {
    std::wstring current;
    for (wchar_t c : *piece) {
      if (c == L'\\') {
        if (!current.empty()) parts.push_back(current);
        current.clear();
      } else {
        current += c;
      }
    }
    if (!current.empty()) parts.push_back(current);
  }
  return parts;
}

bool IsCollectionName(const std::wstring& lowerName) {
  static const wchar_t* const collections[] = {L"clsid", L"interface", L"typelib", L"appid", L"wow6432node"};
  return std::any_of(std::begin(collections), std::end(collections),
                     [&](const wchar_t* g) { return lowerName == g; });
}

// How many leading components of a lower-cased key path name a class root ("software\classes"
// under the local machine and the user, "<sid>\software\classes" and "<sid>_classes" under
// HKEY_USERS); -1 when the path lies under none.
int ClassRootLength(winaccess::RegistryRoot root, const std::vector<std::wstring>& parts) {
  static const std::wstring kNone;
  auto at = [&](std::size_t i) -> const std::wstring& { return i < parts.size() ? parts[i] : kNone; };
  switch (root) {
    case winaccess::RegistryRoot::ClassesRoot: return 0;
    case winaccess::RegistryRoot::CurrentUser:
    case winaccess::RegistryRoot::LocalMachine:
      if (at(0) != L"software") return -1;
      if (at(1) == L"classes") return 2;
      // SOFTWARE\Wow6432Node itself holds the 32-bit class root: guarded as a key that holds one.
      if (at(1) == L"wow6432node" && (parts.size() == 2 || at(2) == L"classes")) return 3;
      return -1;
    case winaccess::RegistryRoot::Users:
      if (text::EndsWith(at(0), L"_classes")) return 1;
      if (at(1) == L"software" && at(2) == L"classes") return 3;
      return -1;
  }
  return -1;
}

}  // namespace

bool IsGuardedClassKey(winaccess::RegistryRoot root, const std::wstring& lowerParent, const std::wstring& lowerName) {
  const auto parts = Components(lowerParent, lowerName);
  const int classRoot = ClassRootLength(root, parts);
  if (classRoot < 0) return false;
  // The class root itself, or a key that holds it.
  if (parts.size() <= static_cast<std::size_t>(classRoot)) return true;
  const std::vector<std::wstring> below(parts.begin() + classRoot, parts.end());
  auto guarded = [](const std::wstring& n) { return IsGuardedClassName(n) || IsCollectionName(n); };
  if (below.size() == 1) return guarded(below[0]);
  // The 32-bit branch of the class root holds the same collections.
  return below.size() == 2 && below[0] == L"wow6432node" && guarded(below[1]);
}

bool UsesNativeView(const std::wstring& keyPath) { return !text::Contains(text::LowerAZ(keyPath), L"wow6432node"); }

ValueTarget ValueTargetFor(const std::wstring& keyPath) {
  const auto parts = winaccess::SplitRegistryPath(keyPath);
  return {winaccess::RegistryRootFromName(parts.rootName), parts.subkey};
}

bool IsGuardedClassName(const std::wstring& lowerName) {
  static const wchar_t* const guarded[] = {L"",       L"\\",        L"\\\\",    L"exefile", L"regfile",
                                           L"batfile", L"folder", L"directory", L"lnkfile", L"*"};
  return std::any_of(std::begin(guarded), std::end(guarded), [&](const wchar_t* g) { return lowerName == g; });
}

KeyTarget KeyTargetFor(const std::wstring& keyPath, const std::wstring& keyName) {
  KeyTarget target;
  const std::wstring name = text::LowerAZ(keyName);
  const auto parts = winaccess::SplitRegistryPath(text::LowerAZ(keyPath));
  const std::wstring rootName = UpperAZ(parts.rootName);
  const std::wstring& subkey = parts.subkey;
  target.root = winaccess::RegistryRootFromName(rootName);
  target.keyName = name;

  // An empty name would make the parent itself (with everything below it) the deleted key.
  if (OnlyBackslashes(name)) return target;

  if (subkey == name) {
    target.parent.clear();
  } else if (subkey.size() > name.size() && text::EndsWith(subkey, name) &&
             subkey[subkey.size() - name.size() - 1] == L'\\') {
    target.parent = subkey.substr(0, subkey.size() - name.size() - 1);
  } else if (subkey.find(name) == std::wstring::npos) {
    target.parent.clear();  // a key path of its own, below the root
  } else {
    return target;  // found only inside the path: that is another key than the one the path ends in
  }

  const std::wstring bareName = text::TrimChar(name, L'\\');
  const bool atRoot = OnlyBackslashes(target.parent);
  if (atRoot && bareName.empty()) return target;
  if (IsGuardedClassKey(target.root, target.parent, name)) return target;
  if (target.root != winaccess::RegistryRoot::ClassesRoot && atRoot &&
      bareName.find(L'\\') == std::wstring::npos) {
    return target;  // SOFTWARE, SYSTEM, a user's hive: never a handled item
  }
  target.allowed = true;
  return target;
}

}  // namespace varnex::backup
