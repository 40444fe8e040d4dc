// The finder page: identifies the program behind a window picked with the finder tool, typed as a
// handle, chosen or dropped as a file, or handed over by the tray page.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "common/ui/dialog_base.h"
#include "finder_tool.h"

namespace spotlark {

// What the page hands to the shell; replaced in tests.
struct FinderShell {
  // Open-file dialog starting in the folder; "" when cancelled.
  std::function<std::wstring(const std::wstring& initialFolder)> chooseFile;
  // Explorer's properties sheet of an existing file or folder.
  std::function<void(const std::wstring& path)> showProperties;
  // Explorer opened on the file's folder with the file selected.
  std::function<void(const std::wstring& path)> openLocation;
};
FinderShell DefaultFinderShell();

class CDialogWin : public CDialogBase {
 public:
  explicit CDialogWin(FinderShell shell = DefaultFinderShell());

  HWND Target() const { return target_; }
  const FinderTool& Tool() const { return tool_; }

  // Fills (flag set) or clears (flag clear) the detail boxes.
  void FillDetails(bool fill);
  void FindByHandle();

 protected:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  BOOL OnInitDialog();
  INT_PTR OnCommand(WORD id);
  void OnDropFiles(HDROP drop);
  void OnBrowse();
  void OnProperties();
  void OnEndProcess();
  void OnOpenLocation();
  void ShowPathDetails(const std::wstring& path);

  std::wstring Text(int id) const;
  void SetText(int id, const std::wstring& text);

  FinderShell shell_;
  FinderTool tool_;
  HWND target_ = nullptr;
};

}  // namespace spotlark
