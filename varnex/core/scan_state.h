// Program-wide scan state shared by the window's thread and the workers. Flags are whole-value
// atomics; the FindingList has its own lock. Owned through a shared_ptr by the dialog and by every
// running worker, so closing the window never destroys it under a worker.
#pragma once

#include <atomic>

#include "finding_list.h"

namespace varnex {

struct ScanState {
  std::atomic<bool> StopRequested{false};
  std::atomic<bool> FenghuaFound{false};
  std::atomic<bool> CategoryViewsStale{false};
  std::atomic<long> PostedCount{0};
  // A removal walks the shown view: the category views are not rebuilt under it, so the row the
  // worker reads is always the row whose tick it read.
  std::atomic<bool> RemovalRunning{false};

  // Start modes, set once at start-up before the first scan.
  bool TargetFolderMode = false;
  bool ServiceDeleteMode = false;
  bool FileScanMode = false;

  FindingList Findings;
};

}  // namespace varnex
