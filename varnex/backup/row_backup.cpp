#include <windows.h>

#include "row_backup.h"

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/path_rules.h"
#include "../../common/winaccess/unique_resource.h"
#include "../core/ask_user.h"
#include "registry_target.h"
#include "registry_tree.h"

namespace varnex::backup {
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

bool IsDirectory(const std::wstring& path) {
  const DWORD a = ::GetFileAttributesW(winaccess::PathForFileCalls(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

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
  const auto reg = text::Utf16LeBytes(RegFileText({{path, {value}}}), true);
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
  const auto reg = text::Utf16LeBytes(RegFileText(tree), true);
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
  const auto reg = text::Utf16LeBytes(RegFileText(tree), true);
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
  const auto bytes = text::Utf16LeBytes(xml, true);
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
  const DWORD attributes = ::GetFileAttributesW(winaccess::PathForFileCalls(path).c_str());
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
  if (::GetFileAttributesW(winaccess::PathForFileCalls(from).c_str()) == INVALID_FILE_ATTRIBUTES) {
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

namespace {

class RemovalBackups final : public IRemovalBackups {
 public:
  RemovalBackups(const std::wstring& storeFolder, std::shared_ptr<ITaskStore> tasks)
      : run_(storeFolder), tasks_(tasks ? std::move(tasks) : SchedulerTaskStore()) {}
  std::unique_ptr<IStepBackup> ForRow(const Finding& row) override {
    return std::make_unique<RowBackup>(run_, row, *tasks_);
  }

 private:
  BackupRun run_;
  std::shared_ptr<ITaskStore> tasks_;
};

}  // namespace

std::unique_ptr<IRemovalBackups> OpenRemovalBackups(const std::wstring& storeFolder,
                                                     std::shared_ptr<ITaskStore> tasks) {
  return std::make_unique<RemovalBackups>(storeFolder, std::move(tasks));
}

}  // namespace varnex::backup
