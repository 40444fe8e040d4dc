#include <windows.h>

#include "registry_removal.h"

#include <shlwapi.h>

#include "../../common/winaccess/unique_resource.h"
#include "../../common/winaccess/winaccess.h"
#include "../backup/registry_target.h"
#include "../backup/registry_tree.h"

namespace varnex::remediation {

using namespace backup;  // the registry targets and trees the backups also use
namespace {

constexpr REGSAM kReadWrite = KEY_READ | KEY_WRITE;  // 0x2001F

// The same view the backups read: the 64-bit one under WOW64 unless the path names Wow6432Node.
REGSAM AccessFor(const std::wstring& keyPath) { return kReadWrite | ViewForKeyPath(keyPath); }

}  // namespace

// The key itself is opened with the view: an open of the bare root answers the predefined handle,
// which has no view, and a delete through it from a 32-bit process would reach the 32-bit branch.
bool DeleteRegValue(std::wstring keyPath, std::wstring valueName) {
  const ValueTarget target = ValueTargetFor(keyPath);
  winaccess::unique_hkey key;
  if (::RegOpenKeyExW(RootKeyOf(target.root), target.subkey.c_str(), 0, AccessFor(keyPath), key.put()) !=
      ERROR_SUCCESS) {
    return false;
  }
  return ::RegDeleteValueW(key.get(), valueName.c_str()) == ERROR_SUCCESS;
}

bool DeleteRegKey(std::wstring keyPath, std::wstring keyName) {
  const KeyTarget target = KeyTargetFor(keyPath, keyName);
  if (!target.allowed) return false;
  winaccess::unique_hkey parent;
  if (::RegOpenKeyExW(RootKeyOf(target.root), target.parent.c_str(), 0, AccessFor(keyPath), parent.put()) !=
      ERROR_SUCCESS) {
    return false;
  }
  return ::SHDeleteKeyW(parent.get(), target.keyName.c_str()) == ERROR_SUCCESS;
}

bool WriteRegText(const std::wstring& keyPath, const std::wstring& valueName, const std::wstring& text) {
  const ValueTarget target = ValueTargetFor(keyPath);
  winaccess::unique_hkey key;
  if (::RegOpenKeyExW(RootKeyOf(target.root), target.subkey.c_str(), 0, AccessFor(keyPath), key.put()) !=
      ERROR_SUCCESS) {
    return false;
  }
  const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return ::RegSetValueExW(key.get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          bytes) == ERROR_SUCCESS;
}

}  // namespace varnex::remediation
