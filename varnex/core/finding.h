// One examined item as the result views show it: eleven texts, in column order (and one carried
// value that no view shows).
#pragma once

#include <array>
#include <optional>
#include <string>

namespace varnex {

struct Finding {
  std::wstring Name;
  std::wstring FilePath;
  std::wstring Company;
  std::wstring FileDescription;
  std::wstring ProductName;
  std::wstring Type;
  std::wstring Id;
  std::wstring BinPath;
  std::wstring StartPath;
  std::wstring Descrip;
  std::wstring MatchMethod;

  // Not a column: the CompanyName of FilePath's version block, set by FillIdentity from the same
  // read as FileDescription and ProductName when the signer is empty, so that the Classifier's
  // fall-back to it reads nothing again. Unset otherwise; the Classifier clears it before posting.
  std::optional<std::wstring> VersionCompany;

  bool operator==(const Finding&) const = default;
};

inline constexpr int kFindingColumnCount = 11;

enum FindingColumn : int {
  kColName = 0,
  kColFilePath,
  kColCompany,
  kColFileDescription,
  kColProductName,
  kColType,
  kColId,
  kColBinPath,
  kColStartPath,
  kColDescrip,
  kColMatchMethod,
};

struct ColumnInfo {
  const wchar_t* title;
  int width;
};
inline constexpr std::array<ColumnInfo, kFindingColumnCount> kFindingColumns = {{
    {L"项目名", 120},
    {L"文件路径", 300},
    {L"文件厂商", 180},
    {L"文件说明", 130},
    {L"产品名称", 130},
    {L"类型", 100},
    {L"ID", 0},
    {L"BinPath", 0},
    {L"StartPath", 0},
    {L"Descrip", 0},
    {L"匹配方式", 0},
}};

const std::wstring& FieldOf(const Finding& finding, int column);
std::wstring& FieldOf(Finding& finding, int column);

}  // namespace varnex
