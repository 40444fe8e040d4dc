#include <windows.h>

#include "startup_folders.h"

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <optional>

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/com_apartment.h"
#include "../../common/winaccess/unique_resource.h"
#include "../core/startup_places.h"
#include "file_walk.h"
#include "startup_texts.h"

namespace varnex::scanners {
namespace {

// Room for a target or argument text well beyond MAX_PATH; a link holding more is cut, never overrun.
constexpr std::size_t kLinkTextCapacity = 4096;

struct CoTaskText {
  PWSTR text = nullptr;
  CoTaskText() = default;
  CoTaskText(const CoTaskText&) = delete;
  CoTaskText& operator=(const CoTaskText&) = delete;
  ~CoTaskText() { ::CoTaskMemFree(text); }
};

std::optional<std::wstring> KnownFolder(REFKNOWNFOLDERID id) {
  CoTaskText path;
  if (FAILED(::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path.text)) || path.text == nullptr) {
    return std::nullopt;
  }
  std::wstring folder = path.text;
  while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  if (folder.empty()) return std::nullopt;
  return folder;
}

struct LinkTarget {
  std::wstring target;
  std::wstring command;
};

// The link's target and command; nullopt when the file is no readable link or names no file.
std::optional<LinkTarget> ReadLink(const std::wstring& path) {
  using Microsoft::WRL::ComPtr;
  ComPtr<IShellLinkW> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) {
    return std::nullopt;
  }
  ComPtr<IPersistFile> file;
  if (FAILED(link.As(&file)) || FAILED(file->Load(path.c_str(), STGM_READ))) return std::nullopt;
  std::wstring target(kLinkTextCapacity, L'\0');
  WIN32_FIND_DATAW found{};
  if (link->GetPath(target.data(), static_cast<int>(kLinkTextCapacity), &found, 0) != S_OK) return std::nullopt;
  std::wstring arguments(kLinkTextCapacity, L'\0');
  if (FAILED(link->GetArguments(arguments.data(), static_cast<int>(kLinkTextCapacity)))) arguments[0] = L'\0';
  LinkTarget result;
  result.target = text::FromBuffer(target.data(), kLinkTextCapacity);
  if (text::Trim(result.target).empty()) return std::nullopt;
  result.command = ShortcutCommand(target.data(), kLinkTextCapacity, arguments.data(), kLinkTextCapacity);
  return result;
}

Finding FolderFileFinding(const std::wstring& folder, const std::wstring& name, const IdentityFiller& fillIdentity) {
  const std::wstring path = folder + L"\\" + name;
  std::optional<LinkTarget> link;
  if (IsShortcutFileName(name)) {
    link = ReadLink(path.size() < MAX_PATH ? path : LongPathOf(path));
  }
  Finding finding;
  finding.Name = name;
  finding.FilePath = link ? link->target : path;
  finding.BinPath = link ? link->command : path;
  finding.StartPath = folder;
  if (fillIdentity) fillIdentity(finding);
  finding.Type = kTypeStartupFolder;
  finding.Descrip = finding.FileDescription;
  return finding;
}

}  // namespace

std::vector<std::wstring> StartupFolderList() {
  std::vector<std::wstring> folders;
  for (const KNOWNFOLDERID* id : {&FOLDERID_Startup, &FOLDERID_CommonStartup}) {
    if (auto folder = KnownFolder(*id)) folders.push_back(std::move(*folder));
  }
  return folders;
}

void ScanStartupFolders(IScanWindow& window, const IdentityFiller& fillIdentity, const FindingConsumer& consume) {
  window.SetStatusText(L"正在扫描启动项...");
  ScanStartupFolderList(StartupFolderList(), fillIdentity, consume);
}

void ScanStartupFolderList(const std::vector<std::wstring>& folders, const IdentityFiller& fillIdentity,
                           const FindingConsumer& consume) {
  winaccess::ComApartment com;
  for (const auto& folder : folders) {
    if (folder.empty()) continue;
    WIN32_FIND_DATAW entry{};
    winaccess::unique_find find(::FindFirstFileW((LongPathOf(folder) + L"\\*").c_str(), &entry));
    if (!find) continue;
    do {
      const std::wstring name = text::FromBuffer(entry.cFileName, MAX_PATH);
      if (name.empty() || name == L"." || name == L"..") continue;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      if (IsFolderSettingsFile(name)) continue;
      consume(FolderFileFinding(folder, name, fillIdentity));
    } while (::FindNextFileW(find.get(), &entry));
  }
}

}  // namespace varnex::scanners
