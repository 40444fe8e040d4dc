// Helpers shared by the Windows tests: fixtures that create registry keys, files and folders and
// remove them again, and a message pump that waits for a condition.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// Pumps this thread's messages until `done` answers true or `timeoutMs` passes.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
void PumpFor(DWORD ms);

// Folder of the running test program.
std::wstring TestProgramFolder();

// Full path of a fixture PE file made by vx_fixture_pe (tests/fixtures/CMakeLists.txt):
// <test program folder>\fixtures\<name>.
std::wstring FixturePath(const std::wstring& name);

// A fresh folder directly under C:\, deleted with everything in it at the end.
class TempFolder {
 public:
  explicit TempFolder(const std::wstring& name = L"vxtest");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::wstring& Path() const { return path_; }
  std::wstring File(const std::wstring& relative) const { return path_ + L"\\" + relative; }

 private:
  std::wstring path_;
};

bool WriteBytes(const std::wstring& path, const std::vector<unsigned char>& bytes);
// UTF-16LE with the mark FF FE.
bool WriteUtf16File(const std::wstring& path, const std::wstring& text);
void DeleteTree(const std::wstring& path);

// A registry key created for the test and deleted with its subkeys at the end.
class TestRegistryKey {
 public:
  TestRegistryKey(HKEY root, const std::wstring& subkey, REGSAM view = 0);
  ~TestRegistryKey();
  TestRegistryKey(const TestRegistryKey&) = delete;
  TestRegistryKey& operator=(const TestRegistryKey&) = delete;
  HKEY Get() const { return key_; }
  void SetString(const std::wstring& name, const std::wstring& value, DWORD type = REG_SZ);
  void SetDword(const std::wstring& name, DWORD value);
  void SetBinary(const std::wstring& name, const std::vector<unsigned char>& data, DWORD type = REG_BINARY);

 private:
  HKEY root_;
  std::wstring subkey_;
  REGSAM view_;
  HKEY key_ = nullptr;
};

// Sets a value on an existing key for the test's duration and deletes it afterwards.
class TestRegistryValue {
 public:
  TestRegistryValue(HKEY root, const std::wstring& subkey, const std::wstring& name, const std::wstring& value);
  ~TestRegistryValue();
  TestRegistryValue(const TestRegistryValue&) = delete;
  TestRegistryValue& operator=(const TestRegistryValue&) = delete;

 private:
  HKEY root_;
  std::wstring subkey_;
  std::wstring name_;
};

}  // namespace testing_support
