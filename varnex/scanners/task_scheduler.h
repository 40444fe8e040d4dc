// The Task Scheduler 2.0 side of the scheduled-task scan: a thin adapter from the scheduler's COM
// interfaces to the folder and task views the walk works on, and the scanner that connects to
// the local scheduler and walks from the root folder.
#pragma once

#include <windows.h>
#include <taskschd.h>
#include <wrl/client.h>

#include <memory>

#include "../core/scan_window.h"
#include "scheduled_task_walk.h"

namespace varnex::scanners {

// This toolchain lacks the scheduler's class identifier and the COM handler action.
extern const CLSID kClsidTaskScheduler;   // {0F87369F-A4E5-4CFC-BD3E-73E6154572DD}
extern const IID kIidComHandlerAction;    // {6D2FD252-75C5-4F66-90BA-2A7D8CC3039F}

class ComScheduledTask final : public IScheduledTaskView {
 public:
  explicit ComScheduledTask(Microsoft::WRL::ComPtr<IRegisteredTask> task) : task_(std::move(task)) {}
  std::optional<std::wstring> Name() const override;
  std::optional<std::wstring> Path() const override;
  std::optional<TaskAction> FirstAction() const override;

 private:
  Microsoft::WRL::ComPtr<IRegisteredTask> task_;
};

class ComTaskFolder final : public ITaskFolderView {
 public:
  explicit ComTaskFolder(Microsoft::WRL::ComPtr<ITaskFolder> folder) : folder_(std::move(folder)) {}
  std::vector<std::unique_ptr<IScheduledTaskView>> Tasks() const override;
  std::vector<std::unique_ptr<ITaskFolderView>> Subfolders() const override;

 private:
  Microsoft::WRL::ComPtr<ITaskFolder> folder_;
};

// The local scheduler, created in-process and connected as the current user; null on failure.
// The calling thread must have COM initialised.
Microsoft::WRL::ComPtr<ITaskService> ConnectTaskService();

// A folder of a connected scheduler by its path ("\" for the root); null when it cannot be opened.
std::unique_ptr<ComTaskFolder> OpenTaskFolder(ITaskService* service, const std::wstring& path);

// Sets the status text, connects to the local scheduler (initialising COM for this thread for the
// scan's duration) and hands one Finding per visible task to `consume`.
void ScanScheduledTasks(IScanWindow& window, const IdentityFiller& fillIdentity, const FindingConsumer& consume);

}  // namespace varnex::scanners
