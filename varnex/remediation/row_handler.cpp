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

void NeutraliseService(Finding& row, RemovalRun& run, DWORD startType) {
  if (row.Name.empty()) return;
  if (!DisableService(run.services, row.Name, startType, true)) OfferRename(row, run.services.ask);
}

std::wstring HandleDriverTrojan(Finding& row, RemovalRun& run) {
  row.Name = text::LowerAZ(row.Name);
  const auto sys = row.Name.find(L".sys");
  const std::wstring serviceName = sys == std::wstring::npos ? row.Name : row.Name.substr(0, sys);
  if (!serviceName.empty()) DisableService(run.services, serviceName, SERVICE_DEMAND_START, false);
  // A lone-wolf rootkit file with a version description of its own only has its start type changed.
  if (row.Company == L"疑似独狼Rootkit" && !row.FileDescription.empty()) return {};
  return QuarantineFile(row.Name, row.FilePath);
}

void DeleteTask(const Finding& row) {
  if (row.Name.empty()) return;
  const std::wstring folder = TaskFolderOf(row.StartPath);
  // The path must end in the task's own name, else another task of that name could be hit.
  if (row.StartPath != folder + L"\\" + row.Name) return;
  DeleteScheduledTask(row.Name, folder);
}

// Answers the numbered quarantine name a file had to take, if any.
std::wstring Act(Finding& row, RemovalRun& run) {
  const std::wstring& type = row.Type;
  if (type == L"文件") {
    DeleteFileNowOrAtReboot(row.FilePath);
  } else if (type == L"驱动木马") {
    return HandleDriverTrojan(row, run);
  } else if (type == L"进程") {
    EndProcess(row.Descrip);
  } else if (type == L"服务") {
    NeutraliseService(row, run, SERVICE_DISABLED);
  } else if (type == L"驱动") {
    NeutraliseService(row, run, SERVICE_DEMAND_START);
  } else if (type == L"其它加载项" || type == L"Run" || type == L"屏幕保护程序") {
    if (!NamesRegistryItem(row)) return {};
    run.restartExplorer = true;
    DeleteRegValue(row.StartPath, row.Name);
  } else if (type == L"环境变量") {
    if (!NamesRegistryItem(row)) return {};
    run.restartExplorer = true;
    DeleteRegValue(row.StartPath, row.Name);
    BlockScriptFile(row.FilePath);
  } else if (type == L"病毒文件") {
    if (NamesRegistryItem(row)) DeleteRegKey(row.StartPath, row.Name);
    winaccess::DisableWow64Redirection();
    if (!row.FilePath.empty() && winaccess::PathExists(row.FilePath)) return QuarantineFile(row.Name, row.FilePath);
  } else if (type == L"计划任务") {
    DeleteTask(row);
  } else if (IsStartupPlaceType(type)) {
    return RemoveStartupPlaceItem(row);
  } else if (!type.empty() && NamesRegistryItem(row)) {
    run.restartExplorer = true;
    DeleteRegKey(row.StartPath, row.Name);
  }
  return {};
}

// Only a registry path ("HKEY_...\CLSID\{...}") counts; a command line that happens to hold
// "\CLSID\" is no class registration.
void DeleteClassRegistration(const Finding& row) {
  const auto at = row.BinPath.find(kClsidMarker);
  if (at == std::wstring::npos) return;
  if (!text::StartsWith(text::LowerAZ(row.BinPath), L"hkey_")) return;
  DeleteRegKey(row.BinPath, row.BinPath.substr(at + std::wstring(kClsidMarker).size()));
  WriteAssocClsidLog(row.BinPath, row.FilePath, row.MatchMethod);
}

}  // namespace

void HandleRow(Finding row, RemovalRun& run) {
  const std::wstring quarantinedAs = Act(row, run);
  DeleteClassRegistration(row);
  if (row.Type == L"文件关联") {
    WriteAssocClsidLog(row.StartPath, row.FilePath, row.MatchMethod);
  } else if (row.Type == L"文件") {
    WriteDelFileLog(row.FilePath);
  } else if (!row.Type.empty()) {
    WriteRemovalLog(row.Name, row.Type, row.BinPath, row.FilePath, row.StartPath, row.Company, row.FileDescription,
                    row.ProductName, row.MatchMethod, quarantinedAs);
  }
}

}  // namespace varnex::remediation
