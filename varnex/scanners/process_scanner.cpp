#include <windows.h>

#include <tlhelp32.h>

#include "process_scanner.h"

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/unique_resource.h"
#include "../../common/winaccess/winaccess.h"
#include "../identity/fill_identity.h"
#include "process_rules.h"

namespace varnex {

namespace {

Finding ProcessFinding(const PROCESSENTRY32W& entry, HANDLE process) {
  Finding f;
  f.Name = text::FromBuffer(entry.szExeFile, MAX_PATH);
  f.BinPath = winaccess::GetProcessCommandLine(process);
  f.FilePath = IsRundllName(f.Name) ? RundllTargetPath(f.BinPath) : winaccess::GetProcessImagePath(process);
  FillIdentity(f);
  f.Type = L"进程";
  f.StartPath = std::to_wstring(entry.th32ParentProcessID);
  f.Descrip = std::to_wstring(entry.th32ProcessID);
  return f;
}

}  // namespace

void ScanProcesses(const ScanState& state, IScanWindow& window, const FindingConsumer& consume) {
  window.SetStatusText(kProcessScanStatus);
  winaccess::unique_file snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return;

  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
    winaccess::unique_handle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID));
    if (process) consume(ProcessFinding(entry, process.get()));
    if (state.StopRequested) break;
  }
}

}  // namespace varnex
