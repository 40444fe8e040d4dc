// Where registry deletions land: root mapping, parent key, the WOW64 view and the guards.
#include <gtest/gtest.h>

#include <cwctype>

#include "varnex/backup/registry_target.h"

using namespace varnex::backup;
using namespace varnex::backup;
using winaccess::RegistryRoot;

TEST(RemovalRegistryTarget, ValueTargetsMapTheRootAsWritten) {
  struct Case {
    const wchar_t* path;
    RegistryRoot root;
    const wchar_t* subkey;
  } cases[] = {
      {L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", RegistryRoot::CurrentUser,
       L"Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {L"hkey_current_user\\Environment", RegistryRoot::LocalMachine, L"Environment"},  // lower case: not mapped
      {L"HKEY_USERS\\.DEFAULT\\Environment", RegistryRoot::Users, L".DEFAULT\\Environment"},
      {L"Environment", RegistryRoot::LocalMachine, L"Environment"},
  };
  for (const auto& c : cases) {
    const auto t = ValueTargetFor(c.path);
    EXPECT_EQ(t.root, c.root) << c.path;
    EXPECT_EQ(t.subkey, c.subkey) << c.path;
  }
  EXPECT_TRUE(UsesNativeView(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft"));
  EXPECT_FALSE(UsesNativeView(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432NODE\\Microsoft"));
  EXPECT_FALSE(UsesNativeView(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft"));
}

TEST(RemovalRegistryTarget, KeyTargets) {
  struct Case {
    const wchar_t* path;
    const wchar_t* name;
    bool allowed;
    RegistryRoot root;
    const wchar_t* parent;
    const wchar_t* keyName;
  } cases[] = {
      // The usual handler key: the name is the path's last component.
      {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\*\\shellex\\ContextMenuHandlers\\Tool", L"Tool", true,
       RegistryRoot::LocalMachine, L"software\\classes\\*\\shellex\\contextmenuhandlers", L"tool"},
      // A lower-case root name is raised before mapping.
      {L"hkey_current_user\\Software\\Vx\\Tool", L"Tool", true, RegistryRoot::CurrentUser, L"software\\vx", L"tool"},
      // A class key below CLSID is not guarded.
      {L"HKEY_CLASSES_ROOT\\CLSID\\{AB-12}", L"{AB-12}", true, RegistryRoot::ClassesRoot, L"clsid", L"{ab-12}"},
      // The name also occurs earlier: only the final component is the key.
      {L"HKEY_CURRENT_USER\\Software\\tool\\x\\tool", L"tool", true, RegistryRoot::CurrentUser, L"software\\tool\\x",
       L"tool"},
      // The name occurs only earlier (or inside a component): another key than the row's; refused.
      {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Foo\\Bar", L"software", false, RegistryRoot::LocalMachine, L"", L"software"},
      {L"HKEY_CURRENT_USER\\Software\\mytools\\x", L"tool", false, RegistryRoot::CurrentUser, L"", L"tool"},
      // A verb: the name is a path of its own below the root.
      {L"HKEY_CLASSES_ROOT\\*\\shell", L"*\\shell\\scan with tool", true, RegistryRoot::ClassesRoot, L"",
       L"*\\shell\\scan with tool"},
      // A class directly below the root that is not guarded.
      {L"HKEY_CLASSES_ROOT\\txtfile", L"txtfile", true, RegistryRoot::ClassesRoot, L"", L"txtfile"},
      // Empty names would delete the parent's whole content.
      {L"HKEY_CLASSES_ROOT\\CLSID\\", L"", false, RegistryRoot::ClassesRoot, L"", L""},
      {L"HKEY_CURRENT_USER\\Software\\Vx", L"\\", false, RegistryRoot::CurrentUser, L"", L"\\"},
      // Top-level keys of the other roots.
      {L"HKEY_LOCAL_MACHINE\\SOFTWARE", L"SOFTWARE", false, RegistryRoot::LocalMachine, L"", L"software"},
      {L"HKEY_CURRENT_USER\\x", L"Software", false, RegistryRoot::CurrentUser, L"", L"software"},
      {L"HKEY_CURRENT_USER\\x", L"Software\\Vendor", true, RegistryRoot::CurrentUser, L"", L"software\\vendor"},
      // No backslash: the local machine, the whole text as subkey.
      {L"Tool", L"Tool", false, RegistryRoot::LocalMachine, L"", L"tool"},
      // An unknown root name is the local machine, and its first component the subkey: HKLM\Tool.
      {L"Software\\Tool", L"Tool", false, RegistryRoot::LocalMachine, L"", L"tool"},
      {L"Vendor\\Software\\Tool", L"Tool", true, RegistryRoot::LocalMachine, L"software", L"tool"},
  };
  for (const auto& c : cases) {
    const auto t = KeyTargetFor(c.path, c.name);
    EXPECT_EQ(t.allowed, c.allowed) << c.path << " | " << c.name;
    if (!c.allowed) continue;
    EXPECT_EQ(t.root, c.root) << c.path;
    EXPECT_EQ(t.parent, c.parent) << c.path;
    EXPECT_EQ(t.keyName, c.keyName) << c.path;
  }
}

TEST(RemovalRegistryTarget, ClassRootGuardInEveryLetterCase) {
  const wchar_t* names[] = {L"exefile", L"regfile", L"batfile", L"folder", L"directory", L"lnkfile", L"*"};
  for (const wchar_t* name : names) {
    std::wstring mixed = name;
    for (std::size_t i = 0; i < mixed.size(); i += 2) mixed[i] = static_cast<wchar_t>(std::towupper(mixed[i]));
    for (const std::wstring& n : {std::wstring(name), mixed}) {
      EXPECT_FALSE(KeyTargetFor(L"HKEY_CLASSES_ROOT\\" + n, n).allowed) << n;
      EXPECT_FALSE(KeyTargetFor(L"hkey_classes_root\\" + n, n).allowed) << n;
      EXPECT_FALSE(KeyTargetFor(L"HKEY_CLASSES_ROOT\\\\" + n, n).allowed) << n;   // parent "\"
      EXPECT_FALSE(KeyTargetFor(L"HKEY_CLASSES_ROOT\\\\\\" + n, n).allowed) << n;  // parent "\\"
      EXPECT_FALSE(KeyTargetFor(L"HKEY_CLASSES_ROOT\\Other", n).allowed) << n;     // not in the path: the root
      EXPECT_FALSE(KeyTargetFor(L"HKEY_CLASSES_ROOT\\" + n + L"\\", n + L"\\").allowed) << n;
      // Deeper below the class root the same names are ordinary keys.
      EXPECT_TRUE(KeyTargetFor(L"HKEY_CLASSES_ROOT\\Applications\\" + n, n).allowed) << n;
    }
  }
  EXPECT_TRUE(IsGuardedClassName(L""));
  EXPECT_TRUE(IsGuardedClassName(L"\\\\"));
  EXPECT_FALSE(IsGuardedClassName(L"txtfile"));
}

namespace {
std::wstring text_upper(std::wstring s) {
  for (auto& c : s) c = static_cast<wchar_t>(std::towupper(c));
  return s;
}
std::wstring MixedCase(const std::wstring& s) {
  std::wstring mixed = s;
  for (std::size_t i = 0; i < mixed.size(); i += 2) mixed[i] = static_cast<wchar_t>(std::towupper(mixed[i]));
  for (std::size_t i = 1; i < mixed.size(); i += 2) mixed[i] = static_cast<wchar_t>(std::towlower(mixed[i]));
  return mixed;
}
}  // namespace

// A class registration is deleted at the key of one class, never at a collection of them, under
// each of the three class roots and their Wow6432Node forms, in any letter case.
TEST(RemovalRegistryTarget, CollectionsOfClassesAreNeverDeleted) {
  const std::wstring roots[] = {L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER\\Software\\Classes",
                                L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes", L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Classes",
                                L"HKEY_USERS\\S-1-5-21-1\\Software\\Classes", L"HKEY_USERS\\S-1-5-21-1_Classes"};
  const std::wstring collections[] = {L"CLSID", L"Interface", L"TypeLib", L"AppID", L"Wow6432Node",
                                      L"Wow6432Node\\CLSID", L"Wow6432Node\\Interface", L"Wow6432Node\\TypeLib",
                                      L"Wow6432Node\\AppID", L"exefile", L"Wow6432Node\\lnkfile"};
  for (const std::wstring& rootText : roots) {
    for (const std::wstring& r : {rootText, MixedCase(rootText)}) {
      for (const std::wstring& plain : collections) {
        for (const std::wstring& n : {plain, MixedCase(plain), text_upper(plain)}) {
          const std::wstring last = n.substr(n.rfind(L'\\') == std::wstring::npos ? 0 : n.rfind(L'\\') + 1);
          // The row's path ends in the collection, the name is its last component.
          EXPECT_FALSE(KeyTargetFor(r + L"\\" + n, last).allowed) << r << " | " << n;
          // The name is the whole path below the class root.
          EXPECT_FALSE(KeyTargetFor(r + L"\\" + n, n).allowed) << r << " | " << n;
          // Doubled or trailing backslashes change nothing.
          EXPECT_FALSE(KeyTargetFor(r + L"\\\\" + n + L"\\", last + L"\\").allowed) << r << " | " << n;
        }
        // One class inside the collection is an ordinary key.
        const auto one = KeyTargetFor(r + L"\\" + plain + L"\\{AB-12}", L"{AB-12}");
        EXPECT_TRUE(one.allowed) << r << " | " << plain;
      }
      // The class root itself.
      const std::wstring lastOfRoot = r.substr(r.rfind(L'\\') + 1);
      if (r.find(L'\\') != std::wstring::npos) {
        EXPECT_FALSE(KeyTargetFor(r, lastOfRoot).allowed) << r;
      }
    }
  }
  // The class-registration step of the worker: BinPath names a class below CLSID.
  EXPECT_TRUE(KeyTargetFor(L"HKEY_CLASSES_ROOT\\CLSID\\{0D7A}", L"{0D7A}").allowed);
  EXPECT_FALSE(KeyTargetFor(L"HKEY_CLASSES_ROOT\\CLSID\\", L"").allowed);
  EXPECT_FALSE(KeyTargetFor(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node", L"Wow6432Node").allowed);
  // Elsewhere the same names are ordinary keys.
  EXPECT_TRUE(KeyTargetFor(L"HKEY_CURRENT_USER\\Software\\Vendor\\CLSID", L"CLSID").allowed);
  EXPECT_TRUE(KeyTargetFor(L"HKEY_CLASSES_ROOT\\Applications\\Interface", L"Interface").allowed);
  EXPECT_TRUE(KeyTargetFor(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Classes\\CLSID", L"CLSID").allowed);
}
