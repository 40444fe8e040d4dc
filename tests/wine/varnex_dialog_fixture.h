// The main dialog created in this process with stand-in scan steps, driven as a user's clicks
// would drive it. Shared by the dialog's test files.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/winaccess/winaccess.h"
#include "test_support.h"
#include "varnex/backup/backup_run.h"
#include "varnex/core/scan_texts.h"
#include "varnex/ui/list_view.h"
#include "varnex/ui/resource.h"
#include "varnex/ui/varnex_dlg.h"

namespace vxtest {

using namespace varnex;
using namespace varnex::ui;
using namespace testing_support;

inline std::wstring WindowText(HWND hwnd) {
  wchar_t buffer[1024] = {};
  ::GetWindowTextW(hwnd, buffer, 1024);
  return buffer;
}

class DialogTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (dialog_ && dialog_->Hwnd() != nullptr) ::DestroyWindow(dialog_->Hwnd());
    PumpFor(20);
  }

  // Opens the dialog with an empty data folder unless one is given; messages are recorded.
  CVarnexDlg& Open(VarnexDlgOptions options) {
    if (options.programFolder.empty()) options.programFolder = program_.Path();
    if (options.backupStore.empty()) options.backupStore = varnex::backup::StoreFolderBelow(program_.Path());
    if (!options.showError) options.showError = [this](const std::wstring& t) { messages_.push_back(t); };
    if (!options.makeSteps) {
      options.makeSteps = [this](const ScanContext& context) {
        context_ = context;
        return std::make_shared<const ScanSteps>(steps_);
      };
    }
    dialog_ = std::make_unique<CVarnexDlg>(std::move(options));
    EXPECT_NE(dialog_->Create(::GetModuleHandleW(nullptr), IDD_VARNEX_DIALOG), nullptr) << ::GetLastError();
    return *dialog_;
  }

  HWND Item(int id) const { return ::GetDlgItem(dialog_->Hwnd(), id); }
  std::wstring Status() const { return WindowText(Item(IDC_STATUS)); }
  bool ScanEnded() const { return WindowText(Item(IDC_ACTION)) == kActionHandleText; }
  bool WaitForScanEnd() { return PumpUntil([this] { return ScanEnded(); }); }

  void SelectTab(int index) {
    ::SendMessageW(Item(IDC_TAB), TCM_SETCURSEL, index, 0);
    NMHDR header{Item(IDC_TAB), IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
    ::SendMessageW(dialog_->Hwnd(), WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&header));
  }
  void Click(int id) { ::SendMessageW(Item(id), BM_CLICK, 0, 0); }

  TempFolder program_{L"vxdlg"};
  std::vector<std::wstring> messages_;
  ScanSteps steps_;
  ScanContext context_;
  std::unique_ptr<CVarnexDlg> dialog_;
};

inline Finding MakeFinding(const std::wstring& name, const std::wstring& type) {
  Finding f;
  f.Name = name;
  f.FilePath = L"C:\\x\\" + name + L".exe";
  f.Company = L"Co " + name;
  f.FileDescription = L"Desc";
  f.ProductName = L"Prod";
  f.Type = type;
  f.BinPath = L"bin " + name;
  f.StartPath = L"start " + name;
  f.Descrip = L"descrip " + name;
  f.MatchMethod = L"rule " + name;
  return f;
}


}  // namespace vxtest
