// The thin Windows side of the reports: files, the console, the clock and the facts about the
// machine a report names.
#pragma once

#include <windows.h>

#include <string>

#include "../../common/winaccess/unique_resource.h"

namespace varnex::report {

// Creates (or empties) the file now, so that an unwritable path is known before a long scan.
class ReportFile {
 public:
  bool Open(const std::wstring& path, std::wstring& error);
  bool Write(const std::string& bytes, std::wstring& error);

 private:
  winaccess::unique_file file_;
};

bool WriteReportFile(const std::wstring& path, const std::string& bytes, std::wstring& error);
bool ReadReportFile(const std::wstring& path, std::string& bytes, std::wstring& error);

// Lines to the console the program was started from, or to the file or pipe its output was
// redirected to (as UTF-8); nothing at all when it has neither.
class ConsoleOutput {
 public:
  ConsoleOutput();
  void Line(const std::wstring& text);
  bool Active() const { return out_ != nullptr; }

 private:
  HANDLE out_ = nullptr;
  bool isConsole_ = false;
  winaccess::unique_file owned_;
};

std::wstring NowIsoTime();
std::wstring ComputerName();
std::wstring CurrentUserName();
std::wstring ProgramVersion();

// "<message> (<system text for the error>)".
std::wstring WithSystemError(const std::wstring& message, DWORD error);

}  // namespace varnex::report
