// Appends records to the dated logs beside the program. Every failure is silent: the record is
// lost and the removal goes on.
#pragma once

#include <string>
#include <vector>

namespace varnex::remediation {

void WriteRemovalLog(std::wstring name, std::wstring type, std::wstring binPath, std::wstring filePath,
                     std::wstring startPath, std::wstring company, std::wstring fileDescription,
                     std::wstring productName, std::wstring matchMethod, std::wstring quarantinedAs = L"",
                     std::vector<std::wstring> notes = {});
void WriteAssocClsidLog(std::wstring key, std::wstring path, std::wstring matchMethod);
void WriteDelFileLog(std::wstring path);
// A restore from the backups, in the main log (RestoreLogRecord).
void WriteRestoreLog(std::wstring record);

}  // namespace varnex::remediation
