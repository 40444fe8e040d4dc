#include "trojan_rules.h"

#include "../../common/text/text_rules.h"

namespace varnex {

namespace {

bool IsHexDigits(std::wstring_view lowerText) {
  for (const wchar_t c : lowerText) {
    if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) return false;
  }
  return true;
}

}  // namespace

bool IsFenghuaFolderName(const std::wstring& name) {
  const std::wstring lower = text::LowerAZ(name);
  return lower.size() == 16 && IsHexDigits(lower);
}

bool IsRootkitDriverName(const std::wstring& name) {
  const std::wstring lower = text::LowerAZ(name);
  return lower.size() == 12 && text::EndsWith(lower, L".sys") && IsHexDigits(std::wstring_view(lower).substr(0, 8));
}

Finding FenghuaFolderFinding(const std::wstring& folderName) {
  Finding f;
  f.Name = folderName;
  f.FilePath = kWindowsFolder + folderName;
  f.Company = L"疑似疯花木马";
  f.FileDescription = L"疑似疯花木马";
  f.ProductName = L"疑似疯花木马";
  f.Type = L"驱动木马";
  f.StartPath = L"一般通过延迟删除功能替换系统服务启动";
  f.Descrip = L"疯花木马文件目录，可删除文件重启解决";
  f.MatchMethod = L"疯花木马目录名规则";
  return f;
}

Finding RootkitDriverFinding(const std::wstring& fileName, const std::wstring& fileDescription,
                             const std::wstring& productName) {
  Finding f;
  f.Name = fileName;
  f.FilePath = kDriversFolder + fileName;
  f.Company = L"疑似独狼Rootkit";
  f.FileDescription = fileDescription;
  f.ProductName = productName;
  f.Type = L"驱动木马";
  f.StartPath = L"一般由激活工具或流氓软件捆绑，开机会推装流氓软件或病毒";
  f.Descrip = L"独狼Rootkit，建议火绒恶性木马专杀或360急救箱强力模式两遍";
  f.MatchMethod = L"独狼Rootkit文件名规则";
  return f;
}

Finding KnownDriverFinding(const std::wstring& driversFolder, const std::wstring& knownName) {
  Finding f;
  f.Name = knownName + L".sys";
  f.FilePath = driversFolder + L"\\" + knownName + L".sys";
  f.Company = L"疑似驱动木马";
  f.FileDescription = L"疑似驱动木马";
  f.ProductName = L"疑似驱动木马";
  f.Type = L"驱动木马";
  f.StartPath = L"一般在 HKLM\\SYSTEM\\CurrentControlSet\\Services\\" + knownName;
  f.Descrip = L"流氓软件捆绑的木马，可删除文件重启解决";
  f.MatchMethod = L"常见驱动木马文件名";
  return f;
}

}  // namespace varnex
