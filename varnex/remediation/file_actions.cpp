#include <windows.h>

#include "file_actions.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/winaccess.h"
#include "file_names.h"

namespace varnex::remediation {
namespace {

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(PathForFileCalls(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring DesktopFolder() {
  wchar_t desktop[MAX_PATH + 1] = {};
  if (!::SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE)) return {};
  return text::FromBuffer(desktop, MAX_PATH + 1);
}

void RenameFileToBackup(const std::wstring& filePath) {
  const std::wstring backup = FileBackupPath(filePath);
  ::DeleteFileW(backup.c_str());
  ::MoveFileW(filePath.c_str(), backup.c_str());
}

// Deleted for good, with the shell's own progress and error windows.
void DeleteFolderTree(const std::wstring& folder) {
  std::vector<wchar_t> from(folder.begin(), folder.end());
  from.push_back(L'\0');
  from.push_back(L'\0');
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.data();
  operation.fFlags = FOF_NOCONFIRMATION;
  ::SHFileOperationW(&operation);
}

}  // namespace

void DeleteFileNowOrAtReboot(const std::wstring& filePath) {
  if (filePath.empty()) return;
  winaccess::DisableWow64Redirection();
  // The file scan reaches files deeper than MAX_PATH; they can only be deleted in the long form.
  const std::wstring path = PathForFileCalls(filePath);
  if (!::DeleteFileW(path.c_str())) ::MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

std::wstring QuarantineFile(const std::wstring& name, const std::wstring& filePath) {
  if (filePath.empty()) return {};
  winaccess::DisableWow64Redirection();
  const std::wstring desktop = DesktopFolder();
  const std::wstring target = QuarantinePath(desktop, name, filePath, Exists);
  bool moved = false;
  // A Startup-folder file may lie beyond MAX_PATH; only the long form reaches it.
  const std::wstring source = PathForFileCalls(filePath);
  if (!target.empty()) moved = ::MoveFileExW(source.c_str(), PathForFileCalls(target).c_str(), 0) != FALSE;
  // Fallback: put the file out of action in place.
  if (!moved) ::MoveFileW(source.c_str(), PathForFileCalls(FileBackupPath(filePath)).c_str());
  const std::wstring plain = QuarantinePath(desktop, name, filePath, [](const std::wstring&) { return false; });
  return moved && target != plain ? target : std::wstring();
}

void BlockScriptFile(const std::wstring& filePath) {
  if (filePath.empty()) return;
  winaccess::DisableWow64Redirection();
  const DWORD attributes = ::GetFileAttributesW(filePath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
  RenameFileToBackup(filePath);
  ::CreateDirectoryW(filePath.c_str(), nullptr);
}

void OfferRename(Finding& row, const AskUserFn& ask) {
  if (ask(nullptr, row.Name + L"处理失败，是否重命名文件使其失效？", L"提示", MB_YESNO) != IDYES) return;
  if (row.FilePath.empty()) return;
  winaccess::DisableWow64Redirection();
  if (row.MatchMethod.find(L'\\') == std::wstring::npos) {
    RenameFileToBackup(row.FilePath);
    return;
  }
  const std::wstring lowered = text::LowerAZ(row.FilePath);
  const auto folder = FolderForRule(lowered, row.MatchMethod);
  if (!folder) {
    // The rule does not name a folder of this path: only the file itself is put out of action.
    RenameFileToBackup(row.FilePath);
    return;
  }
  row.FilePath = lowered;
  const std::wstring backup = FolderBackupPath(*folder);
  if (Exists(backup)) {
    DeleteFolderTree(backup);
    return;
  }
  if (::MoveFileW(folder->c_str(), backup.c_str())) return;
  const DWORD error = ::GetLastError();
  RenameFileToBackup(row.FilePath);
  ask(nullptr,
      L"重命名目录：" + *folder + L" 失败，错误" + ErrorText(error) +
          L"\r\n请在目录下查找包含字符串unins或takeaway的程序双击卸载！",
      L"重命名目录失败！", MB_ICONERROR);
}

}  // namespace varnex::remediation
