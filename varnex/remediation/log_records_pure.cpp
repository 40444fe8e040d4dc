#include "log_records.h"

#include <cstdio>

namespace varnex::remediation {

std::wstring LogFileName(const std::wstring& folderWithBackslash, int year, int month, int day, LogKind kind) {
  wchar_t date[16] = {};
  std::swprintf(date, 16, L"%04d%02d%02d", year, month, day);
  const wchar_t* suffix = kind == LogKind::Removal      ? L"_Varnex.log"
                          : kind == LogKind::AssocClsid ? L"_ASSOC_CLSID.log"
                                                        : L"_DelFile.log";
  return folderWithBackslash + date + suffix;
}

std::wstring MainLogRecord(const std::wstring& name, const std::wstring& type, const std::wstring& binPath,
                           const std::wstring& filePath, const std::wstring& startPath, const std::wstring& company,
                           const std::wstring& fileDescription, const std::wstring& productName,
                           const std::wstring& matchMethod, const std::wstring& quarantinedAs,
                           const std::vector<std::wstring>& notes) {
  std::wstring record = type + L"启动项：\t" + name + L"\t匹配原因：" + matchMethod + L"\r\n";
  record += L"启动路径：\t" + startPath + L"\r\n";
  record += L"启动参数：\t" + binPath + L"\r\n";
  record += L"文件路径：\t" + filePath + L"\r\n";
  if (!quarantinedAs.empty()) record += L"隔离文件：\t" + quarantinedAs + L"\r\n";
  for (const auto& note : notes) record += note + L"\r\n";
  record += L"描述：\t" + company + L"\t" + fileDescription + L"\t" + productName + L"\r\n\r\n";
  return record;
}

std::wstring AssocClsidLogRecord(const std::wstring& key, const std::wstring& path, const std::wstring& matchMethod) {
  return key + L"\t路径：" + path + L"\t匹配原因：" + matchMethod + L"\r\n";
}

std::wstring DelFileLogRecord(const std::wstring& path) { return path + L"\r\n"; }

}  // namespace varnex::remediation
