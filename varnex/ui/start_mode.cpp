#include "start_mode.h"

#include "../../common/text/text_rules.h"

namespace varnex {

StartMode ChooseStartMode(const std::wstring& lower) {
  if (text::Contains(lower, L"\\")) return StartMode::TargetFolder;
  if (text::Contains(lower, L"delsrv")) return StartMode::ServiceDelete;
  if (text::Contains(lower, L"delfile")) return StartMode::FileScan;
  return StartMode::Normal;
}

std::wstring TargetPathFromCommandLine(const std::wstring& lower) {
  return text::TrimChar(text::Trim(lower), L'"');
}

bool IsRefusedFolderName(const std::wstring& name, const std::wstring& userName) {
  static const wchar_t* const refused[] = {L"desktop",      L"system32", L"syswow64", L"windows",
                                           L"drivers",      L"program files", L"program files (x86)",
                                           L"appdata",      L"roaming",  L"local",    L"common files",
                                           L"users",        L"c:",       L""};
  for (const wchar_t* r : refused) {
    if (name == r) return true;
  }
  return name == userName;
}

std::wstring TargetFolderFor(const std::wstring& path, bool isFolder, const std::wstring& userName) {
  if (isFolder) return path + L"\\";
  const auto slash = path.rfind(L'\\');
  const std::wstring folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
  const auto nameStart = folder.rfind(L'\\');
  const std::wstring name = nameStart == std::wstring::npos ? folder : folder.substr(nameStart + 1);
  return IsRefusedFolderName(name, userName) ? path + L"\\" : folder + L"\\";
}

std::wstring TargetModeTitle(const std::wstring& target, const std::wstring& vendor) {
  return L"Varnex（扫描路径：" + target + L" 厂商：" + vendor + L"）";
}

}  // namespace varnex
