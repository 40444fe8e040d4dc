#include <windows.h>

#include "backup_run.h"

#include "step_backup.h"

#include <algorithm>

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/unique_resource.h"
#include "../../common/winaccess/winaccess.h"
#include "../../common/winaccess/path_rules.h"
#include "../core/ask_user.h"

namespace varnex::backup {
namespace {

bool WriteWholeFile(const std::wstring& path, const std::vector<unsigned char>& bytes, DWORD& error) {
  winaccess::unique_file file(
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    error = ::GetLastError();
    return false;
  }
  DWORD written = 0;
  if (!bytes.empty() &&
      (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
       written != bytes.size())) {
    error = ::GetLastError();
    return false;
  }
  if (!::FlushFileBuffers(file.get())) {
    error = ::GetLastError();
    return false;
  }
  return true;
}

bool IsDirectory(const std::wstring& path) {
  const DWORD a = ::GetFileAttributesW(winaccess::PathForFileCalls(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool HashFile(const std::wstring& path, std::wstring& sha256) {
  winaccess::unique_file file(::CreateFileW(winaccess::PathForFileCalls(path).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  Sha256 hash;
  std::vector<unsigned char> buffer(1 << 16);
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return false;
    if (got == 0) break;
    hash.Add(buffer.data(), got);
  }
  sha256 = hash.HexDigest();
  return true;
}

bool ListTree(const std::wstring& root, const std::wstring& relative, std::vector<std::wstring>& lines, int depth) {
  if (depth > 256) return false;
  const std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
  WIN32_FIND_DATAW data{};
  winaccess::unique_find find(::FindFirstFileW(winaccess::PathForFileCalls(folder + L"\\*").c_str(), &data));
  if (!find) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring rel = relative.empty() ? name : relative + L"\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      lines.push_back(rel + L"\\");
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && !ListTree(root, rel, lines, depth + 1)) return false;
    } else {
      std::wstring sha;
      if (!HashFile(root + L"\\" + rel, sha)) return false;
      lines.push_back(rel + L"\t" + sha);
    }
  } while (::FindNextFileW(find.get(), &data));
  return true;
}

}  // namespace

bool HashPath(const std::wstring& path, std::wstring& sha256) {
  if (!IsDirectory(path)) return HashFile(path, sha256);
  std::vector<std::wstring> lines;
  if (!ListTree(path, L"", lines, 0)) return false;
  std::sort(lines.begin(), lines.end(), [](const std::wstring& a, const std::wstring& b) {
    return text::LowerAZ(a) < text::LowerAZ(b);
  });
  std::wstring all;
  for (const auto& l : lines) all += text::LowerAZ(l) + L"\n";
  sha256 = Sha256Hex(text::Utf16LeBytes(all, false));
  return true;
}

std::wstring NowText() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return TimeText(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

std::wstring StoreFolderBelow(const std::wstring& base) {
  std::wstring folder = base;
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder + L"\\" + kBackupFolderName;
}

std::wstring DefaultStoreFolder() { return StoreFolderBelow(winaccess::ProgramFolder()); }

BackupRun::BackupRun(std::wstring storeFolder) : store_(std::move(storeFolder)) {
  while (!store_.empty() && store_.back() == L'\\') store_.pop_back();
}

bool BackupRun::Ensure() {
  if (!folder_.empty()) return true;
  const std::wstring& store = store_;
  if (!::CreateDirectoryW(store.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
    problem_ = L"无法创建备份目录 " + store + L"：" + ErrorText(::GetLastError());
    return false;
  }
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  const std::wstring base = store + L"\\" + RunFolderName(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                                                          now.wSecond);
  // Two runs within one second still get a folder each.
  for (int n = 1; n < 1000; ++n) {
    const std::wstring candidate = n == 1 ? base : base + L"-" + std::to_wstring(n);
    if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
      folder_ = candidate;
      if (!AppendLine(kManifestHeader)) {
        folder_.clear();
        return false;
      }
      return true;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS) {
      problem_ = L"无法创建备份目录 " + candidate + L"：" + ErrorText(::GetLastError());
      return false;
    }
  }
  problem_ = L"无法创建备份目录 " + base;
  return false;
}

bool BackupRun::AppendLine(const std::wstring& line) {
  const std::wstring path = folder_ + L"\\" + kManifestName;
  winaccess::unique_file file(
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    problem_ = L"无法写入备份清单 " + path + L"：" + ErrorText(::GetLastError());
    return false;
  }
  LARGE_INTEGER size{};
  ::GetFileSizeEx(file.get(), &size);
  const auto bytes = text::Utf16LeBytes(line + L"\r\n", size.QuadPart == 0);
  ::SetFilePointer(file.get(), 0, nullptr, FILE_END);
  DWORD written = 0;
  if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size() || !::FlushFileBuffers(file.get())) {
    problem_ = L"无法写入备份清单 " + path + L"：" + ErrorText(::GetLastError());
    return false;
  }
  return true;
}

std::wstring BackupRun::NextFileName(const std::wstring& suffix) const {
  wchar_t id[16] = {};
  ::swprintf(id, 16, L"%04d", nextId_);
  return id + suffix;
}

int BackupRun::Add(BackupItem item, const std::vector<std::pair<std::wstring, std::vector<unsigned char>>>& files) {
  if (!Ensure()) return 0;
  for (const auto& [name, bytes] : files) {
    DWORD error = 0;
    if (!WriteWholeFile(folder_ + L"\\" + name, bytes, error)) {
      problem_ = L"无法写入备份文件 " + folder_ + L"\\" + name + L"：" + ErrorText(error);
      return 0;
    }
  }
  item.id = nextId_;
  if (!AppendLine(ItemLine(item))) return 0;
  return nextId_++;
}

bool BackupRun::CopyIn(const std::wstring& source, const std::wstring& copyName, std::wstring& sha256) {
  if (!Ensure()) return false;
  const std::wstring target = folder_ + L"\\" + copyName;
  winaccess::unique_file in(::CreateFileW(winaccess::PathForFileCalls(source).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!in) {
    problem_ = L"无法读取要备份的文件 " + source + L"：" + ErrorText(::GetLastError());
    return false;
  }
  winaccess::unique_file out(
      ::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out) {
    problem_ = L"无法写入备份文件 " + target + L"：" + ErrorText(::GetLastError());
    return false;
  }
  Sha256 hash;
  std::vector<unsigned char> buffer(1 << 16);
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(in.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
      problem_ = L"无法读取要备份的文件 " + source + L"：" + ErrorText(::GetLastError());
      return false;
    }
    if (got == 0) break;
    DWORD written = 0;
    if (!::WriteFile(out.get(), buffer.data(), got, &written, nullptr) || written != got) {
      problem_ = L"无法写入备份文件 " + target + L"：" + ErrorText(::GetLastError());
      return false;
    }
    hash.Add(buffer.data(), got);
  }
  if (!::FlushFileBuffers(out.get())) {
    problem_ = L"无法写入备份文件 " + target + L"：" + ErrorText(::GetLastError());
    return false;
  }
  sha256 = hash.HexDigest();
  return true;
}

void BackupRun::Result(int id, bool done) {
  if (id > 0 && !folder_.empty()) AppendLine(ResultLine(id, done));
}

}  // namespace varnex::backup
