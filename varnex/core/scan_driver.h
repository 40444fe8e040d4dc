// ScanThread: the quick checks, every scanner in its fixed order with the stop tests between them,
// and the final status. Scanners are plugged in as steps; a step left empty is skipped.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "scan_state.h"
#include "scan_window.h"

namespace varnex {

struct ScanSteps {
  std::function<bool(std::wstring& foundPath)> CheckFenghuaFolders;
  std::function<bool(std::wstring& foundPath)> CheckRootkitDrivers;
  std::function<void()> CheckKnownDriverNames;
  std::function<void()> ScanProcesses;
  std::function<void(bool drivers)> ScanServices;
  std::function<void()> ScanStartupEntries;
  std::function<void()> ScanScreenSaver;
  std::function<void()> ScanMoreStartupValues;
  std::function<void()> ScanWinlogon;
  std::function<void()> ScanImageHijacks;
  std::function<void()> ScanStartupFolders;
  std::function<void()> ScanScheduledTasks;
  std::function<void()> ScanExplorerAddons;
  std::function<void()> ScanToolbars;
  std::function<void()> ScanImeLayouts;
  std::function<void()> ScanTextServices;
  std::function<void(const std::wstring& scope)> ScanFileAssociations;
  std::function<void()> ScanFiles;
};

// One whole scan on the calling thread.
void RunScan(ScanState& state, IScanWindow& window, const ScanSteps& steps);

// Starts RunScan on a worker thread that shares ownership of everything it touches.
bool StartScanThread(std::shared_ptr<ScanState> state, std::shared_ptr<IScanWindow> window,
                     std::shared_ptr<const ScanSteps> steps);

// The two Findings the driver builds itself.
Finding EnvironmentValueFinding(const std::wstring& data);
Finding BackdoorFileFinding();

}  // namespace varnex
