// Fixtures of the scanner tests: a window that records what reaches it, child processes started
// from copies of this test program, services in the service manager and files or folders placed
// in system folders, each removed again at the end.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "varnex/core/finding.h"
#include "varnex/core/scan_window.h"

namespace scanner_fixtures {

struct RecordingWindow : varnex::IScanWindow {
  std::vector<varnex::Finding> findings;
  std::vector<std::wstring> statuses;
  std::vector<std::wstring> titles;
  void PostFinding(const varnex::Finding& f) override { findings.push_back(f); }
  void SetStatusText(const std::wstring& t) override { statuses.push_back(t); }
  void SetTitle(const std::wstring& t) override { titles.push_back(t); }
  void SetActionButtonText(const std::wstring&) override {}
  void EnableRescanButton(bool) override {}
};

// Full path of the running test program.
std::wstring TestProgramPath();

// A copy of this test program (or any bytes) at `path`, deleted at the end.
class ScopedFile {
 public:
  ScopedFile(const std::wstring& path, const std::vector<unsigned char>& bytes);
  static ScopedFile CopyOfTestProgram(const std::wstring& path);
  ~ScopedFile();
  ScopedFile(ScopedFile&& other) noexcept : path_(std::move(other.path_)) { other.path_.clear(); }
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;
  const std::wstring& Path() const { return path_; }

 private:
  explicit ScopedFile(std::wstring path) : path_(std::move(path)) {}
  std::wstring path_;
};

// A folder created for the test and deleted with its content at the end.
class ScopedFolder {
 public:
  explicit ScopedFolder(const std::wstring& path);
  ~ScopedFolder();
  ScopedFolder(const ScopedFolder&) = delete;
  ScopedFolder& operator=(const ScopedFolder&) = delete;
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
};

// A copy of this test program started with `commandLine`; it waits, doing nothing, until it is
// ended at the end of the test. A locked child has an empty access list, so that other handles to
// it cannot be opened.
class ChildProcess {
 public:
  enum class Access { Open, Locked };
  ChildProcess(const std::wstring& programPath, const std::wstring& commandLine, Access access = Access::Open);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  DWORD Id() const { return id_; }
  bool Running() const { return process_ != nullptr; }

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// A service or driver entry in the service manager, deleted at the end.
class TestService {
 public:
  TestService(const std::wstring& name, DWORD serviceType, DWORD startType, const std::wstring& binaryPath);
  ~TestService();
  TestService(const TestService&) = delete;
  TestService& operator=(const TestService&) = delete;
  const std::wstring& Name() const { return name_; }
  bool Created() const { return service_ != nullptr; }

 private:
  std::wstring name_;
  SC_HANDLE manager_ = nullptr;
  SC_HANDLE service_ = nullptr;
};

// The Finding among `findings` whose field `column` equals `value`, or nullptr.
const varnex::Finding* FindBy(const std::vector<varnex::Finding>& findings, int column, const std::wstring& value);

std::wstring Lower(const std::wstring& s);

}  // namespace scanner_fixtures
