#include "report_io.h"

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/winaccess.h"
#include "report_texts.h"
#include "utf8.h"

namespace varnex::report {

std::wstring WithSystemError(const std::wstring& message, DWORD error) {
  wchar_t buffer[512] = {};
  const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        buffer, 512, nullptr);
  std::wstring system = text::Trim(text::FromBuffer(buffer, length < 512 ? length : 511));
  if (system.empty()) system = L"错误代码 " + std::to_wstring(error);
  return message + L"（" + system + L"）";
}

bool ReportFile::Open(const std::wstring& path, std::wstring& error) {
  file_.reset(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file_) return true;
  error = WithSystemError(L"无法写入报告文件 " + path, ::GetLastError());
  return false;
}

bool ReportFile::Write(const std::string& bytes, std::wstring& error) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(bytes.size() - done < 0x100000 ? bytes.size() - done : 0x100000);
    DWORD written = 0;
    if (!::WriteFile(file_.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      error = WithSystemError(L"写入报告文件失败", ::GetLastError());
      return false;
    }
    done += written;
  }
  if (!::FlushFileBuffers(file_.get())) {
    error = WithSystemError(L"写入报告文件失败", ::GetLastError());
    return false;
  }
  file_.reset();
  return true;
}

bool WriteReportFile(const std::wstring& path, const std::string& bytes, std::wstring& error) {
  ReportFile file;
  return file.Open(path, error) && file.Write(bytes, error);
}

bool ReadReportFile(const std::wstring& path, std::string& bytes, std::wstring& error) {
  winaccess::unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    error = WithSystemError(L"无法打开报告 " + path, ::GetLastError());
    return false;
  }
  LARGE_INTEGER size{};
  constexpr LONGLONG kLimit = 512LL * 1024 * 1024;  // far beyond any scan's report
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > kLimit) {
    error = L"报告 " + path + L" 太大或无法读取";
    return false;
  }
  bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    const DWORD chunk = static_cast<DWORD>(bytes.size() - done < 0x100000 ? bytes.size() - done : 0x100000);
    if (!::ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr) || read == 0) {
      error = WithSystemError(L"读取报告 " + path + L" 失败", ::GetLastError());
      return false;
    }
    done += read;
  }
  return true;
}

ConsoleOutput::ConsoleOutput() {
  // A redirected output (a file, a pipe of a remote shell) comes as a standard handle; a console
  // window the program was typed into is the parent's, to be attached.
  HANDLE standard = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (standard != nullptr && standard != INVALID_HANDLE_VALUE && ::GetFileType(standard) != FILE_TYPE_UNKNOWN) {
    out_ = standard;
  } else if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
    owned_.reset(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr));
    out_ = owned_ ? owned_.get() : nullptr;
  }
  DWORD mode = 0;
  isConsole_ = out_ != nullptr && ::GetConsoleMode(out_, &mode);
}

void ConsoleOutput::Line(const std::wstring& line) {
  if (out_ == nullptr) return;
  const std::wstring text = line + L"\r\n";
  DWORD written = 0;
  if (isConsole_) {
    ::WriteConsoleW(out_, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
  } else {
    const std::string bytes = Utf8FromWide(text);
    ::WriteFile(out_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
}

std::wstring NowIsoTime() {
  FILETIME utcFile{};
  ::GetSystemTimeAsFileTime(&utcFile);
  SYSTEMTIME utc{}, local{};
  ::FileTimeToSystemTime(&utcFile, &utc);
  if (!::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
  FILETIME localFile{};
  ::SystemTimeToFileTime(&local, &localFile);
  auto ticks = [](const FILETIME& f) {
    return static_cast<long long>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
  };
  // Whole minutes: the offset of every time zone is one.
  const long long offsetTicks = ticks(localFile) - ticks(utcFile);
  const int offsetMinutes = static_cast<int>((offsetTicks + (offsetTicks >= 0 ? 300000000LL : -300000000LL)) /
                                             600000000LL);
  return FormatIsoTime({local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond,
                        offsetMinutes});
}

std::wstring ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  return ::GetComputerNameW(name, &size) ? text::FromBuffer(name, MAX_COMPUTERNAME_LENGTH + 1) : L"";
}

std::wstring CurrentUserName() {
  wchar_t name[260] = {};
  DWORD size = 260;
  return ::GetUserNameW(name, &size) ? text::FromBuffer(name, 260) : L"";
}

std::wstring ProgramVersion() {
  // From the program's own version resource: no file is opened, so no thread setting changes.
  HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));
  HGLOBAL loaded = found != nullptr ? ::LoadResource(nullptr, found) : nullptr;
  const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (data == nullptr) return L"";
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::string copy(bytes, bytes + ::SizeofResource(nullptr, found));  // VerQueryValueW wants writable memory
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(copy.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr ||
      length < sizeof *fixed) {
    return L"";
  }
  return std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionMS)) +
         L"." + std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionLS));
}

}  // namespace varnex::report
