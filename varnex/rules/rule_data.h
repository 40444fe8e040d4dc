// The lists read from the rule files of the data folder. Filled once on the window's thread before
// the first scan, only read afterwards.
#pragma once

#include <string>
#include <vector>

namespace varnex {

struct RuleData {
  std::vector<std::wstring> SignList;          // lower-case vendor or signer fragments
  std::vector<std::wstring> FolderList;        // lower-case "\name\" fragments
  std::vector<std::wstring> AppDataKeyList;    // left of the first ":" of appdatainfo lines
  std::vector<std::wstring> AppDataValueList;  // right of it, same position
  std::vector<std::wstring> WhitePathList;     // lower-case path fragments never reported
  std::vector<std::wstring> ScanPathList;      // folders the file scan walks, case kept
  std::vector<std::wstring> ExcludePathList;   // lower-case folders it leaves out, no trailing "\"
};

}  // namespace varnex
