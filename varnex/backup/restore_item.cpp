#include <windows.h>

#include "restore.h"

#include <algorithm>

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/unique_resource.h"
#include "../../common/winaccess/winaccess.h"
#include "../../common/winaccess/path_rules.h"
#include "../core/ask_user.h"
#include "backup_run.h"
#include "registry_tree.h"
#include "run_files.h"

namespace varnex::backup {
namespace {

constexpr const wchar_t* kCaption = L"恢复";

bool IsFolder(const std::wstring& path) {
  const DWORD a = ::GetFileAttributesW(winaccess::PathForFileCalls(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool AppendToManifest(const std::wstring& runFolder, const std::wstring& line) {
  winaccess::unique_file file(::CreateFileW((runFolder + L"\\" + kManifestName).c_str(), GENERIC_WRITE, 0, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  ::SetFilePointer(file.get(), 0, nullptr, FILE_END);
  const auto bytes = text::Utf16LeBytes(line + L"\r\n", false);
  DWORD written = 0;
  return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

bool AskYes(const RestoreContext& context, const std::wstring& text) {
  return context.ask(context.owner, text, kCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

struct Outcome {
  bool ok = false;
  std::wstring message;
};
Outcome Fail(const std::wstring& message) { return {false, message}; }

// The verified bytes of an item's data file.
std::optional<std::vector<unsigned char>> VerifiedData(const RestoreEntry& e, std::wstring& problem) {
  const std::wstring name = DataFileOf(e.entry.item);
  if (!SafeDataName(name)) {
    problem = L"备份记录无效";
    return std::nullopt;
  }
  auto bytes = ReadWholeFile(e.runFolder + L"\\" + name);
  if (!bytes) {
    problem = L"备份文件缺失或无法读取：" + e.runFolder + L"\\" + name;
    return std::nullopt;
  }
  if (Sha256Hex(*bytes) != e.entry.item.Get(L"sha256")) {
    problem = L"备份文件已损坏或被改动：" + e.runFolder + L"\\" + name;
    return std::nullopt;
  }
  return bytes;
}

std::optional<std::vector<RegKeyRecord>> VerifiedRegistry(const RestoreEntry& e, std::wstring& problem) {
  const auto bytes = VerifiedData(e, problem);
  if (!bytes) return std::nullopt;
  auto keys = ParseRegFile(TextFromUtf16Le(*bytes));
  const std::wstring keyPath = e.entry.item.Get(L"keypath");
  if (!keys || keys->empty() ||
      (!keyPath.empty() && ::CompareStringOrdinal((*keys)[0].path.c_str(), -1, keyPath.c_str(), -1, TRUE) != CSTR_EQUAL)) {
    problem = L"注册表备份无法读取";
    return std::nullopt;
  }
  // Every key must lie below the first one: a backup writes back only what it took.
  const std::wstring first = text::LowerAZ((*keys)[0].path);
  for (const auto& k : *keys) {
    const std::wstring lower = text::LowerAZ(k.path);
    if (lower != first && lower.rfind(first + L"\\", 0) != 0) {
      problem = L"注册表备份无法读取";
      return std::nullopt;
    }
  }
  return keys;
}

std::pair<HKEY, std::wstring> SplitKeyPath(const std::wstring& path) {
  const auto slash = path.find(L'\\');
  if (slash == std::wstring::npos) return {RootKeyOfName(path), L""};
  return {RootKeyOfName(path.substr(0, slash)), path.substr(slash + 1)};
}

Outcome RestoreValue(const RestoreEntry& e, const RestoreContext& context) {
  std::wstring problem;
  const auto keys = VerifiedRegistry(e, problem);
  if (!keys) return Fail(problem);
  const BackupItem& item = e.entry.item;
  if (keys->size() != 1 || (*keys)[0].values.size() != 1 || (*keys)[0].values[0].name != item.Get(L"value") ||
      std::to_wstring((*keys)[0].values[0].type) != item.Get(L"regtype")) {
    return Fail(L"注册表备份与清单不符");
  }
  const REGSAM view = ViewFromText(item.Get(L"view"));
  const auto [root, subkey] = SplitKeyPath((*keys)[0].path);
  if (root == nullptr) return Fail(L"注册表备份无法读取");
  if (ValueExists(root, subkey, item.Get(L"value"), view) &&
      !AskYes(context, L"注册表值 " + item.Get(L"keypath") + L" " + item.Get(L"name") + L" 已经存在，是否用备份覆盖？")) {
    return Fail(L"未恢复：该值已经存在");
  }
  const LONG r = WriteKeyTree(*keys, view);
  if (r != ERROR_SUCCESS) return Fail(L"写入注册表失败，错误" + ErrorText(static_cast<DWORD>(r)));
  return {true, L"已恢复注册表值 " + item.Get(L"name")};
}

Outcome RestoreKey(const RestoreEntry& e, const RestoreContext& context) {
  std::wstring problem;
  const auto keys = VerifiedRegistry(e, problem);
  if (!keys) return Fail(problem);
  const REGSAM view = ViewFromText(e.entry.item.Get(L"view"));
  const auto [root, subkey] = SplitKeyPath((*keys)[0].path);
  if (root == nullptr || subkey.empty()) return Fail(L"注册表备份无法读取");
  if (KeyExists(root, subkey, view) &&
      !AskYes(context, L"注册表键 " + (*keys)[0].path + L" 已经存在，是否把备份的内容写入其中？")) {
    return Fail(L"未恢复：该键已经存在");
  }
  const LONG r = WriteKeyTree(*keys, view);
  if (r != ERROR_SUCCESS) return Fail(L"写入注册表失败，错误" + ErrorText(static_cast<DWORD>(r)));
  return {true, L"已恢复注册表键 " + (*keys)[0].path};
}

bool SetStartType(SC_HANDLE manager, const std::wstring& service, DWORD start, std::wstring& problem) {
  winaccess::unique_sc_handle handle(::OpenServiceW(manager, service.c_str(), SERVICE_CHANGE_CONFIG));
  if (!handle) {
    problem = L"无法打开服务 " + service + L"，错误" + ErrorText(::GetLastError());
    return false;
  }
  if (!::ChangeServiceConfigW(handle.get(), SERVICE_NO_CHANGE, start, SERVICE_NO_CHANGE, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr)) {
    problem = L"无法改回服务 " + service + L" 的启动类型，错误" + ErrorText(::GetLastError());
    return false;
  }
  return true;
}

bool ParseStart(const std::wstring& text, DWORD& start) {
  unsigned long v = 0;
  if (!text::ParseUnsigned(text, v) || v > 4) return false;
  start = static_cast<DWORD>(v);
  return true;
}

Outcome RestoreServiceStart(const RestoreEntry& e) {
  DWORD start = 0;
  if (!ParseStart(e.entry.item.Get(L"start"), start)) return Fail(L"备份记录无效");
  winaccess::unique_sc_handle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return Fail(L"无法打开服务管理器，错误" + ErrorText(::GetLastError()));
  std::wstring problem;
  if (!SetStartType(manager.get(), e.entry.item.Get(L"service"), start, problem)) return Fail(problem);
  return {true, L"已改回服务 " + e.entry.item.Get(L"service") + L" 的启动类型"};
}

std::wstring StringOf(const RegValueRecord& v) {
  std::wstring s;
  for (std::size_t i = 0; i + 1 < v.data.size(); i += 2) s += static_cast<wchar_t>(v.data[i] | (v.data[i + 1] << 8));
  return s;
}

Outcome RestoreServiceKey(const RestoreEntry& e) {
  std::wstring problem;
  const auto keys = VerifiedRegistry(e, problem);
  if (!keys) return Fail(problem);
  const std::wstring service = e.entry.item.Get(L"service");
  DWORD start = 0;
  if (!ParseStart(e.entry.item.Get(L"start"), start)) return Fail(L"备份记录无效");
  const std::wstring expected = L"hkey_local_machine\\system\\currentcontrolset\\services\\" + text::LowerAZ(service);
  if (text::LowerAZ((*keys)[0].path) != expected) return Fail(L"注册表备份与清单不符");
  winaccess::unique_sc_handle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return Fail(L"无法打开服务管理器，错误" + ErrorText(::GetLastError()));
  winaccess::unique_sc_handle existing(::OpenServiceW(manager.get(), service.c_str(), SERVICE_QUERY_CONFIG));
  if (existing) {  // the deletion did not go through: only the start type comes back
    existing.reset();
    if (!SetStartType(manager.get(), service, start, problem)) return Fail(problem);
    return {true, L"服务 " + service + L" 仍在，已改回启动类型"};
  }
  DWORD type = SERVICE_WIN32_OWN_PROCESS, errorControl = SERVICE_ERROR_NORMAL;
  std::wstring imagePath, displayName, objectName, group;
  std::wstring dependencies;
  for (const auto& v : (*keys)[0].values) {
    const std::wstring name = text::LowerAZ(v.name);
    const bool dword = v.type == REG_DWORD && v.data.size() == 4;
    const DWORD d = dword ? (v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (static_cast<DWORD>(v.data[3]) << 24)) : 0;
    if (name == L"type" && dword) type = d;
    if (name == L"errorcontrol" && dword) errorControl = d;
    if (name == L"imagepath") imagePath = StringOf(v);
    if (name == L"displayname") displayName = StringOf(v);
    if (name == L"objectname") objectName = StringOf(v);
    if (name == L"group") group = StringOf(v);
    if (name == L"dependonservice" && v.type == REG_MULTI_SZ) dependencies = StringOf(v);
  }
  auto cut = [](std::wstring& s) {
    const auto nul = s.find(L'\0');
    if (nul != std::wstring::npos) s.resize(nul);
  };
  cut(imagePath);
  cut(displayName);
  cut(objectName);
  cut(group);
  if (dependencies.empty() || dependencies.back() != L'\0') dependencies += L'\0';
  dependencies += L'\0';
  winaccess::unique_sc_handle created(::CreateServiceW(
      manager.get(), service.c_str(), displayName.empty() ? nullptr : displayName.c_str(), SERVICE_ALL_ACCESS, type,
      start, errorControl, imagePath.c_str(), group.empty() ? nullptr : group.c_str(), nullptr, dependencies.c_str(),
      objectName.empty() ? nullptr : objectName.c_str(), nullptr));
  if (!created) return Fail(L"无法重建服务 " + service + L"，错误" + ErrorText(::GetLastError()));
  created.reset();
  // The rest of the key (description, parameters, ...) as it was.
  const LONG r = WriteKeyTree(*keys, ViewFromText(e.entry.item.Get(L"view")));
  if (r != ERROR_SUCCESS) return Fail(L"服务已重建，但写回其注册表键失败，错误" + ErrorText(static_cast<DWORD>(r)));
  return {true, L"已重建服务 " + service};
}

Outcome RestoreTask(const RestoreEntry& e, const RestoreContext& context) {
  std::wstring problem;
  const auto bytes = VerifiedData(e, problem);
  if (!bytes) return Fail(problem);
  const std::wstring xml = TextFromUtf16Le(*bytes);
  ITaskStore& tasks = *context.tasks;
  const std::wstring folder = e.entry.item.Get(L"folder");
  const std::wstring name = e.entry.item.Get(L"task");
  if (tasks.TaskExists(folder, name)) return Fail(L"未恢复：同名任务已经存在");
  if (!tasks.RegisterTaskXml(folder, name, xml, problem)) return Fail(problem);
  return {true, L"已恢复计划任务 " + (folder.empty() ? L"" : folder) + L"\\" + name};
}

bool MakeFolders(const std::wstring& folder) {
  if (folder.empty() || IsFolder(folder)) return true;
  const auto slash = folder.find_last_of(L'\\');
  if (slash != std::wstring::npos && slash > 2 && !MakeFolders(folder.substr(0, slash))) return false;
  return ::CreateDirectoryW(winaccess::PathForFileCalls(folder).c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

Outcome RestoreFileCopy(const RestoreEntry& e, const RestoreContext& context) {
  const BackupItem& item = e.entry.item;
  const std::wstring name = item.Get(L"copy");
  if (!SafeDataName(name)) return Fail(L"备份记录无效");
  const std::wstring copy = e.runFolder + L"\\" + name;
  std::wstring sha;
  if (!HashPath(copy, sha)) return Fail(L"备份文件缺失或无法读取：" + copy);
  if (sha != item.Get(L"sha256")) return Fail(L"备份文件已损坏或被改动：" + copy);
  const std::wstring path = item.Get(L"path");
  if (IsFolder(path)) return Fail(L"未恢复：原位置现在是一个目录");
  const bool there = Exists(path);
  if (there && !AskYes(context, L"文件 " + path + L" 已经存在（在备份之后又出现了），是否用备份覆盖？")) {
    return Fail(L"未恢复：原位置已有文件");
  }
  const auto slash = path.find_last_of(L'\\');
  if (slash != std::wstring::npos && !MakeFolders(path.substr(0, slash))) {
    return Fail(L"无法创建目录，错误" + ErrorText(::GetLastError()));
  }
  if (!::CopyFileW(winaccess::PathForFileCalls(copy).c_str(), winaccess::PathForFileCalls(path).c_str(), there ? FALSE : TRUE)) {
    return Fail(L"复制文件失败，错误" + ErrorText(::GetLastError()));
  }
  return {true, L"已恢复文件 " + path};
}

Outcome RestoreMove(const RestoreEntry& e, const RestoreContext& context) {
  const BackupItem& item = e.entry.item;
  const std::wstring from = item.Get(L"from");
  const std::wstring to = item.Get(L"to");
  const bool folder = item.Get(L"what") == L"folder";
  if (!Exists(to)) return Fail(L"未恢复：" + to + L" 已不存在");
  std::wstring sha;
  if (!HashPath(to, sha)) return Fail(L"无法读取 " + to);
  if (sha != item.Get(L"sha256")) return Fail(L"未恢复：" + to + L" 在移动之后被改动过");
  bool replace = false;
  if (Exists(from)) {
    // The empty folder the removal itself put there to block the path goes away first.
    if (item.Get(L"blocker") == L"1" && IsFolder(from) && ::RemoveDirectoryW(winaccess::PathForFileCalls(from).c_str())) {
    } else if (folder || IsFolder(from)) {
      return Fail(L"未恢复：" + from + L" 已经存在");
    } else if (AskYes(context, L"文件 " + from + L" 已经存在（在备份之后又出现了），是否用备份覆盖？")) {
      replace = true;
    } else {
      return Fail(L"未恢复：原位置已有文件");
    }
  }
  const auto slash = from.find_last_of(L'\\');
  if (slash != std::wstring::npos && !MakeFolders(from.substr(0, slash))) {
    return Fail(L"无法创建目录，错误" + ErrorText(::GetLastError()));
  }
  if (!::MoveFileExW(winaccess::PathForFileCalls(to).c_str(), winaccess::PathForFileCalls(from).c_str(),
                     replace ? MOVEFILE_REPLACE_EXISTING : 0)) {
    return Fail(L"移回失败，错误" + ErrorText(::GetLastError()));
  }
  return {true, L"已移回 " + from};
}

}  // namespace

bool RestoreItem(const RestoreEntry& entry, const RestoreContext& given, std::wstring& message) {
  RestoreContext context = given;
  context.ask = AskUserOrMessageBox(context.ask);
  if (!context.tasks) context.tasks = SchedulerTaskStore();
  if (!entry.entry.readable) {
    message = L"无法恢复：" + entry.entry.problem;
    return false;
  }
  if (entry.entry.restored) {
    message = L"已经恢复过了";
    return false;
  }
  winaccess::DisableWow64Redirection();
  const std::wstring kind = entry.entry.item.Get(L"kind");
  Outcome outcome;
  if (kind == kKindValue) {
    outcome = RestoreValue(entry, context);
  } else if (kind == kKindKey) {
    outcome = RestoreKey(entry, context);
  } else if (kind == kKindServiceStart) {
    outcome = RestoreServiceStart(entry);
  } else if (kind == kKindServiceKey) {
    outcome = RestoreServiceKey(entry);
  } else if (kind == kKindTask) {
    outcome = RestoreTask(entry, context);
  } else if (kind == kKindFileCopy) {
    outcome = RestoreFileCopy(entry, context);
  } else if (kind == kKindMove) {
    outcome = RestoreMove(entry, context);
  } else {
    outcome = Fail(L"未知的备份种类");
  }
  message = outcome.message;
  if (outcome.ok && !AppendToManifest(entry.runFolder, RestoredLine(entry.entry.item.id, NowText()))) {
    message += L"（无法在清单中标记为已恢复）";
  }
  if (context.log) context.log(RestoreLogRecord(entry.entry.item, entry.runFolder, outcome.ok, outcome.message));
  return outcome.ok;
}

}  // namespace varnex::backup
