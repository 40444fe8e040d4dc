#include "registry_target.h"

#include <algorithm>

#include "../../common/text/text_rules.h"

namespace varnex::remediation {
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

}  // namespace

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
  if (target.root == winaccess::RegistryRoot::ClassesRoot && rootName == L"HKEY_CLASSES_ROOT") {
    if (atRoot && (IsGuardedClassName(name) || IsGuardedClassName(bareName))) return target;
  }
  if (target.root != winaccess::RegistryRoot::ClassesRoot && atRoot &&
      bareName.find(L'\\') == std::wstring::npos) {
    return target;  // SOFTWARE, SYSTEM, a user's hive: never a handled item
  }
  target.allowed = true;
  return target;
}

}  // namespace varnex::remediation
