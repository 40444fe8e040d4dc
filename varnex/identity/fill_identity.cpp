#include <windows.h>

#include "fill_identity.h"

#include "../../common/winaccess/winaccess.h"

namespace varnex {

void FillIdentity(Finding& finding) {
  finding.Company = winaccess::GetSignerName(finding.FilePath);
  finding.FileDescription = winaccess::GetFileDescription(finding.FilePath);
  finding.ProductName = winaccess::GetProductName(finding.FilePath);
}

}  // namespace varnex
