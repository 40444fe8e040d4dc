#include <windows.h>

#include "fill_identity.h"

#include "../../common/winaccess/winaccess.h"

namespace varnex {

void FillIdentity(Finding& finding) {
  finding.Company = winaccess::GetSignerName(finding.FilePath);
  // One read of the version block answers all three strings.
  const winaccess::VersionInfo version(finding.FilePath);
  finding.FileDescription = version.FileDescription();
  finding.ProductName = version.ProductName();
  if (finding.Company.empty()) {
    finding.VersionCompany = version.CompanyName();
  } else {
    finding.VersionCompany.reset();
  }
}

}  // namespace varnex
