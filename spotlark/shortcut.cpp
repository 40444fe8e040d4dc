#include <windows.h>

#include "shortcut.h"

#include <objbase.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "common/text/text_rules.h"
#include "common/winaccess/com_apartment.h"

namespace spotlark {

namespace {

std::wstring ReadLink(const std::wstring& linkPath) {
  using Microsoft::WRL::ComPtr;
  ComPtr<IShellLinkW> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) return {};
  ComPtr<IPersistFile> file;
  if (FAILED(link.As(&file)) || FAILED(file->Load(linkPath.c_str(), 0))) return {};

  wchar_t target[260] = {};
  WIN32_FIND_DATAW found{};
  if (FAILED(link->GetPath(target, 260, &found, SLGP_SHORTPATH))) return {};
  wchar_t folder[260] = {};
  if (FAILED(link->GetWorkingDirectory(folder, 260))) folder[0] = L'\0';

  const std::wstring workingFolder = text::Trim(text::FromBuffer(folder, 260));
  if (!workingFolder.empty()) {
    return text::FromBuffer(folder, 260) + L"\\" + text::FromBuffer(found.cFileName, MAX_PATH);
  }
  return text::FromBuffer(target, 260);
}

}  // namespace

std::wstring ResolveShortcut(const std::wstring& linkPath) {
  winaccess::ComApartment com;
  return ReadLink(linkPath);
}

std::wstring ResolveDroppedPath(const std::wstring& path) {
  if (!text::ContainsAfterStart(text::LowerAZ(path), L".lnk")) return path;
  const std::wstring target = ResolveShortcut(path);
  if (target.empty()) return path;
  wchar_t longPath[260] = {};
  const DWORD length = ::GetLongPathNameW(target.c_str(), longPath, 260);
  if (length == 0 || length >= 260) return target;
  return text::FromBuffer(longPath, 260);
}

}  // namespace spotlark
