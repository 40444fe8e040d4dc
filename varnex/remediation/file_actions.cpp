#include <windows.h>

#include "file_actions.h"

#include <shlobj.h>
#include <shlwapi.h>


#include "../../common/text/text_rules.h"
#include "../../common/winaccess/winaccess.h"
#include "file_names.h"

namespace varnex::remediation {
namespace {

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(winaccess::PathForFileCalls(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring DesktopFolder() {
  wchar_t desktop[MAX_PATH + 1] = {};
  if (!::SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE)) return {};
  return text::FromBuffer(desktop, MAX_PATH + 1);
}

// An earlier ".bak" file is deleted for good to make room: it is copied into the store first.
void RenameFileToBackup(const std::wstring& filePath, backup::IStepBackup& rowBackup, bool blocker = false) {
  const std::wstring backup = FileBackupPath(filePath);
  if (Exists(backup)) {
    if (!rowBackup.FileCopy(backup, L"删除旧的.bak文件")) return;
    rowBackup.Done(::DeleteFileW(backup.c_str()) != FALSE);
  }
  if (!rowBackup.Move(filePath, backup, L"重命名为.bak", blocker)) return;
  rowBackup.Done(::MoveFileW(filePath.c_str(), backup.c_str()) != FALSE);
}

}  // namespace

void DeleteFileNowOrAtReboot(const std::wstring& filePath, backup::IStepBackup& backup) {
  if (filePath.empty()) return;
  winaccess::DisableWow64Redirection();
  if (!backup.FileCopy(filePath, L"删除文件")) return;
  // The file scan reaches files deeper than MAX_PATH; they can only be deleted in the long form.
  const std::wstring path = winaccess::PathForFileCalls(filePath);
  bool ok = ::DeleteFileW(path.c_str()) != FALSE;
  if (!ok) ok = ::MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
  backup.Done(ok);
}

std::wstring QuarantineFile(const std::wstring& name, const std::wstring& filePath, backup::IStepBackup& backup) {
  if (filePath.empty()) return {};
  winaccess::DisableWow64Redirection();
  const std::wstring desktop = DesktopFolder();
  const std::wstring target = QuarantinePath(desktop, name, filePath, Exists);
  bool moved = false;
  // A Startup-folder file may lie beyond MAX_PATH; only the long form reaches it.
  const std::wstring source = winaccess::PathForFileCalls(filePath);
  if (!target.empty()) {
    if (!backup.Move(filePath, target, L"隔离到桌面")) return {};
    moved = ::MoveFileExW(source.c_str(), winaccess::PathForFileCalls(target).c_str(), 0) != FALSE;
    backup.Done(moved);
  }
  // Fallback: put the file out of action in place.
  if (!moved) {
    const std::wstring renamed = FileBackupPath(filePath);
    if (!backup.Move(filePath, renamed, L"重命名为.bak")) return {};
    backup.Done(::MoveFileW(source.c_str(), winaccess::PathForFileCalls(renamed).c_str()) != FALSE);
  }  const std::wstring plain = QuarantinePath(desktop, name, filePath, [](const std::wstring&) { return false; });
  return moved && target != plain ? target : std::wstring();
}

void BlockScriptFile(const std::wstring& filePath, backup::IStepBackup& backup) {
  if (filePath.empty()) return;
  winaccess::DisableWow64Redirection();
  const DWORD attributes = ::GetFileAttributesW(filePath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
  RenameFileToBackup(filePath, backup, true);
  if (backup.Failed()) return;
  ::CreateDirectoryW(filePath.c_str(), nullptr);
}

SystemFolders CurrentSystemFolders() {
  SystemFolders folders;
  wchar_t windows[MAX_PATH + 1] = {};
  if (::GetWindowsDirectoryW(windows, MAX_PATH + 1) != 0) folders.windows = text::FromBuffer(windows, MAX_PATH + 1);
  auto env = [](const wchar_t* name) {
    std::wstring value;
    return winaccess::ExpandEnvironment(name, value, 1024) && value.find(L'%') == std::wstring::npos ? value
                                                                                                     : std::wstring();
  };
  for (const wchar_t* name : {L"%ProgramFiles%", L"%ProgramFiles(x86)%", L"%ProgramW6432%"}) {
    const std::wstring value = env(name);
    if (!value.empty()) folders.programFiles.push_back(value);
  }
  folders.programData = env(L"%ProgramData%");
  if (folders.programData.empty()) folders.programData = env(L"%ALLUSERSPROFILE%");
  folders.profile = env(L"%USERPROFILE%");
  const std::wstring publicFolder = env(L"%PUBLIC%");
  const std::wstring usersFrom = !publicFolder.empty() ? publicFolder : folders.profile;
  const auto slash = usersFrom.find_last_of(L"\\");
  if (slash != std::wstring::npos) folders.users = usersFrom.substr(0, slash);
  return folders;
}

void OfferRename(Finding& row, const AskUserFn& ask, std::vector<std::wstring>& notes, backup::IStepBackup& rowBackup) {
  if (ask(nullptr, row.Name + L"处理失败，是否重命名文件使其失效？", L"提示", MB_YESNO) != IDYES) return;
  if (row.FilePath.empty()) return;
  winaccess::DisableWow64Redirection();
  if (row.MatchMethod.find(L'\\') == std::wstring::npos) {
    RenameFileToBackup(row.FilePath, rowBackup);
    return;
  }
  const std::wstring lowered = text::LowerAZ(row.FilePath);
  const auto folder = FolderForRule(lowered, row.MatchMethod);
  if (!folder) {
    // The rule does not name a folder of this path: only the file itself is put out of action.
    RenameFileToBackup(row.FilePath, rowBackup);
    return;
  }
  row.FilePath = lowered;
  if (IsProtectedFolder(*folder, CurrentSystemFolders())) {
    // A system or profile folder is never renamed: only the file is put out of action.
    notes.push_back(L"未重命名目录：\t" + *folder + L"（系统或用户目录，只重命名了文件）");
    RenameFileToBackup(row.FilePath, rowBackup);
    return;
  }
  // An earlier backup of the folder is kept; the folder takes the next free backup name.
  const std::wstring backup = FreeFolderBackupPath(*folder, Exists);
  DWORD error = ERROR_ALREADY_EXISTS;
  if (!backup.empty()) {
    if (!rowBackup.Move(*folder, backup, L"重命名目录")) return;
    const bool moved = ::MoveFileW(folder->c_str(), backup.c_str()) != FALSE;
    error = ::GetLastError();
    rowBackup.Done(moved);
    if (moved) return;
  }
  RenameFileToBackup(row.FilePath, rowBackup);
  if (rowBackup.Failed()) return;
  ask(nullptr,
      L"重命名目录：" + *folder + L" 失败，错误" + ErrorText(error) +
          L"\r\n请在目录下查找包含字符串unins或takeaway的程序双击卸载！",
      L"重命名目录失败！", MB_ICONERROR);
}

}  // namespace varnex::remediation
