// The notification-area toolbars of Explorer, read item by item across the process boundary.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "tray_layout.h"

namespace spotlark {

enum class TrayKind { NotificationArea, Tray, Taskbar };

// "通知区域", "托盘", "任务栏".
const wchar_t* TrayKindText(TrayKind kind);

class ITraySource {
 public:
  virtual ~ITraySource() = default;
  virtual int Count() = 0;
  // Nothing for a button that cannot be read.
  virtual std::optional<TrayItem> Item(int index) = 0;
};

// The toolbar of a tray kind: the overflow panel's for NotificationArea, the taskbar's for Tray.
HWND FindTrayToolbar(TrayKind kind);

// Explorer's toolbar opened for reading; nullptr when the toolbar does not exist or Explorer
// cannot be opened or given a buffer.
std::unique_ptr<ITraySource> OpenExplorerTray(TrayKind kind);

}  // namespace spotlark
