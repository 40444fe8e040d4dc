// The program's scanners, wired into the scan driver's steps. Every scanner hands what it
// examined to the Classifier, which posts the suspicious items; the trojan-family checks post
// directly.
#include <windows.h>

#include "../identity/classifier.h"
#include "../identity/fill_identity.h"
#include "../scanners/explorer_addons.h"
#include "../scanners/file_associations.h"
#include "../scanners/file_scanner.h"
#include "../scanners/input_methods.h"
#include "../scanners/process_scanner.h"
#include "../scanners/service_scanner.h"
#include "../scanners/startup_entries.h"
#include "../scanners/startup_folders.h"
#include "../scanners/startup_places.h"
#include "../scanners/task_scheduler.h"
#include "../scanners/toolbars.h"
#include "../scanners/trojan_checks.h"
#include "varnex_dlg.h"

namespace varnex::ui {

std::shared_ptr<const ScanSteps> MakeProgramScanSteps(const ScanContext& context) {
  auto classifier = std::make_shared<const Classifier>(context.state, context.rules, context.window);
  const FindingConsumer consume = classifier->Consumer();
  const scanners::IdentityFiller fill = [](Finding& f) { FillIdentity(f); };
  const std::shared_ptr<ScanState> state = context.state;
  const std::shared_ptr<const RuleData> rules = context.rules;
  const std::shared_ptr<IScanWindow> window = context.window;

  auto steps = std::make_shared<ScanSteps>();
  steps->CheckFenghuaFolders = [window](std::wstring& path) { return CheckFenghuaFolders(*window, path); };
  steps->CheckRootkitDrivers = [window](std::wstring& path) { return CheckRootkitDrivers(*window, path); };
  steps->CheckKnownDriverNames = [window, rules] { CheckKnownDriverNames(*window, *rules); };
  steps->ScanProcesses = [state, window, consume] { ScanProcesses(*state, *window, consume); };
  steps->ScanServices = [state, window, consume](bool drivers) {
    ScanServices(drivers ? ServiceKind::Drivers : ServiceKind::Services, *state, *window, consume);
  };
  steps->ScanStartupEntries = [window, fill, consume] { scanners::ScanStartupEntries(*window, fill, consume); };
  steps->ScanScreenSaver = [window, fill, consume] { scanners::ScanScreenSaver(*window, fill, consume); };
  steps->ScanMoreStartupValues = [window, fill, consume] {
    scanners::ScanMoreStartupValues(*window, fill, consume);
  };
  steps->ScanWinlogon = [window, fill, consume] { scanners::ScanWinlogon(*window, fill, consume); };
  steps->ScanImageHijacks = [window, fill, consume] { scanners::ScanImageHijacks(*window, fill, consume); };
  steps->ScanStartupFolders = [window, fill, consume] { scanners::ScanStartupFolders(*window, fill, consume); };
  steps->ScanScheduledTasks = [window, fill, consume] { scanners::ScanScheduledTasks(*window, fill, consume); };
  steps->ScanExplorerAddons = [state, window, fill, consume] {
    scanners::ScanExplorerAddons(*state, *window, fill, consume);
  };
  steps->ScanToolbars = [window, fill, consume] { scanners::ScanToolbars(*window, fill, consume); };
  steps->ScanImeLayouts = [fill, consume] { scanners::ScanImeLayouts(fill, consume); };
  steps->ScanTextServices = [fill, consume] { scanners::ScanTextServices(fill, consume); };
  steps->ScanFileAssociations = [state, fill, consume](const std::wstring& scope) {
    scanners::ScanFileAssociations(*state, scope, fill, consume);
  };
  steps->ScanFiles = [state, rules, window] { ScanFiles(*state, *rules, *window); };
  return steps;
}

}  // namespace varnex::ui
