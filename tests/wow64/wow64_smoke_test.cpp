// What a 32-bit varnex sees on 64-bit Windows: it runs under WOW64, reaches the 64-bit registry
// view only through KEY_WOW64_64KEY, sees the native system folder once redirection is off, and
// reads command lines from the 32-bit process structures.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "common/winaccess/registry.h"
#include "common/winaccess/winaccess.h"

namespace {

WORD MachineOf(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  BYTE header[4096] = {};
  DWORD read = 0;
  ::ReadFile(file, header, sizeof header, &read, nullptr);
  ::CloseHandle(file);
  const LONG peOffset = *reinterpret_cast<const LONG*>(header + 0x3C);
  if (peOffset <= 0 || peOffset + 6 > static_cast<LONG>(read)) return 0;
  return *reinterpret_cast<const WORD*>(header + peOffset + 4);
}

}  // namespace

TEST(Wow64, RunsUnderWow64) {
  BOOL wow64 = FALSE;
  ASSERT_TRUE(::IsWow64Process(::GetCurrentProcess(), &wow64));
  EXPECT_TRUE(wow64);
}

TEST(Wow64, RegistryViews) {
  const wchar_t* subkey = L"Software\\VarnexWow64Smoke";
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr,
                              &key, nullptr),
            ERROR_SUCCESS);
  const wchar_t data[] = L"native";
  ::RegSetValueExW(key, L"v", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data);
  ::RegCloseKey(key);

  std::wstring text;
  auto native = winaccess::OpenKey(HKEY_LOCAL_MACHINE, subkey);  // KEY_READ | KEY_WOW64_64KEY
  ASSERT_TRUE(native);
  EXPECT_TRUE(winaccess::ReadRegistryText(native.get(), L"v", text));
  EXPECT_EQ(text, L"native");
  // Without the flag a 32-bit process lands in the Wow6432Node view, where the key is absent.
  EXPECT_FALSE(winaccess::OpenKey(HKEY_LOCAL_MACHINE, subkey, KEY_READ));
  ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, subkey, KEY_WOW64_64KEY, 0);
}

TEST(Wow64, RedirectionOffShowsTheNativeSystemFolder) {
  WORD before = 0, after = 0;
  // A fresh thread starts with redirection on; turning it off is per thread and stays off.
  std::thread([&] {
    before = MachineOf(L"C:\\Windows\\System32\\kernel32.dll");
    winaccess::DisableWow64Redirection();
    after = MachineOf(L"C:\\Windows\\System32\\kernel32.dll");
  }).join();
  EXPECT_EQ(before, IMAGE_FILE_MACHINE_I386);
  EXPECT_EQ(after, IMAGE_FILE_MACHINE_AMD64);
  EXPECT_EQ(MachineOf(L"C:\\Windows\\System32\\kernel32.dll"), IMAGE_FILE_MACHINE_I386) << "other threads unchanged";
}

TEST(Wow64, ImagePathOfA32BitProcess) {
  // Drive-letter form of this program's own path. (Its command line is not checked here: Wine
  // run through the i386 emulator lays out the 32-bit process block differently from Windows.)
  const std::wstring image = winaccess::GetProcessImagePath(::GetCurrentProcess());
  ASSERT_GE(image.size(), 3u);
  EXPECT_EQ(image.substr(1, 2), L":\\");
  EXPECT_EQ(image.substr(image.size() - 21), L"wow64_smoke_tests.exe");
}
