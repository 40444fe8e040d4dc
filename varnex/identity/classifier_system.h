// The few questions the Classifier asks the file system and the registry. The program answers
// them from Windows (MakeSystemClassifierAccess); tests answer them from a table.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace varnex {

class IClassifierSystem {
 public:
  virtual ~IClassifierSystem() = default;
  // The version resource's CompanyName of the file; "" when it has none.
  virtual std::wstring CompanyName(const std::wstring& path) = 0;
  // Size of the file in bytes; nullopt when it cannot be read (missing file or folder).
  virtual std::optional<std::uint64_t> FileSize(const std::wstring& path) = 0;
  // True when the folder (given with its trailing "\") holds exactly one file or folder.
  virtual bool FolderHasSingleEntry(const std::wstring& folderWithBackslash) = 0;
  // The command a service-wrapper service is configured to run (GetServiceWrapperCommand).
  virtual std::wstring ServiceWrapperCommand(const std::wstring& serviceName) = 0;
};

#ifdef _WIN32
// The answers of the running system: version resources, GetFileAttributesExW, a folder listing
// and the service's Parameters key.
std::shared_ptr<IClassifierSystem> MakeSystemClassifierAccess();
#endif

}  // namespace varnex
