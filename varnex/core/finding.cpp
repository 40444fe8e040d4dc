#include "finding.h"

namespace varnex {

std::wstring& FieldOf(Finding& f, int column) {
  switch (column) {
    case kColName: return f.Name;
    case kColFilePath: return f.FilePath;
    case kColCompany: return f.Company;
    case kColFileDescription: return f.FileDescription;
    case kColProductName: return f.ProductName;
    case kColType: return f.Type;
    case kColId: return f.Id;
    case kColBinPath: return f.BinPath;
    case kColStartPath: return f.StartPath;
    case kColDescrip: return f.Descrip;
    default: return f.MatchMethod;
  }
}

const std::wstring& FieldOf(const Finding& f, int column) {
  return FieldOf(const_cast<Finding&>(f), column);
}

}  // namespace varnex
