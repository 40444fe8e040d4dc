// The program's IStepBackup: each step's backup written into a BackupRun.
#pragma once

#include <windows.h>

#include <string>

#include "../core/finding.h"
#include "backup_run.h"
#include "step_backup.h"
#include "task_store.h"

namespace varnex::backup {

class RowBackup final : public IStepBackup {
 public:
  RowBackup(BackupRun& run, const Finding& row, ITaskStore& tasks);

  bool Value(const std::wstring& keyPath, const std::wstring& valueName) override;
  bool Key(const std::wstring& keyPath, const std::wstring& keyName) override;
  bool ServiceStart(SC_HANDLE manager, const std::wstring& service) override;
  bool ServiceKey(SC_HANDLE manager, const std::wstring& service) override;
  bool Task(const std::wstring& folder, const std::wstring& name) override;
  bool FileCopy(const std::wstring& path, const std::wstring& how) override;
  bool Move(const std::wstring& from, const std::wstring& to, const std::wstring& how, bool blocker) override;
  void Done(bool ok) override;

  bool Failed() const override { return failed_; }
  int StepsRun() const override { return steps_; }
  const std::wstring& Problem() const override { return problem_; }

 private:
  BackupItem Base(const std::wstring& kind, const std::wstring& name, const std::wstring& place,
                  const std::wstring& how) const;
  bool Added(int id);
  bool Fail(const std::wstring& problem);

  BackupRun& run_;
  Finding row_;
  ITaskStore& tasks_;
  int last_ = 0;
  int steps_ = 0;
  bool failed_ = false;
  std::wstring problem_;
};

}  // namespace varnex::backup
