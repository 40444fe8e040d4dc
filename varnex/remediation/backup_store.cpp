#include <windows.h>

#include "backup_store.h"

#include <algorithm>

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/unique_resource.h"
#include "../../common/winaccess/winaccess.h"
#include "ask_user.h"
#include "file_names.h"
#include "log_records.h"
#include "registry_target.h"
#include "registry_tree.h"

namespace varnex::remediation {
namespace {

constexpr const wchar_t* kServicesKey = L"SYSTEM\\CurrentControlSet\\Services\\";

std::wstring LastComponent(const std::wstring& path) {
  const std::wstring trimmed = text::TrimChar(path, L'\\');
  const auto p = trimmed.find_last_of(L"\\/");
  return p == std::wstring::npos ? trimmed : trimmed.substr(p + 1);
}

// A name usable inside the backup folder: the characters a file name cannot hold replaced.
std::wstring SafeFileName(const std::wstring& name) {
  std::wstring out;
  for (wchar_t c : name.substr(0, 80)) out += (c < 0x20 || std::wstring(L"\\/:*?\"<>|").find(c) != std::wstring::npos) ? L'_' : c;
  return out.empty() ? L"file" : out;
}

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
  const DWORD a = ::GetFileAttributesW(PathForFileCalls(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool HashFile(const std::wstring& path, std::wstring& sha256) {
  winaccess::unique_file file(::CreateFileW(PathForFileCalls(path).c_str(), GENERIC_READ,
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
  winaccess::unique_find find(::FindFirstFileW(PathForFileCalls(folder + L"\\*").c_str(), &data));
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
  sha256 = Sha256Hex(Utf16LeBytes(all, false));
  return true;
}

std::wstring NowText() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return TimeText(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

BackupRun::BackupRun(std::wstring programFolder) : programFolder_(std::move(programFolder)) {
  while (!programFolder_.empty() && programFolder_.back() == L'\\') programFolder_.pop_back();
}

bool BackupRun::Ensure() {
  if (!folder_.empty()) return true;
  const std::wstring store = programFolder_ + L"\\" + kBackupFolderName;
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
  const auto bytes = Utf16LeBytes(line + L"\r\n", size.QuadPart == 0);
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
  winaccess::unique_file in(::CreateFileW(PathForFileCalls(source).c_str(), GENERIC_READ,
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

RowBackup::RowBackup(BackupRun& run, const Finding& row, ITaskStore& tasks) : run_(run), row_(row), tasks_(tasks) {}

BackupItem RowBackup::Base(const std::wstring& kind, const std::wstring& name, const std::wstring& place,
                           const std::wstring& how) const {
  BackupItem item;
  item.fields = {{L"kind", kind}, {L"time", NowText()}, {L"type", row_.Type}, {L"name", name},
                 {L"place", place}, {L"how", how}, {L"row", row_.Name}};
  return item;
}

bool RowBackup::Fail(const std::wstring& problem) {
  failed_ = true;
  problem_ = problem;
  return false;
}

bool RowBackup::Added(int id) {
  if (id == 0) return Fail(run_.Problem());
  last_ = id;
  ++steps_;
  return true;
}

void RowBackup::Done(bool ok) {
  run_.Result(last_, ok);
  last_ = 0;
}

bool RowBackup::Value(const std::wstring& keyPath, const std::wstring& valueName) {
  last_ = 0;
  if (failed_) return false;
  const ValueTarget target = ValueTargetFor(keyPath);
  const REGSAM view = ViewForKeyPath(keyPath);
  RegValueRecord value;
  const LONG r = ReadValue(RootKeyOf(target.root), target.subkey, valueName, view, value);
  if (r == ERROR_FILE_NOT_FOUND) {  // nothing there: the deletion cannot change anything
    ++steps_;
    return true;
  }
  if (r != ERROR_SUCCESS) return Fail(L"无法读取注册表值 " + keyPath + L" " + valueName + L"：" + ErrorText(r));
  const std::wstring path = CanonicalRootName(target.root) + (target.subkey.empty() ? L"" : L"\\" + target.subkey);
  const auto reg = Utf16LeBytes(RegFileText({{path, {value}}}), true);
  const std::wstring regName = run_.NextFileName(L".reg");
  BackupItem item = Base(kKindValue, valueName.empty() ? L"(默认)" : valueName, path, L"删除值");
  item.fields[L"keypath"] = path;
  item.fields[L"view"] = ViewText(view);
  item.fields[L"value"] = valueName;
  item.fields[L"regtype"] = std::to_wstring(value.type);
  item.fields[L"reg"] = regName;
  item.fields[L"sha256"] = Sha256Hex(reg);
  return Added(run_.Add(item, {{regName, reg}}));
}

bool RowBackup::Key(const std::wstring& keyPath, const std::wstring& keyName) {
  last_ = 0;
  if (failed_) return false;
  const KeyTarget target = KeyTargetFor(keyPath, keyName);
  if (!target.allowed) {  // refused by the guards: nothing will be deleted
    ++steps_;
    return true;
  }
  const REGSAM view = ViewForKeyPath(keyPath);
  HKEY root = RootKeyOf(target.root);
  const std::wstring lowered = target.parent.empty() ? target.keyName : target.parent + L"\\" + target.keyName;
  const auto real = RealCaseSubkey(root, lowered, view);
  if (!real) {
    ++steps_;
    return true;
  }
  std::vector<RegKeyRecord> tree;
  const std::wstring rootName = CanonicalRootName(target.root);
  const LONG r = ReadKeyTree(root, rootName, *real, view, tree);
  if (r != ERROR_SUCCESS) return Fail(L"无法读取注册表键 " + rootName + L"\\" + *real + L"：" + ErrorText(r));
  const auto reg = Utf16LeBytes(RegFileText(tree), true);
  const std::wstring regName = run_.NextFileName(L".reg");
  BackupItem item = Base(kKindKey, LastComponent(*real), rootName + L"\\" + *real, L"删除键");
  item.fields[L"keypath"] = rootName + L"\\" + *real;
  item.fields[L"view"] = ViewText(view);
  item.fields[L"reg"] = regName;
  item.fields[L"sha256"] = Sha256Hex(reg);
  return Added(run_.Add(item, {{regName, reg}}));
}

bool RowBackup::ServiceStart(SC_HANDLE manager, const std::wstring& service) {
  last_ = 0;
  if (failed_) return false;
  winaccess::unique_sc_handle handle(manager ? ::OpenServiceW(manager, service.c_str(), SERVICE_QUERY_CONFIG) : nullptr);
  std::vector<unsigned char> buffer(8192);
  DWORD needed = 0;
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
  // What cannot even be read cannot be changed by the step either (it needs more access).
  if (!handle || !::QueryServiceConfigW(handle.get(), config, static_cast<DWORD>(buffer.size()), &needed)) {
    ++steps_;
    return true;
  }
  BackupItem item = Base(kKindServiceStart, service, L"服务：" + service, L"改启动类型");
  item.fields[L"service"] = service;
  item.fields[L"start"] = std::to_wstring(config->dwStartType);
  return Added(run_.Add(item));
}

bool RowBackup::ServiceKey(SC_HANDLE manager, const std::wstring& service) {
  last_ = 0;
  if (failed_) return false;
  const REGSAM view = ViewForKeyPath(L"HKEY_LOCAL_MACHINE\\SYSTEM");
  const auto real = RealCaseSubkey(HKEY_LOCAL_MACHINE, kServicesKey + service, view);
  if (!real) return ServiceStart(manager, service);  // no key of its own to keep
  std::vector<RegKeyRecord> tree;
  const LONG r = ReadKeyTree(HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", *real, view, tree);
  if (r != ERROR_SUCCESS) return Fail(L"无法读取服务的注册表键 " + *real + L"：" + ErrorText(r));
  std::wstring start;
  for (const auto& v : tree.front().values) {
    if (text::LowerAZ(v.name) == L"start" && v.type == REG_DWORD && v.data.size() == 4) {
      start = std::to_wstring(v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (static_cast<unsigned>(v.data[3]) << 24));
    }
  }
  if (start.empty()) start = L"3";
  const auto reg = Utf16LeBytes(RegFileText(tree), true);
  const std::wstring regName = run_.NextFileName(L".reg");
  BackupItem item = Base(kKindServiceKey, service, L"HKEY_LOCAL_MACHINE\\" + *real, L"删除服务");
  item.fields[L"service"] = LastComponent(*real);
  item.fields[L"start"] = start;
  item.fields[L"view"] = ViewText(view);
  item.fields[L"reg"] = regName;
  item.fields[L"sha256"] = Sha256Hex(reg);
  return Added(run_.Add(item, {{regName, reg}}));
}

bool RowBackup::Task(const std::wstring& folder, const std::wstring& name) {
  last_ = 0;
  if (failed_) return false;
  std::wstring xml;
  switch (tasks_.ReadTaskXml(folder, name, xml)) {
    case ITaskStore::Read::Missing: ++steps_; return true;
    case ITaskStore::Read::Failed: return Fail(L"无法读取计划任务 " + folder + L"\\" + name + L" 的定义");
    case ITaskStore::Read::Found: break;
  }
  const auto bytes = Utf16LeBytes(xml, true);
  const std::wstring xmlName = run_.NextFileName(L".xml");
  BackupItem item = Base(kKindTask, name, folder.empty() ? L"\\" : folder, L"删除任务");
  item.fields[L"folder"] = folder;
  item.fields[L"task"] = name;
  item.fields[L"xml"] = xmlName;
  item.fields[L"sha256"] = Sha256Hex(bytes);
  return Added(run_.Add(item, {{xmlName, bytes}}));
}

bool RowBackup::FileCopy(const std::wstring& path, const std::wstring& how) {
  last_ = 0;
  if (failed_) return false;
  const DWORD attributes = ::GetFileAttributesW(PathForFileCalls(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ++steps_;
    return true;
  }
  const std::wstring copyName = run_.NextFileName(L"_" + SafeFileName(LastComponent(path)));
  std::wstring sha;
  if (!run_.CopyIn(path, copyName, sha)) return Fail(run_.Problem());
  BackupItem item = Base(kKindFileCopy, LastComponent(path), path, how);
  item.fields[L"path"] = path;
  item.fields[L"copy"] = copyName;
  item.fields[L"sha256"] = sha;
  return Added(run_.Add(item));
}

bool RowBackup::Move(const std::wstring& from, const std::wstring& to, const std::wstring& how, bool blocker) {
  last_ = 0;
  if (failed_) return false;
  if (::GetFileAttributesW(PathForFileCalls(from).c_str()) == INVALID_FILE_ATTRIBUTES) {
    ++steps_;
    return true;
  }
  const bool folder = IsDirectory(from);
  std::wstring sha;
  if (!HashPath(from, sha)) return Fail(L"无法读取 " + from + L"（计算SHA-256失败）：" + ErrorText(::GetLastError()));
  BackupItem item = Base(kKindMove, LastComponent(from), from, how);
  item.fields[L"from"] = from;
  item.fields[L"to"] = to;
  item.fields[L"what"] = folder ? L"folder" : L"file";
  item.fields[L"sha256"] = sha;
  if (blocker) item.fields[L"blocker"] = L"1";
  return Added(run_.Add(item));
}

}  // namespace varnex::remediation
