// What the scan driver, the scanners and the Classifier need from the main window. The dialog
// implements it; tests record it.
#pragma once

#include <string>

#include "finding.h"

namespace varnex {

class IScanWindow {
 public:
  virtual ~IScanWindow() = default;
  // Appends the Finding to the FindingList and tells the window its index; never loses one.
  virtual void PostFinding(const Finding& finding) = 0;
  virtual void SetStatusText(const std::wstring& text) = 0;
  virtual void SetTitle(const std::wstring& text) = 0;
  virtual void SetActionButtonText(const std::wstring& text) = 0;
  virtual void EnableRescanButton(bool enable) = 0;
};

}  // namespace varnex
