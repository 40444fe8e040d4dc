#include <windows.h>

#include "test_support.h"

#include <commctrl.h>
#include <shlwapi.h>

#include "common/winaccess/winaccess.h"

namespace testing_support {
namespace {

// Dialogs with tab and list controls need the common-control classes registered, as the
// programs do at start-up.
const bool kCommonControlsRegistered = [] {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), 0xFF};
  return ::InitCommonControlsEx(&controls) != FALSE;
}();

}  // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG end = ::GetTickCount64() + timeoutMs;
  while (!done()) {
    if (::GetTickCount64() > end) return false;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

void PumpFor(DWORD ms) {
  const ULONGLONG end = ::GetTickCount64() + ms;
  PumpUntil([end] { return ::GetTickCount64() > end; }, ms + 1000);
}

std::wstring TestProgramFolder() { return winaccess::ProgramFolder(); }

std::wstring FixturePath(const std::wstring& name) { return TestProgramFolder() + L"\\fixtures\\" + name; }

TempFolder::TempFolder(const std::wstring& name) {
  // Directly under C:\ rather than in the temporary folder: a program folder under "\temp\"
  // makes varnex warn, which most tests do not want.
  path_ = L"C:\\" + name + L"_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
          std::to_wstring(::GetTickCount64());
  ::CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { DeleteTree(path_); }

void DeleteTree(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") DeleteTree(path + L"\\" + name);
      } while (::FindNextFileW(find, &data));
      ::FindClose(find);
    }
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(path.c_str());
  } else {
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(path.c_str());
  }
}

bool WriteBytes(const std::wstring& path, const std::vector<unsigned char>& bytes) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = bytes.empty() || ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == bytes.size();
}

bool WriteUtf16File(const std::wstring& path, const std::wstring& text) {
  std::vector<unsigned char> bytes = {0xFF, 0xFE};
  for (wchar_t c : text) {
    bytes.push_back(static_cast<unsigned char>(c & 0xFF));
    bytes.push_back(static_cast<unsigned char>((c >> 8) & 0xFF));
  }
  return WriteBytes(path, bytes);
}

TestRegistryKey::TestRegistryKey(HKEY root, const std::wstring& subkey, REGSAM view)
    : root_(root), subkey_(subkey), view_(view) {
  ::RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key_, nullptr);
}

TestRegistryKey::~TestRegistryKey() {
  if (key_ != nullptr) ::RegCloseKey(key_);
  HKEY base = nullptr;
  if (::RegOpenKeyExW(root_, nullptr, 0, KEY_ALL_ACCESS | view_, &base) == ERROR_SUCCESS) {
    ::RegDeleteTreeW(base, subkey_.c_str());
    ::RegDeleteKeyExW(base, subkey_.c_str(), view_, 0);
    ::RegCloseKey(base);
  }
}

void TestRegistryKey::SetString(const std::wstring& name, const std::wstring& value, DWORD type) {
  ::RegSetValueExW(key_, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void TestRegistryKey::SetDword(const std::wstring& name, DWORD value) {
  ::RegSetValueExW(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void TestRegistryKey::SetBinary(const std::wstring& name, const std::vector<unsigned char>& data, DWORD type) {
  ::RegSetValueExW(key_, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
}

TestRegistryValue::TestRegistryValue(HKEY root, const std::wstring& subkey, const std::wstring& name,
                                     const std::wstring& value)
    : root_(root), subkey_(subkey), name_(name) {
  ::RegSetKeyValueW(root, subkey.c_str(), name.c_str(), REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

TestRegistryValue::~TestRegistryValue() { ::RegDeleteKeyValueW(root_, subkey_.c_str(), name_.c_str()); }

}  // namespace testing_support
