#include <windows.h>

#include "classifier_system.h"

#include "../../common/winaccess/winaccess.h"
#include "service_wrapper.h"

namespace varnex {
namespace {

class SystemClassifierAccess : public IClassifierSystem {
 public:
  std::wstring CompanyName(const std::wstring& path) override { return winaccess::GetCompanyName(path); }

  std::optional<std::uint64_t> FileSize(const std::wstring& path) override {
    winaccess::DisableWow64Redirection();
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }

  bool FolderHasSingleEntry(const std::wstring& folderWithBackslash) override {
    // An empty folder text would list the current directory instead.
    return !folderWithBackslash.empty() && winaccess::FolderHasSingleEntry(folderWithBackslash);
  }

  std::wstring ServiceWrapperCommand(const std::wstring& serviceName) override {
    return GetServiceWrapperCommand(serviceName);
  }
};

}  // namespace

std::shared_ptr<IClassifierSystem> MakeSystemClassifierAccess() { return std::make_shared<SystemClassifierAccess>(); }

}  // namespace varnex
