#include "scanner_fixtures.h"

#include <gtest/gtest.h>

#include "common/text/text_rules.h"
#include "common/winaccess/winaccess.h"
#include "test_support.h"

namespace scanner_fixtures {

namespace {

constexpr const wchar_t* kParkedChildVariable = L"VX_PARKED_CHILD";

// A copy of this program started as a child process parks here, before any test runs, until the
// test that started it ends it.
const bool kParkedChild = [] {
  if (::GetEnvironmentVariableW(kParkedChildVariable, nullptr, 0) > 0) {
    for (;;) ::Sleep(INFINITE);
  }
  return false;
}();

}  // namespace

std::wstring TestProgramPath() { return winaccess::ProgramPath(); }

ScopedFile::ScopedFile(const std::wstring& path, const std::vector<unsigned char>& bytes) : path_(path) {
  EXPECT_TRUE(testing_support::WriteBytes(path, bytes)) << path;
}

ScopedFile ScopedFile::CopyOfTestProgram(const std::wstring& path) {
  EXPECT_TRUE(::CopyFileW(TestProgramPath().c_str(), path.c_str(), FALSE)) << path;
  return ScopedFile(path);
}

ScopedFile::~ScopedFile() {
  if (!path_.empty()) ::DeleteFileW(path_.c_str());
}

ScopedFolder::ScopedFolder(const std::wstring& path) : path_(path) {
  EXPECT_TRUE(::CreateDirectoryW(path.c_str(), nullptr)) << path;
}

ScopedFolder::~ScopedFolder() { testing_support::DeleteTree(path_); }

ChildProcess::ChildProcess(const std::wstring& programPath, const std::wstring& commandLine, Access access) {
  SECURITY_DESCRIPTOR emptyAccessList{};
  ::InitializeSecurityDescriptor(&emptyAccessList, SECURITY_DESCRIPTOR_REVISION);
  ACL noEntries{};
  ::InitializeAcl(&noEntries, sizeof noEntries, ACL_REVISION);
  ::SetSecurityDescriptorDacl(&emptyAccessList, TRUE, &noEntries, FALSE);
  SECURITY_ATTRIBUTES locked{sizeof locked, &emptyAccessList, FALSE};
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  ::SetEnvironmentVariableW(kParkedChildVariable, L"1");
  // Detached: with CREATE_NO_WINDOW each child got a console host of its own, which under Wine
  // could outlive the terminated child and keep this test's output pipe open.
  const BOOL started = ::CreateProcessW(programPath.c_str(), line.data(), access == Access::Locked ? &locked : nullptr, nullptr, FALSE, DETACHED_PROCESS,
                                        nullptr, nullptr, &startup, &info);
  ::SetEnvironmentVariableW(kParkedChildVariable, nullptr);
  if (!started) {
    ADD_FAILURE() << "cannot start " << testing::PrintToString(programPath) << ", error " << ::GetLastError();
    return;
  }
  ::CloseHandle(info.hThread);
  process_ = info.hProcess;
  id_ = info.dwProcessId;
  // The scanner reads the image path and the command line: wait until both can be read.
  const DWORD deadline = ::GetTickCount() + 10000;
  while (::GetTickCount() < deadline && (winaccess::GetProcessImagePath(process_).empty() ||
                                         winaccess::GetProcessCommandLine(process_).empty())) {
    ::Sleep(20);
  }
}

ChildProcess::~ChildProcess() {
  if (process_ == nullptr) return;
  ::TerminateProcess(process_, 0);
  ::WaitForSingleObject(process_, 10000);
  ::CloseHandle(process_);
}

TestService::TestService(const std::wstring& name, DWORD serviceType, DWORD startType, const std::wstring& binaryPath)
    : name_(name) {
  manager_ = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (manager_ == nullptr) {
    ADD_FAILURE() << "cannot open the service manager, error " << ::GetLastError();
    return;
  }
  service_ = ::CreateServiceW(manager_, name.c_str(), (name + L" display").c_str(), SERVICE_ALL_ACCESS, serviceType,
                              startType, SERVICE_ERROR_IGNORE, binaryPath.c_str(), nullptr, nullptr, nullptr,
                              nullptr, nullptr);
  if (service_ == nullptr) {
    ADD_FAILURE() << "cannot create service " << testing::PrintToString(name) << ", error " << ::GetLastError();
  }
}

TestService::~TestService() {
  if (service_ != nullptr) {
    ::DeleteService(service_);
    ::CloseServiceHandle(service_);
  }
  if (manager_ != nullptr) ::CloseServiceHandle(manager_);
}

const varnex::Finding* FindBy(const std::vector<varnex::Finding>& findings, int column, const std::wstring& value) {
  for (const auto& f : findings) {
    if (varnex::FieldOf(f, column) == value) return &f;
  }
  return nullptr;
}

std::wstring Lower(const std::wstring& s) { return text::LowerAZ(s); }

}  // namespace scanner_fixtures
