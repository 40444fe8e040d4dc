// The restore window ("恢复"): the backed-up items of every removal run, newest first, with check
// boxes, and "恢复选中", which restores the ticked ones in the listed order.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "../../common/ui/dialog_base.h"
#include "../remediation/restore.h"

namespace varnex::ui {

struct RestoreDlgOptions {
  std::wstring programFolder;  // the folder that holds "备份\"; "" = the program's own folder
  remediation::AskUserFn ask;  // nullptr = MessageBoxW
  std::shared_ptr<remediation::ITaskStore> tasks;  // nullptr = the Task Scheduler
};

class CRestoreDlg : public CDialogBase {
 public:
  explicit CRestoreDlg(RestoreDlgOptions options = {});

  HWND List() const;
  const std::vector<remediation::RestoreEntry>& Entries() const { return entries_; }

 protected:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  BOOL OnInitDialog();
  void Fill();
  void OnRestoreSelected();

  RestoreDlgOptions options_;
  std::vector<remediation::RestoreEntry> entries_;
};

// Column titles of the restore list.
inline constexpr const wchar_t* kRestoreColumns[] = {L"时间", L"Type", L"名称", L"位置", L"方式", L"状态"};

}  // namespace varnex::ui
