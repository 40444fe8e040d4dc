// The scheduled tasks as the backups and the restore see them: read a task's definition as XML,
// tell whether a task exists, register one from its XML. The program's store talks to the Task
// Scheduler; tests give their own (Wine lists no registered task, see design.md).
#pragma once

#include <memory>
#include <string>

namespace varnex::backup {

class ITaskStore {
 public:
  virtual ~ITaskStore() = default;
  enum class Read { Found, Missing, Failed };
  // `folder` as the removal passes it ("" or "\" for the root folder).
  virtual Read ReadTaskXml(const std::wstring& folder, const std::wstring& name, std::wstring& xml) = 0;
  virtual bool TaskExists(const std::wstring& folder, const std::wstring& name) = 0;
  // Creates the folder when it is missing; never replaces an existing task.
  virtual bool RegisterTaskXml(const std::wstring& folder, const std::wstring& name, const std::wstring& xml,
                               std::wstring& problem) = 0;
};

std::shared_ptr<ITaskStore> SchedulerTaskStore();

}  // namespace varnex::backup
