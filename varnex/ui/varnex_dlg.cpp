#include <windows.h>

#include "varnex_dlg.h"

#include <commctrl.h>

#include "../../common/text/text_rules.h"
#include "../../common/winaccess/unique_resource.h"
#include "../../common/winaccess/winaccess.h"
#include "../report/report_io.h"
#include "dialog_removal_window.h"
#include "list_view.h"
#include "restore_dlg.h"
#include "resource.h"
#include "start_mode.h"
#include "target_folder.h"
#include "../remediation/removal_thread.h"

namespace varnex::ui {

CVarnexDlg::CVarnexDlg(VarnexDlgOptions options)
    : options_(std::move(options)), state_(std::make_shared<ScanState>()), rules_(std::make_shared<RuleData>()) {}

INT_PTR CVarnexDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_FINDING: OnFinding(lParam); return TRUE;
    case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY: return OnNotify(reinterpret_cast<const NMHDR*>(lParam));
    case WM_CLOSE: Close(IDCANCEL); return TRUE;
    case WM_PAINT: return OnPaintMinimised() ? TRUE : FALSE;
    case WM_QUERYDRAGICON: return reinterpret_cast<INT_PTR>(icon_);
    default: return FALSE;
  }
}

BOOL CVarnexDlg::OnInitDialog() {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(Hwnd(), GWLP_HINSTANCE));
  icon_ = ::LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
  ::SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  ::SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

  EnableDebugPrivilege();
  state_->Findings.ReserveAtLeast(5000);
  CreateViews();
  ::ShowWindow(views_[0], SW_SHOW);
  ::SendDlgItemMessageW(Hwnd(), IDC_TAB, TCM_SETCURSEL, 0, 0);

  window_ = std::make_shared<DialogScanWindow>(Hwnd(), state_, options_.post);
  ChooseModeAndLoadRules();
  return TRUE;
}

void CVarnexDlg::EnableDebugPrivilege() {
  winaccess::unique_handle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) return;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!::LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid)) return;
  ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof privileges, nullptr, nullptr);
}

void CVarnexDlg::CreateViews() {
  HWND tab = ::GetDlgItem(Hwnd(), IDC_TAB);
  for (int i = 0; i < kViewCount; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(kTabCaptions[i]);
    ::SendMessageW(tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));

    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    const int left = w * 12 / 989;
    const int top = w * 33 / 989;
    const int right = w - h * 16 / 439;
    const int bottom = h - h * 103 / 439;
    views_[i] = CreateResultView(Hwnd(), IDC_VIEW_FIRST + i);
    ::SetWindowPos(views_[i], HWND_TOP, left, top, right - left, bottom - top, 0);
  }
}

void CVarnexDlg::ShowError(const std::wstring& text) {
  warnings_.push_back(text);
  if (options_.showError) {
    options_.showError(text);
  } else {
    ::MessageBoxW(Hwnd(), text.c_str(), L"错误！", MB_OK | MB_ICONERROR);
  }
}

void CVarnexDlg::ChooseModeAndLoadRules() {
  const std::wstring lower = text::LowerAZ(options_.commandLine);
  const StartMode mode = ChooseStartMode(lower);
  if (mode == StartMode::TargetFolder) {
    StartTargetFolderMode(lower);
    return;
  }
  RuleLoadContext context{options_.programFolder.empty() ? winaccess::ProgramFolder() : options_.programFolder,
                          [this](const std::wstring& text) { ShowError(text); }};
  if (mode == StartMode::ServiceDelete) {
    state_->ServiceDeleteMode = true;
    modeName_ = report::kModeServiceDelete;
    ::SetWindowTextW(Hwnd(), kServiceDeleteTitle);
  } else if (mode == StartMode::FileScan) {
    state_->FileScanMode = true;
    modeName_ = report::kModeFileScan;
    LoadScanPaths(context, *rules_);
    LoadExcludePaths(context, *rules_);
    ::SetWindowTextW(Hwnd(), kFileScanTitle);
  }
  LoadSignList(context, *rules_);
  LoadFolderList(context, *rules_);
  LoadAppDataInfo(context, *rules_);
  LoadWhitePaths(context, *rules_);
  StartScan();
}

void CVarnexDlg::StartTargetFolderMode(const std::wstring& lowerCommandLine) {
  state_->TargetFolderMode = true;
  const TargetFolderChoice choice = ApplyTargetFolder(lowerCommandLine, *rules_);
  modeName_ = report::kModeTarget;
  targetFolder_ = choice.target;
  ::SetWindowTextW(Hwnd(), TargetModeTitle(choice.target, choice.vendor).c_str());
  StartScan();
}

void CVarnexDlg::StartScan() {
  if (!steps_) {
    const ScanContext context{state_, rules_, window_};
    steps_ = options_.makeSteps ? options_.makeSteps(context) : MakeProgramScanSteps(context);
  }
  window_->Facts().Clear();
  scanStarted_ = report::NowIsoTime();
  StartScanThread(state_, window_, steps_);
}

LRESULT CVarnexDlg::OnFinding(LPARAM index) {
  // Rows appear strictly in posting order; a message from before a Rescan is dropped.
  if (index != RowCount(views_[0])) return 0;
  const auto finding = state_->Findings.At(static_cast<std::size_t>(index));
  if (!finding) return 0;
  InsertFindingRow(views_[0], static_cast<int>(index), *finding, std::to_wstring(index));
  return 0;
}

INT_PTR CVarnexDlg::OnCommand(WORD id, WORD code) {
  if (code != BN_CLICKED) return FALSE;
  switch (id) {
    case IDC_ACTION: OnActionButton(); return TRUE;
    case IDC_RESCAN: OnRescan(); return TRUE;
    case IDC_RESTORE: OnRestore(); return TRUE;
    case IDC_SELECT_ALL: OnSelectAll(); return TRUE;
    case IDC_INVERT: OnInvert(); return TRUE;
    case IDCANCEL: Close(IDCANCEL); return TRUE;
    default: return FALSE;
  }
}

INT_PTR CVarnexDlg::OnNotify(const NMHDR* header) {
  if (header->idFrom == IDC_TAB && header->code == TCN_SELCHANGE) OnTabSelChange();
  // Views have ids 1100 to 1108; the range is kept to 1110 as the commands always had it.
  if (header->idFrom >= IDC_VIEW_FIRST && header->idFrom <= IDC_VIEW_FIRST + 10) {
    HWND view = header->hwndFrom;
    if (header->code == NM_CLICK) OnViewClick(view);
    if (header->code == NM_RCLICK) OnViewRightClick(view);
    if (header->code == LVN_KEYDOWN) OnViewKeyDown(view, reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey);
  }
  ::SetWindowLongPtrW(Hwnd(), DWLP_MSGRESULT, 0);
  return FALSE;
}

void CVarnexDlg::OnTabSelChange() {
  const int selected = static_cast<int>(::SendDlgItemMessageW(Hwnd(), IDC_TAB, TCM_GETCURSEL, 0, 0));
  for (int k = 0; k < kViewCount; ++k) ::ShowWindow(views_[k], k == selected ? SW_SHOW : SW_HIDE);
  // While a removal runs the rebuild waits for the first switch after it.
  if (state_->CategoryViewsStale && !state_->RemovalRunning) DistributeFindings();
}

void CVarnexDlg::DistributeFindings() {
  for (int k = 1; k < kViewCount; ++k) ::SendMessageW(views_[k], LVM_DELETEALLITEMS, 0, 0);
  for (int i = 0; i < RowCount(views_[0]); ++i) {
    unsigned long index = 0;
    const bool haveIndex = text::ParseUnsigned(CellText(views_[0], i, kColId), index);
    const std::wstring type = CellText(views_[0], i, kColType);
    const bool checked = IsRowChecked(views_[0], i);
    const auto finding = haveIndex ? state_->Findings.At(index) : std::nullopt;
    if (!finding) continue;  // an ID that names no Finding cannot be shown
    HWND target = views_[CategoryViewForType(type)];
    const int row = InsertFindingRow(target, RowCount(target), *finding, std::to_wstring(i));
    if (row >= 0) SetRowChecked(target, row, checked);
  }
  state_->CategoryViewsStale = false;
}

void CVarnexDlg::OnActionButton() {
  wchar_t text[64] = {};
  ::GetDlgItemTextW(Hwnd(), IDC_ACTION, text, 64);
  if (text::FromBuffer(text, 64) == kActionStopText) {
    state_->StopRequested = true;
    return;
  }
  ::EnableWindow(::GetDlgItem(Hwnd(), IDC_ACTION), FALSE);
  ::EnableWindow(::GetDlgItem(Hwnd(), IDC_RESCAN), FALSE);
  // No restore while the run writes its backups; the worker enables it again with the others.
  ::EnableWindow(::GetDlgItem(Hwnd(), IDC_RESTORE), FALSE);
  const int tab = static_cast<int>(::SendDlgItemMessageW(Hwnd(), IDC_TAB, TCM_GETCURSEL, 0, 0));
  remediation::RemovalOptions removal;
  removal.ask = options_.askUser;
  removal.backupStore = options_.backupStore;
  remediation::StartRemovalThread(std::make_shared<DialogRemovalWindow>(Hwnd(), tab), state_, std::move(removal));
}

void CVarnexDlg::OnRestore() {
  RestoreDlgOptions restore;
  restore.backupStore = options_.backupStore;
  restore.ask = options_.askUser;
  CRestoreDlg dialog(std::move(restore));
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(Hwnd(), GWLP_HINSTANCE));
  if (options_.openRestore) {
    options_.openRestore(dialog, instance, Hwnd());
  } else {
    dialog.DoModal(instance, IDD_RESTORE_DIALOG, Hwnd());
  }
}

void CVarnexDlg::OnRescan() {
  ::SetDlgItemTextW(Hwnd(), IDC_ACTION, kActionStopText);
  ::EnableWindow(::GetDlgItem(Hwnd(), IDC_RESCAN), FALSE);
  state_->CategoryViewsStale = false;
  state_->FenghuaFound = false;
  state_->PostedCount = 0;
  for (HWND view : views_) ::SendMessageW(view, LVM_DELETEALLITEMS, 0, 0);
  state_->Findings.Clear();
  ::SetProcessWorkingSetSize(::GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
  StartScan();
}

}  // namespace varnex::ui
