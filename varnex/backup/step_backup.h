// What the removal asks of the backups, and all it sees of them. Every destructive step of the
// removal worker is preceded by one call of its row's IStepBackup: the backup is written (and
// the manifest line flushed) before the step runs, and the step's outcome is added after it. A
// backup that cannot be written answers false, and the row's remaining steps must not run.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "../core/finding.h"

namespace varnex::backup {

class ITaskStore;

// The backups of one row; each call precedes one step. True: the step may run (its backup is
// written, or there is nothing there to back up and the step cannot change anything). False: a
// backup could not be written; the row stops.
class IStepBackup {
 public:
  virtual ~IStepBackup() = default;
  virtual bool Value(const std::wstring& keyPath, const std::wstring& valueName) = 0;
  virtual bool Key(const std::wstring& keyPath, const std::wstring& keyName) = 0;
  virtual bool ServiceStart(SC_HANDLE manager, const std::wstring& service) = 0;
  virtual bool ServiceKey(SC_HANDLE manager, const std::wstring& service) = 0;
  virtual bool Task(const std::wstring& folder, const std::wstring& name) = 0;
  // A file about to be deleted for good (also at the next start): copied into the store.
  virtual bool FileCopy(const std::wstring& path, const std::wstring& how) = 0;
  // A file or folder about to be moved or renamed; `blocker`: a folder is put at `from` afterwards.
  virtual bool Move(const std::wstring& from, const std::wstring& to, const std::wstring& how, bool blocker) = 0;
  bool Move(const std::wstring& from, const std::wstring& to, const std::wstring& how) {
    return Move(from, to, how, false);
  }
  // The outcome of the step the last backup was for.
  virtual void Done(bool ok) = 0;

  virtual bool Failed() const = 0;
  virtual int StepsRun() const = 0;
  virtual const std::wstring& Problem() const = 0;
};

// The backups of one removal run, one run folder in the store.
class IRemovalBackups {
 public:
  virtual ~IRemovalBackups() = default;
  virtual std::unique_ptr<IStepBackup> ForRow(const Finding& row) = 0;
};

// The store the program keeps its backup runs in.
std::wstring DefaultStoreFolder();

// A run in `storeFolder` ("...\备份"); tasks are read through `tasks` (null: the Task Scheduler).
std::unique_ptr<IRemovalBackups> OpenRemovalBackups(const std::wstring& storeFolder,
                                                     std::shared_ptr<ITaskStore> tasks);

}  // namespace varnex::backup
