// The taskbar and tray page: one list of the windows with a taskbar button and the notification
// area's icons, from which a program can be ended, its icon hidden or shown, or its window handed
// to the finder page.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>

#include "common/ui/dialog_base.h"
#include "common/winaccess/unique_resource.h"
#include "tray_source.h"

namespace spotlark {

// Where the page reads the tray and how it changes icons; replaced in tests.
struct TrayServices {
  std::function<std::unique_ptr<ITraySource>(TrayKind)> openTray = OpenExplorerTray;
  std::function<BOOL(DWORD, NOTIFYICONDATAW*)> notifyIcon = [](DWORD message, NOTIFYICONDATAW* data) {
    return ::Shell_NotifyIconW(message, data);
  };
};

enum class TrayAction { List, End, Hide, Show };

// One list row, in column order.
struct TrayRow {
  std::wstring tip;  // at most 259 characters
  std::wstring handle;
  std::wstring pid;
  std::wstring path;
  std::wstring kind;
};

struct image_list_traits {
  using pointer = HIMAGELIST;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer list) noexcept { ::ImageList_Destroy(list); }
};
using unique_image_list = winaccess::unique_resource<image_list_traits>;

class CDialogTray : public CDialogBase {
 public:
  explicit CDialogTray(TrayServices services = {});

  void WalkTrayItems(TrayKind kind, TrayAction action);
  void Refresh();

  // The selection kept from the last row click.
  const std::wstring& SelectedHandle() const { return selectedHandle_; }
  const std::wstring& SelectedPid() const { return selectedPid_; }
  const std::wstring& SelectedKind() const { return selectedKind_; }

 protected:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  BOOL OnInitDialog();
  INT_PTR OnCommand(WORD id);
  void OnRowClick();
  void OnAction(TrayAction action);
  void OnMoreInfo();
  void AttachNewImageList();
  void ListAllKinds();
  void AddTrayRow(const TrayRow& row, HICON icon);
  void ListTaskbar();
  void WalkExplorerTray(TrayKind kind, TrayAction action);
  void DeleteSelectedRow();

  TrayServices services_;
  HWND list_ = nullptr;
  unique_image_list images_;
  std::wstring selectedHandle_;
  std::wstring selectedPid_;
  std::wstring selectedKind_;
  int selectedRow_ = -1;
};

}  // namespace spotlark
