#include <windows.h>

#include "target_folder.h"

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/winaccess.h"
#include "start_mode.h"

namespace varnex::ui {

TargetFolderChoice ApplyTargetFolder(const std::wstring& lowerCommandLine, RuleData& rules) {
  const std::wstring path = TargetPathFromCommandLine(lowerCommandLine);
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  // A path whose attributes cannot be read is taken as a folder.
  const bool isFolder = attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  TargetFolderChoice choice;
  std::wstring userName;
  if (!isFolder) {
    choice.vendor = winaccess::GetSignerName(path);
    if (choice.vendor.empty()) choice.vendor = winaccess::GetCompanyName(path);
    if (!choice.vendor.empty()) rules.SignList.push_back(text::LowerAZ(choice.vendor));
    wchar_t name[260] = {};
    DWORD size = 260;
    if (::GetUserNameW(name, &size)) userName = text::LowerAZ(text::FromBuffer(name, 260));
  }
  choice.target = TargetFolderFor(path, isFolder, userName);
  if (!choice.target.empty()) rules.FolderList.push_back(choice.target);
  return choice;
}

}  // namespace varnex::ui
