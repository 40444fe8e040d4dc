// Target-folder mode's start: the folder to scan and the vendor that counts as unwanted, put
// into the rule lists. Shared by the window and the headless scan.
#pragma once

#include <string>

#include "../rules/rule_data.h"

namespace varnex::ui {

struct TargetFolderChoice {
  std::wstring target;  // appended to FolderList when not empty
  std::wstring vendor;  // the file's signer or company, case kept; appended lower-cased to SignList
};

// `lowerCommandLine` is the lower-cased path, possibly in blanks and quotes.
TargetFolderChoice ApplyTargetFolder(const std::wstring& lowerCommandLine, RuleData& rules);

}  // namespace varnex::ui
