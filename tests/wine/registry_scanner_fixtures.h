// Fixtures for the registry scanner tests: keys created under real locations and removed again
// down to the first key that was missing, values set and removed (or restored), and a window and
// consumer that record what a scanner hands on.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "varnex/core/finding.h"
#include "varnex/core/scan_window.h"

namespace registry_test {

// Creates `path` under `root` in the given view. At the end deletes the tree of the first key of
// the path that did not exist before, so the registry is left as it was found.
class CreatedKey {
 public:
  CreatedKey(HKEY root, const std::wstring& path, REGSAM view = KEY_WOW64_64KEY);
  ~CreatedKey();
  CreatedKey(const CreatedKey&) = delete;
  CreatedKey& operator=(const CreatedKey&) = delete;
  HKEY Get() const { return key_; }
  void SetString(const std::wstring& name, const std::wstring& value, DWORD type = REG_SZ);
  void SetBytes(const std::wstring& name, DWORD type, const std::vector<BYTE>& data);

 private:
  HKEY root_;
  REGSAM view_;
  std::wstring firstCreated_;
  HKEY key_ = nullptr;
};

// Sets one value on a key (creating the key if needed, removed again like CreatedKey) and at the
// end restores what the value was before, or deletes it.
class ScopedValue {
 public:
  ScopedValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const std::vector<BYTE>& data,
              REGSAM view = KEY_WOW64_64KEY);
  ~ScopedValue();
  ScopedValue(const ScopedValue&) = delete;
  ScopedValue& operator=(const ScopedValue&) = delete;

 private:
  CreatedKey key_;
  std::wstring name_;
  std::optional<std::pair<DWORD, std::vector<BYTE>>> previous_;
};

std::vector<BYTE> Utf16Bytes(const std::wstring& text);  // with its terminator
std::vector<BYTE> DwordBytes(DWORD value);

struct RecordingWindow : varnex::IScanWindow {
  std::vector<std::wstring> statusTexts;
  void PostFinding(const varnex::Finding&) override {}
  void SetStatusText(const std::wstring& text) override { statusTexts.push_back(text); }
  void SetTitle(const std::wstring&) override {}
  void SetActionButtonText(const std::wstring&) override {}
  void EnableRescanButton(bool) override {}
};

// Identity that marks the file it was given, so a test sees which file was described and that
// the scanner completed the Finding before handing it on.
void MarkIdentity(varnex::Finding& finding);
inline const std::wstring kMarkedDescription = L"desc:";

// The recorded Findings whose `Name` starts with `prefix` (the prefix's own entries are left out).
std::vector<varnex::Finding> Named(const std::vector<varnex::Finding>& findings, const std::wstring& prefix);

}  // namespace registry_test
