#include <windows.h>

#include "log_writer.h"

#include <shlwapi.h>

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/unique_resource.h"
#include "log_records.h"

namespace varnex::remediation {
namespace {

std::wstring ProgramFolderWithBackslash() {
  wchar_t path[261] = {};
  ::GetModuleFileNameW(nullptr, path, 261);
  const std::wstring full = text::FromBuffer(path, 261);
  const auto p = full.rfind(L'\\');
  return p == std::wstring::npos ? std::wstring() : full.substr(0, p + 1);
}

bool WriteAll(HANDLE file, const std::vector<unsigned char>& bytes) {
  DWORD written = 0;
  return bytes.empty() ||
         (::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
          written == bytes.size());
}

void AppendRecord(LogKind kind, const std::wstring& record) {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  const std::wstring path = LogFileName(ProgramFolderWithBackslash(), now.wYear, now.wMonth, now.wDay, kind);
  if (!::PathFileExistsW(path.c_str())) {
    winaccess::unique_file created(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (created) WriteAll(created.get(), text::Utf16LeBytes(L"", true));
  }
  winaccess::unique_file file(
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  ::SetFilePointer(file.get(), 0, nullptr, FILE_END);
  WriteAll(file.get(), text::Utf16LeBytes(record, false));
}

}  // namespace

void WriteRemovalLog(std::wstring name, std::wstring type, std::wstring binPath, std::wstring filePath,
                     std::wstring startPath, std::wstring company, std::wstring fileDescription,
                     std::wstring productName, std::wstring matchMethod, std::wstring quarantinedAs,
                     std::vector<std::wstring> notes) {
  AppendRecord(LogKind::Removal, MainLogRecord(name, type, binPath, filePath, startPath, company, fileDescription,
                                               productName, matchMethod, quarantinedAs, notes));
}

void WriteAssocClsidLog(std::wstring key, std::wstring path, std::wstring matchMethod) {
  AppendRecord(LogKind::AssocClsid, AssocClsidLogRecord(key, path, matchMethod));
}

void WriteDelFileLog(std::wstring path) { AppendRecord(LogKind::DelFile, DelFileLogRecord(path)); }

void WriteRestoreLog(std::wstring record) { AppendRecord(LogKind::Removal, record); }

}  // namespace varnex::remediation
