#include <windows.h>

#include "row_handler.h"

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/unique_resource.h"
#include "../../common/winaccess/winaccess.h"
#include "../core/startup_places.h"
#include "file_actions.h"
#include "file_names.h"
#include "log_writer.h"
#include "registry_removal.h"
#include "startup_removal.h"
#include "task_removal.h"

namespace varnex::remediation {
namespace {

constexpr const wchar_t* kClsidMarker = L"\\CLSID\\";

void EndProcess(const std::wstring& pidText) {
  unsigned long pid = 0;
  // Digits only: a mangled id must not turn into some other process's id.
  if (!text::ParseUnsigned(pidText, pid) || pid == 0 || pid == ::GetCurrentProcessId()) return;
  winaccess::unique_handle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, static_cast<DWORD>(pid)));
  if (process) ::TerminateProcess(process.get(), 0);
}

// A registry row needs a key path with a root and a non-empty name; anything else only logs.
bool NamesRegistryItem(const Finding& row) {
  return !row.Name.empty() && row.StartPath.find(L'\\') != std::wstring::npos;
}

struct RowOutcome {
  std::wstring quarantinedAs;       // the numbered quarantine name a file had to take, if any
  std::vector<std::wstring> notes;  // more lines for the row's log record
};

// A value row names a key and, in Name, a value of it. A "Run" row with an empty Name is the key's
// unnamed default value, which the scan reports like any other.
bool NamesRegistryValue(const Finding& row) {
  if (row.StartPath.find(L'\\') == std::wstring::npos) return false;
  return !row.Name.empty() || row.Type == L"Run";
}

void NeutraliseService(Finding& row, RemovalRun& run, DWORD startType, RowOutcome& outcome, backup::IStepBackup& backup) {
  if (row.Name.empty()) return;
  // In service-deletion mode the whole service key is kept, so the service can be made again.
  const bool backedUp = run.services.serviceDeleteMode ? backup.ServiceKey(run.services.manager, row.Name)
                                                       : backup.ServiceStart(run.services.manager, row.Name);
  if (!backedUp) return;
  const bool ok = DisableService(run.services, row.Name, startType, true);
  backup.Done(ok);
  if (!ok) OfferRename(row, run.services.ask, outcome.notes, backup);
}

std::wstring HandleDriverTrojan(Finding& row, RemovalRun& run, backup::IStepBackup& backup) {
  row.Name = text::LowerAZ(row.Name);
  const auto sys = row.Name.find(L".sys");
  const std::wstring serviceName = sys == std::wstring::npos ? row.Name : row.Name.substr(0, sys);
  if (!serviceName.empty()) {
    if (!backup.ServiceStart(run.services.manager, serviceName)) return {};
    backup.Done(DisableService(run.services, serviceName, SERVICE_DEMAND_START, false));
  }
  // A lone-wolf rootkit file with a version description of its own only has its start type changed.
  if (row.Company == L"疑似独狼Rootkit" && !row.FileDescription.empty()) return {};
  return QuarantineFile(row.Name, row.FilePath, backup);
}

void DeleteTask(const Finding& row, backup::IStepBackup& backup) {
  if (row.Name.empty()) return;
  const std::wstring folder = TaskFolderOf(row.StartPath);
  // The path must end in the task's own name, else another task of that name could be hit.
  if (row.StartPath != folder + L"\\" + row.Name) return;
  if (!backup.Task(folder, row.Name)) return;
  backup.Done(DeleteScheduledTask(row.Name, folder));
}

void DeleteValue(const Finding& row, backup::IStepBackup& backup) {
  if (!backup.Value(row.StartPath, row.Name)) return;
  backup.Done(DeleteRegValue(row.StartPath, row.Name));
}

void DeleteKey(const std::wstring& keyPath, const std::wstring& keyName, backup::IStepBackup& backup) {
  if (!backup.Key(keyPath, keyName)) return;
  backup.Done(DeleteRegKey(keyPath, keyName));
}

void Act(Finding& row, RemovalRun& run, RowOutcome& outcome, backup::IStepBackup& backup) {
  const std::wstring& type = row.Type;
  if (type == L"文件") {
    DeleteFileNowOrAtReboot(row.FilePath, backup);
  } else if (type == L"驱动木马") {
    outcome.quarantinedAs = HandleDriverTrojan(row, run, backup);
  } else if (type == L"进程") {
    EndProcess(row.Descrip);
  } else if (type == L"服务") {
    NeutraliseService(row, run, SERVICE_DISABLED, outcome, backup);
  } else if (type == L"驱动") {
    NeutraliseService(row, run, SERVICE_DEMAND_START, outcome, backup);
  } else if (type == L"其它加载项" || type == L"Run" || type == L"屏幕保护程序") {
    if (!NamesRegistryValue(row)) return;
    run.restartExplorer = true;
    DeleteValue(row, backup);
  } else if (type == L"环境变量") {
    if (!NamesRegistryItem(row)) return;
    run.restartExplorer = true;
    DeleteValue(row, backup);
    if (!backup.Failed()) BlockScriptFile(row.FilePath, backup);
  } else if (type == L"病毒文件") {
    if (NamesRegistryItem(row)) DeleteKey(row.StartPath, row.Name, backup);
    winaccess::DisableWow64Redirection();
    if (!backup.Failed() && !row.FilePath.empty() && winaccess::PathExists(row.FilePath)) {
      outcome.quarantinedAs = QuarantineFile(row.Name, row.FilePath, backup);
    }
  } else if (type == L"计划任务") {
    DeleteTask(row, backup);
  } else if (IsStartupPlaceType(type)) {
    outcome.quarantinedAs = RemoveStartupPlaceItem(row, backup);  } else if (!type.empty() && NamesRegistryItem(row)) {
    run.restartExplorer = true;
    DeleteKey(row.StartPath, row.Name, backup);
  }
}

// Only a registry path ("HKEY_...\CLSID\{...}") counts; a command line that happens to hold
// "\CLSID\" is no class registration.
void DeleteClassRegistration(const Finding& row, backup::IStepBackup& backup) {
  const auto at = row.BinPath.find(kClsidMarker);
  if (at == std::wstring::npos) return;
  if (!text::StartsWith(text::LowerAZ(row.BinPath), L"hkey_")) return;
  DeleteKey(row.BinPath, row.BinPath.substr(at + std::wstring(kClsidMarker).size()), backup);
  if (backup.Failed()) return;
  WriteAssocClsidLog(row.BinPath, row.FilePath, row.MatchMethod);
}

}  // namespace

bool HandleRow(Finding row, RemovalRun& run) {
  RowOutcome outcome;
  const auto rowBackup = run.backups->ForRow(row);
  backup::IStepBackup& backup = *rowBackup;
  const bool restartBefore = run.restartExplorer;
  Act(row, run, outcome, backup);
  if (!backup.Failed()) DeleteClassRegistration(row, backup);
  if (backup.Failed()) {
    run.services.ask(run.services.owner,
                     L"无法写入备份，" + row.Name + L" 未处理完：\r\n" + backup.Problem() +
                         L"\r\n没有备份的步骤不会执行。",
                     kProgramCaption, MB_OK | MB_ICONERROR);
    // Nothing was done: no record, and no reason to restart Explorer. Some steps were: they are
    // logged, with the stop noted.
    if (backup.StepsRun() == 0) {
      run.restartExplorer = restartBefore;
      return false;
    }
    outcome.notes.push_back(L"备份失败：\t" + backup.Problem() + L"（其余步骤未执行）");
    WriteRemovalLog(row.Name, row.Type, row.BinPath, row.FilePath, row.StartPath, row.Company, row.FileDescription,
                    row.ProductName, row.MatchMethod, outcome.quarantinedAs, outcome.notes);
    return false;
  }
  if (row.Type == L"文件关联") {
    WriteAssocClsidLog(row.StartPath, row.FilePath, row.MatchMethod);
  } else if (row.Type == L"文件") {
    WriteDelFileLog(row.FilePath);
  } else if (!row.Type.empty()) {
    WriteRemovalLog(row.Name, row.Type, row.BinPath, row.FilePath, row.StartPath, row.Company, row.FileDescription,
                    row.ProductName, row.MatchMethod, outcome.quarantinedAs, outcome.notes);
  }
  return true;
}

}  // namespace varnex::remediation
