#include <windows.h>

#include "fill_identity.h"

#include "../../common/winaccess/winaccess.h"

namespace varnex {

void FillIdentity(Finding& finding) {
  // One read of the version block answers all three strings; a file that is not there has no
  // signer either, so its failed open is not repeated (many registry items name removed files).
  const winaccess::VersionInfo version(finding.FilePath);
  finding.Company = version.Absent() ? std::wstring() : winaccess::GetSignerName(finding.FilePath);
  finding.FileDescription = version.FileDescription();
  finding.ProductName = version.ProductName();
  if (finding.Company.empty()) {
    finding.VersionCompany = version.CompanyName();
  } else {
    finding.VersionCompany.reset();
  }
}

}  // namespace varnex
