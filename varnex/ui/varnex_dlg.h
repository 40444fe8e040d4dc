// The main dialog of varnex: nine result views under a tab control, the action, rescan and
// selection buttons, and the status box. It picks the start mode, loads the rule files and starts
// the scan worker.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../../common/ui/dialog_base.h"
#include "../core/scan_driver.h"
#include "../core/scan_texts.h"
#include "../report/report.h"
#include "../rules/rule_loader.h"
#include "dialog_scan_window.h"
#include "restore_dlg.h"

namespace varnex::ui {

// What the scanners of one run get to work with.
struct ScanContext {
  std::shared_ptr<ScanState> state;
  std::shared_ptr<const RuleData> rules;
  std::shared_ptr<IScanWindow> window;
};
using ScanStepsFactory = std::function<std::shared_ptr<const ScanSteps>(const ScanContext&)>;

// Where "导出全部结果..." writes, and in which format (the type chosen in the save dialog).
struct ExportChoice {
  std::wstring path;
  report::ReportFormat format = report::ReportFormat::Csv;
};

struct VarnexDlgOptions {
  std::wstring commandLine;    // the arguments after the program name
  std::wstring programFolder;  // where the data folder lies; "" = the program's own folder
  std::wstring backupStore;    // the folder of the backup runs; "" = backup::DefaultStoreFolder()
  ErrorMessageFn showError;    // nullptr = a modal "错误！" message box owned by the dialog
  ScanStepsFactory makeSteps;  // nullptr = the program's scanners
  PostMessageFn post;          // nullptr = PostMessageW
  // The removal's questions and notices, shaped like MessageBoxW; nullptr = MessageBoxW.
  std::function<int(HWND, const std::wstring&, const std::wstring&, UINT)> askUser;
  // Shows the context menu at the cursor and returns the chosen command (0: none);
  // nullptr = TrackPopupMenu.
  std::function<UINT(HWND owner, HMENU popup)> trackMenu;
  // Starts a program with parameters; nullptr = ShellExecuteW with "open".
  std::function<void(const std::wstring& file, const std::wstring& parameters)> launch;
  // Shows the restore window of the "恢复" button; nullptr = modal under the main window.
  std::function<void(CRestoreDlg& dialog, HINSTANCE instance, HWND owner)> openRestore;
  // Asks where to export all results; nullopt when cancelled. nullptr = the save dialog.
  std::function<std::optional<ExportChoice>(HWND owner)> chooseExportPath;
};

class CVarnexDlg : public CDialogBase {
 public:
  explicit CVarnexDlg(VarnexDlgOptions options = {});

  HWND View(int k) const { return views_[k]; }
  const ScanState& State() const { return *state_; }
  const RuleData& Rules() const { return *rules_; }

 protected:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  BOOL OnInitDialog();
  void CreateViews();
  void EnableDebugPrivilege();
  void ChooseModeAndLoadRules();
  void StartTargetFolderMode(const std::wstring& lowerCommandLine);
  void StartScan();
  LRESULT OnFinding(LPARAM index);
  INT_PTR OnCommand(WORD id, WORD code);
  INT_PTR OnNotify(const NMHDR* header);
  void OnTabSelChange();
  void DistributeFindings();
  void OnActionButton();
  void OnRescan();
  void OnRestore();
  void ShowError(const std::wstring& text);

  // Commands on the result views.
  int CurrentTab() const;
  bool IsProtectedRow(HWND view, int row) const;
  void OnSelectAll();
  void OnInvert();
  void ShowDetails(HWND view, int row);
  void OnViewClick(HWND view);
  void OnViewKeyDown(HWND view, WORD key);
  void OnViewRightClick(HWND view);
  void ExportAllResults();
  report::ReportHeader ExportHeader() const;
  bool OnPaintMinimised();

  VarnexDlgOptions options_;
  std::shared_ptr<ScanState> state_;
  std::shared_ptr<RuleData> rules_;
  std::shared_ptr<DialogScanWindow> window_;
  std::shared_ptr<const ScanSteps> steps_;
  std::array<HWND, kViewCount> views_{};
  HICON icon_ = nullptr;
  // What an export says about the run besides the rows.
  std::wstring modeName_ = report::kModeNormal;
  std::wstring targetFolder_;
  std::wstring scanStarted_;
  std::vector<std::wstring> warnings_;
};

// The scanners of the program; later scanners are added here.
std::shared_ptr<const ScanSteps> MakeProgramScanSteps(const ScanContext& context);

}  // namespace varnex::ui
