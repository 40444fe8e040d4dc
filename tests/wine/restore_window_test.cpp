// The restore window driven as a user would: the items of a real removal run listed newest
// first, an unreadable line marked, the ticked ones restored with "恢复选中"; and the main
// dialog's "恢复" button beside "重新扫描", which opens it.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "test_support.h"
#include "varnex/backup/backup_records.h"
#include "varnex/backup/backup_run.h"
#include "varnex/backup/registry_tree.h"
#include "varnex/remediation/removal_thread.h"
#include "varnex_dialog_fixture.h"
#include "varnex/ui/restore_dlg.h"

using namespace vxtest;
using namespace varnex::remediation;
using namespace varnex::backup;

namespace {

class RowsWindow : public IRemovalWindow {
 public:
  explicit RowsWindow(std::vector<Finding> rows) : rows_(std::move(rows)) {}
  int RowCount() override { return static_cast<int>(rows_.size()); }
  bool IsRowChecked(int) override { return true; }
  Finding ReadRow(int row) override { return rows_[row]; }
  void RemoveRow(int row, const Finding&) override { rows_.erase(rows_.begin() + row); }
  void SetStatusText(const std::wstring&) override {}
  void EnableButtons() override {}
  HWND Owner() override { return nullptr; }

 private:
  std::vector<Finding> rows_;
};

std::vector<unsigned char> ReadBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const wchar_t* const kKey = L"Software\\VxRestoreWindowTest";

}  // namespace

TEST(RestoreWindow, ListsTheItemsAndRestoresTheTickedOnes) {
  TempFolder program{L"vxrestwin"};
  TempFolder files{L"vxrestwinfiles"};
  TestRegistryKey run(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Run");
  run.SetString(L"vxrun", L"c:\\x\\a.exe");
  ASSERT_TRUE(WriteBytes(files.File(L"gone.txt"), {'g', 'o', 'n', 'e'}));
  Finding value;
  value.Type = L"Run";
  value.Name = L"vxrun";
  value.StartPath = std::wstring(L"HKEY_CURRENT_USER\\") + kKey + L"\\Run";
  Finding file;
  file.Type = L"文件";
  file.Name = L"gone.txt";
  file.FilePath = files.File(L"gone.txt");
  RowsWindow rows({value, file});
  ScanState state;
  RemovalOptions options;
  options.ask = [](HWND, const std::wstring&, const std::wstring&, UINT) { return IDNO; };
  options.backupStore = StoreFolderBelow(program.Path());
  RunRemoval(rows, state, options);
  ASSERT_FALSE(ValueExists(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Run", L"vxrun", 0));
  ASSERT_EQ(::GetFileAttributesW(files.File(L"gone.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  // A line added by hand cannot be read; it is listed all the same.
  WIN32_FIND_DATAW found{};
  HANDLE find = ::FindFirstFileW((program.Path() + L"\\备份\\2*").c_str(), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  ::FindClose(find);
  const std::wstring manifest = program.Path() + L"\\备份\\" + found.cFileName + L"\\清单.txt";
  auto bytes = ReadBytes(manifest);
  for (wchar_t c : std::wstring(L"item\tid=7\tkind=value\tsum=00000000\r\n")) {
    bytes.push_back(static_cast<unsigned char>(c & 0xFF));
    bytes.push_back(static_cast<unsigned char>(c >> 8));
  }
  ::DeleteFileW(manifest.c_str());
  ASSERT_TRUE(WriteBytes(manifest, bytes));

  std::vector<std::wstring> asked;
  RestoreDlgOptions restoreOptions;
  restoreOptions.backupStore = StoreFolderBelow(program.Path());
  restoreOptions.ask = [&](HWND, const std::wstring& text, const std::wstring&, UINT) {
    asked.push_back(text);
    return IDNO;
  };
  CRestoreDlg dialog(restoreOptions);
  ASSERT_NE(dialog.Create(::GetModuleHandleW(nullptr), IDD_RESTORE_DIALOG), nullptr);
  HWND list = dialog.List();
  ASSERT_EQ(RowCount(list), 3);
  EXPECT_EQ(WindowText(dialog.Hwnd()), L"恢复");
  EXPECT_EQ(WindowText(::GetDlgItem(dialog.Hwnd(), IDC_RESTORE_SELECTED)), L"恢复选中");
  // Newest first: the hand-made line, then the value (the worker goes bottom to top), then the file.
  EXPECT_EQ(CellText(list, 0, 5).rfind(L"无法读取：", 0), 0u) << CellText(list, 0, 5);
  EXPECT_EQ(CellText(list, 1, 1), L"Run");
  EXPECT_EQ(CellText(list, 1, 2), L"vxrun");
  EXPECT_EQ(CellText(list, 1, 3), std::wstring(L"HKEY_CURRENT_USER\\") + kKey + L"\\Run");
  EXPECT_EQ(CellText(list, 1, 4), L"删除值");
  EXPECT_EQ(CellText(list, 1, 5), L"可恢复");
  EXPECT_EQ(CellText(list, 2, 1), L"文件");
  EXPECT_EQ(CellText(list, 2, 2), L"gone.txt");
  EXPECT_EQ(CellText(list, 2, 3), files.File(L"gone.txt"));
  for (int i = 0; i < 3; ++i) SetRowChecked(list, i, true);
  ::SendMessageW(::GetDlgItem(dialog.Hwnd(), IDC_RESTORE_SELECTED), BM_CLICK, 0, 0);

  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Run", L"vxrun", 0));
  EXPECT_EQ(ReadBytes(files.File(L"gone.txt")), (std::vector<unsigned char>{'g', 'o', 'n', 'e'}));
  EXPECT_TRUE(asked.empty());
  ASSERT_EQ(RowCount(list), 3);
  EXPECT_EQ(CellText(list, 1, 5).rfind(L"已恢复（", 0), 0u) << CellText(list, 1, 5);
  EXPECT_EQ(CellText(list, 2, 5).rfind(L"已恢复（", 0), 0u);
  EXPECT_EQ(WindowText(::GetDlgItem(dialog.Hwnd(), IDC_RESTORE_STATUS)).rfind(L"已恢复 2 项，未恢复 1 项。", 0), 0u);
  ::DestroyWindow(dialog.Hwnd());
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
  // The removal and the restores wrote the day's logs beside the test program.
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  wchar_t date[16] = {};
  ::swprintf(date, 16, L"%04d%02d%02d", now.wYear, now.wMonth, now.wDay);
  for (const wchar_t* suffix : {L"_Varnex.log", L"_DelFile.log"}) {
    ::DeleteFileW((TestProgramFolder() + L"\\" + date + suffix).c_str());
  }
}

TEST_F(DialogTest, TheRestoreButtonSitsBesideRescanAndOpensTheRestoreWindow) {
  int opened = 0;
  VarnexDlgOptions options;
  options.openRestore = [&](CRestoreDlg& restore, HINSTANCE instance, HWND owner) {
    ++opened;
    EXPECT_EQ(owner, dialog_->Hwnd());
    EXPECT_NE(restore.Create(instance, IDD_RESTORE_DIALOG, owner), nullptr);
    EXPECT_EQ(RowCount(restore.List()), 0);  // no backups yet
    ::DestroyWindow(restore.Hwnd());
  };
  Open(std::move(options));
  ASSERT_TRUE(WaitForScanEnd());
  HWND button = Item(IDC_RESTORE);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(WindowText(button), L"恢复");
  RECT restoreRect{}, rescanRect{}, actionRect{};
  ::GetWindowRect(button, &restoreRect);
  ::GetWindowRect(Item(IDC_RESCAN), &rescanRect);
  ::GetWindowRect(Item(IDC_ACTION), &actionRect);
  EXPECT_EQ(restoreRect.top, rescanRect.top);
  EXPECT_LT(restoreRect.right, rescanRect.left);
  EXPECT_LT(rescanRect.right, actionRect.left);
  Click(IDC_RESTORE);
  EXPECT_EQ(opened, 1);
}
