#include "scan_driver.h"

#include <windows.h>

#include <vector>

#include "../../common/winaccess/registry.h"
#include "../../common/winaccess/winaccess.h"
#include "scan_texts.h"
#include "worker.h"

namespace varnex {
namespace {

constexpr const wchar_t* kBackdoorPath = L"C:\\Windows\\System32\\NtpService.dll";
constexpr const wchar_t* kBackdoorDescrip = L"疑似后门病毒，删除后重启电脑即可。";
constexpr const wchar_t* kBackdoorLabel = L"后门病毒";

template <typename Fn, typename... Args>
void RunStep(const Fn& step, Args&&... args) {
  if (step) step(std::forward<Args>(args)...);
}

// The views flag is settled before the window shows the end of the scan, so that nothing the
// user starts from the re-enabled buttons sees this scan's leftovers. StopRequested is cleared
// last: a Stop click taken while the button still read "停止扫描" is cleared with it, and once the
// button reads "处理选中" no click can set it again, so the next Rescan never starts stopped.
void FinishScan(ScanState& state, IScanWindow& window, const std::wstring& status, bool markViewsStale) {
  state.CategoryViewsStale = markViewsStale;
  window.SetStatusText(status);
  window.SetActionButtonText(kActionHandleText);
  window.EnableRescanButton(true);
  state.StopRequested = false;
}

void RunScanners(ScanState& state, IScanWindow& window, const ScanSteps& s) {
  const auto go = [&state] { return !state.StopRequested; };
  if (!go()) return;
  RunStep(s.ScanServices, false);
  if (!go()) return;
  RunStep(s.ScanServices, true);
  if (!go()) return;
  RunStep(s.ScanStartupEntries);
  if (!go()) return;
  RunStep(s.ScanScreenSaver);
  if (!go()) return;
  RunStep(s.ScanMoreStartupValues);
  if (!go()) return;
  RunStep(s.ScanWinlogon);
  if (!go()) return;
  RunStep(s.ScanImageHijacks);
  if (!go()) return;
  RunStep(s.ScanStartupFolders);
  if (!go()) return;
  RunStep(s.ScanScheduledTasks);
  if (!go()) return;
  RunStep(s.ScanExplorerAddons);
  if (!go()) return;
  RunStep(s.ScanToolbars);
  if (!go()) return;
  window.SetStatusText(kImeStatusText);
  RunStep(s.ScanImeLayouts);
  RunStep(s.ScanTextServices);
  if (!go()) return;
  window.SetStatusText(kAssocStatusText);
  for (const wchar_t* scope : {L"", L"SystemFileAssociations", L"Applications"}) {
    RunStep(s.ScanFileAssociations, std::wstring(scope));
  }
}

// The value's presence is the trace, whatever it holds: a value too long for the 520-byte buffer
// or of another type is still reported, with its first 260 characters of text.
bool ReadLogonScriptValue(HKEY key, std::wstring& data) {
  DWORD size = 0;
  DWORD type = REG_SZ;
  if (::RegQueryValueExW(key, L"USERINITMPRLOGONSCRIPT", nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return false;
  }
  std::vector<BYTE> buffer(size + 2 * sizeof(wchar_t), 0);
  if (::RegQueryValueExW(key, L"USERINITMPRLOGONSCRIPT", nullptr, &type, buffer.data(), &size) != ERROR_SUCCESS) {
    return false;
  }
  data = winaccess::RegistryDataToText(type, buffer.data(), size).substr(0, 260);
  return true;
}

}  // namespace

Finding EnvironmentValueFinding(const std::wstring& data) {
  Finding f;
  f.Type = L"环境变量";
  f.Name = L"USERINITMPRLOGONSCRIPT";
  f.FilePath = data;
  f.Company = f.FileDescription = f.ProductName = kBackdoorLabel;
  f.StartPath = L"HKEY_CURRENT_USER\\Environment";
  f.Descrip = kBackdoorDescrip;
  f.MatchMethod = L"后门病毒USERINITMPRLOGONSCRIPT规则";
  return f;
}

Finding BackdoorFileFinding() {
  Finding f;
  f.Type = L"病毒文件";
  f.Name = L"NtpService";
  f.FilePath = kBackdoorPath;
  f.Company = f.FileDescription = f.ProductName = kBackdoorLabel;
  f.StartPath = L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\W32Time\\TimeProviders\\NtpService";
  f.Descrip = kBackdoorDescrip;
  f.MatchMethod = L"后门病毒文件路径规则";
  return f;
}

void RunScan(ScanState& state, IScanWindow& window, const ScanSteps& steps) {
  if (state.FileScanMode) {
    RunStep(steps.ScanFiles);
    FinishScan(state, window, kScanFinishedText, false);
    return;
  }

  std::wstring fenghuaPath;
  std::wstring rootkitPath;
  std::wstring markerPath;
  winaccess::ExpandEnvironment(L"%systemroot%\\temp\\~.cache", markerPath, 522);

  if (!state.TargetFolderMode) {
    if (!markerPath.empty() && winaccess::PathExists(markerPath)) {
      fenghuaPath = markerPath;
      state.FenghuaFound = true;
    } else if (steps.CheckFenghuaFolders && steps.CheckFenghuaFolders(fenghuaPath)) {
      state.FenghuaFound = true;
    }
    const bool rootkit = steps.CheckRootkitDrivers && steps.CheckRootkitDrivers(rootkitPath);
    if (state.FenghuaFound) window.SetTitle(kFenghuaTitle);
    if (rootkit) window.SetTitle(kRootkitTitle);

    if (auto key = winaccess::OpenKey(HKEY_CURRENT_USER, L"Environment")) {
      std::wstring data;
      if (ReadLogonScriptValue(key.get(), data)) window.PostFinding(EnvironmentValueFinding(data));
    }
    winaccess::DisableWow64Redirection();
    if (winaccess::PathExists(kBackdoorPath)) window.PostFinding(BackdoorFileFinding());
  }

  RunStep(steps.CheckKnownDriverNames);
  RunStep(steps.ScanProcesses);
  RunScanners(state, window, steps);

  FinishScan(state, window, FinalStatusText(state.PostedCount, state.FenghuaFound, fenghuaPath), true);
}

bool StartScanThread(std::shared_ptr<ScanState> state, std::shared_ptr<IScanWindow> window,
                     std::shared_ptr<const ScanSteps> steps) {
  return StartWorker([state, window, steps] { RunScan(*state, *window, *steps); });
}

}  // namespace varnex
