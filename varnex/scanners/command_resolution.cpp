#include <windows.h>

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/registry.h"
#include "../../common/winaccess/winaccess.h"
#include "command_resolution.h"
#include "scanner_registry.h"

namespace varnex::scanners {

std::wstring ResolveCommandPath(std::wstring command) {
  // The system-folder tests must see the native folders, also from a 32-bit process.
  winaccess::DisableWow64Redirection();
  static const ResolveSeams kMachine{
      [](const std::wstring& path) { return winaccess::PathExists(path); },
      [](const std::wstring& in, std::wstring& out) { return winaccess::ExpandEnvironment(in, out, 261); }};
  return ResolveCommandPathWith(std::move(command), kMachine);
}

std::wstring GetComServerPath(const std::wstring& clsid) {
  if (clsid.empty()) return {};
  constexpr REGSAM kQuery64 = KEY_QUERY_VALUE | KEY_WOW64_64KEY;
  const std::wstring classKey = L"CLSID\\" + clsid;

  std::wstring result;
  auto key = winaccess::OpenKey(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", kQuery64);
  // The 32-bit registration counts only when the class has no 64-bit server key at all.
  if (!key) key = winaccess::OpenKey(HKEY_CLASSES_ROOT, L"Wow6432Node\\" + classKey + L"\\InprocServer32", KEY_QUERY_VALUE);
  if (key) result = ReadValueAsText(key.get(), L"").value_or(L"");

  if (result.empty()) {
    key = winaccess::OpenKey(HKEY_CLASSES_ROOT, classKey + L"\\LocalServer32", kQuery64);
    if (key) result = ReadValueAsText(key.get(), L"").value_or(L"");
  }

  // A .NET class names the runtime as its server; the assembly it loads is its CodeBase.
  if (key && text::Contains(text::LowerAZ(result), L"mscoree.dll")) {
    if (auto codeBase = ReadValueAsText(key.get(), L"CodeBase")) {
      result = *codeBase;
      if (text::StartsWith(text::LowerAZ(result), L"file:///")) result.erase(0, 8);
    }
  }
  return result;
}

}  // namespace varnex::scanners
