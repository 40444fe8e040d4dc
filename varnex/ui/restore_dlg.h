// The restore window ("恢复"): the backed-up items of every removal run, newest first, with check
// boxes, and "恢复选中", which restores the ticked ones in the listed order.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <functional>

#include "../../common/ui/dialog_base.h"
#include "../backup/restore.h"

namespace varnex::ui {

struct RestoreDlgOptions {
  std::wstring backupStore;  // the folder of the backup runs; "" = backup::DefaultStoreFolder()
  varnex::AskUserFn ask;  // nullptr = MessageBoxW
  std::shared_ptr<backup::ITaskStore> tasks;  // nullptr = the Task Scheduler
  std::function<void(const std::wstring&)> log;  // the record of each restore; nullptr = the day's main log
};

class CRestoreDlg : public CDialogBase {
 public:
  explicit CRestoreDlg(RestoreDlgOptions options = {});

  HWND List() const;
  const std::vector<backup::RestoreEntry>& Entries() const { return entries_; }

 protected:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  BOOL OnInitDialog();
  void Fill();
  void OnRestoreSelected();

  RestoreDlgOptions options_;
  std::vector<backup::RestoreEntry> entries_;
};

// Column titles of the restore list.
inline constexpr const wchar_t* kRestoreColumns[] = {L"时间", L"Type", L"名称", L"位置", L"方式", L"状态"};

}  // namespace varnex::ui
