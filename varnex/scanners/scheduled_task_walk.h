// The walk over the scheduler's folder tree, apart from the Task Scheduler itself: folders, their
// visible tasks and each task's first action, as small interfaces that the COM adapter implements
// and tests fake.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "scanner_seams.h"

namespace varnex::scanners {

// What the walk needs of a task's first action. A text that could not be read is nullopt.
struct TaskAction {
  enum class Kind { Exec, ComHandler, Other };
  Kind kind = Kind::Other;
  std::optional<std::wstring> program;           // Exec
  std::optional<std::wstring> workingDirectory;  // Exec; nullopt or "" when none is set
  std::optional<std::wstring> arguments;         // Exec; "" when none are set
  std::optional<std::wstring> classId;           // ComHandler
};

class IScheduledTaskView {
 public:
  virtual ~IScheduledTaskView() = default;
  virtual std::optional<std::wstring> Name() const = 0;
  virtual std::optional<std::wstring> Path() const = 0;
  // nullopt when the task has no definition, no actions, or its first action cannot be fetched.
  virtual std::optional<TaskAction> FirstAction() const = 0;
};

class ITaskFolderView {
 public:
  virtual ~ITaskFolderView() = default;
  // The folder's visible tasks in the scheduler's order; tasks that cannot be fetched are left out.
  virtual std::vector<std::unique_ptr<IScheduledTaskView>> Tasks() const = 0;
  // The direct subfolders in the scheduler's order; those that cannot be fetched are left out.
  virtual std::vector<std::unique_ptr<ITaskFolderView>> Subfolders() const = 0;
};

struct TaskScanSeams {
  std::function<std::wstring(const std::wstring& command)> resolveCommand;  // ResolveCommandPath
  std::function<std::wstring(const std::wstring& clsid)> comServerPath;     // GetComServerPath
  IdentityFiller fillIdentity;
  FindingConsumer consume;
};

// The Finding of one task with its first action: "计划任务", the name, the path, the file the
// action runs and, for a program, the command; for a COM handler, its class key.
Finding ScheduledTaskFinding(const std::wstring& name, const std::optional<std::wstring>& path,
                             const TaskAction& action, const TaskScanSeams& seams);

// One Finding per task directly in `folder` that has a readable name and a first action.
void ScanTaskFolder(const ITaskFolderView& folder, const TaskScanSeams& seams);
// Each subfolder's own tasks, then its subfolders, depth-first.
void ScanTaskSubfolders(const ITaskFolderView& folder, const TaskScanSeams& seams);

}  // namespace varnex::scanners
