#include <windows.h>

#include <psapi.h>
#include <winternl.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "../text/text_rules.h"
#include "winaccess.h"

namespace winaccess {

std::wstring GetProcessImagePath(HANDLE process) {
  wchar_t image[260] = {};
  if (::GetProcessImageFileNameW(process, image, 260) == 0) return {};
  const std::wstring deviceName = text::FromBuffer(image, 260);

  const DWORD needed = ::GetLogicalDriveStringsW(0, nullptr);
  if (needed == 0) return {};
  std::vector<wchar_t> drives(needed + 1, L'\0');
  const DWORD got = ::GetLogicalDriveStringsW(needed, drives.data());
  if (got == 0 || got > needed) return {};

  for (const wchar_t* drive = drives.data(); *drive != L'\0'; drive += std::wcslen(drive) + 1) {
    const wchar_t dosName[3] = {drive[0], L':', L'\0'};
    wchar_t target[260] = {};
    if (::QueryDosDeviceW(dosName, target, 260) == 0) continue;
    const std::wstring prefix = text::FromBuffer(target, 260) + L"\\";
    if (deviceName.find(prefix) != std::wstring::npos) {
      return std::wstring(drive) + deviceName.substr(prefix.size() <= deviceName.size() ? prefix.size()
                                                                                         : deviceName.size());
    }
  }
  // No drive maps to the device (network or unmapped volume): keep the device form, which still
  // names the file for the user.
  return deviceName;
}

namespace {

using NtQueryInformationProcessFn = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using NtWow64QueryInformationProcess64Fn = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using NtWow64ReadVirtualMemory64Fn = LONG(NTAPI*)(HANDLE, ULONGLONG, PVOID, ULONGLONG, PULONGLONG);
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);

template <typename Fn>
Fn Lookup(const wchar_t* module, const char* name) {
  HMODULE m = ::GetModuleHandleW(module);
  return m == nullptr ? nullptr : reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(m, name)));
}

bool ReadExact(HANDLE process, ULONG_PTR address, void* into, SIZE_T bytes) {
  SIZE_T read = 0;
  return ::ReadProcessMemory(process, reinterpret_cast<LPCVOID>(address), into, bytes, &read) && read == bytes;
}

// A 64-bit process seen from a 32-bit one on 64-bit Windows: its structures are read through the
// WOW64 64-bit entry points. The command line is cut at 260 characters.
std::wstring CommandLineOf64BitProcess(HANDLE process) {
  auto query = Lookup<NtWow64QueryInformationProcess64Fn>(L"ntdll", "NtWow64QueryInformationProcess64");
  auto read = Lookup<NtWow64ReadVirtualMemory64Fn>(L"ntdll", "NtWow64ReadVirtualMemory64");
  if (query == nullptr || read == nullptr) return {};
  BYTE basic[48] = {};
  if (query(process, 0 /*ProcessBasicInformation*/, basic, sizeof basic, nullptr) < 0) return {};
  ULONGLONG pebAddress = 0;
  std::memcpy(&pebAddress, basic + 8, sizeof pebAddress);
  BYTE peb[40] = {};
  if (read(process, pebAddress, peb, sizeof peb, nullptr) < 0) return {};
  ULONGLONG params = 0;
  std::memcpy(&params, peb + 0x20, sizeof params);
  BYTE parameters[128] = {};
  if (read(process, params, parameters, sizeof parameters, nullptr) < 0) return {};
  ULONGLONG buffer = 0;
  std::memcpy(&buffer, parameters + 0x78, sizeof buffer);
  wchar_t commandLine[261] = {};
  if (read(process, buffer, commandLine, 520, nullptr) < 0) return {};
  return text::FromBuffer(commandLine, 261);
}

// A process of our own width: the parameter block's command line is a counted string.
std::wstring CommandLineOfSameWidthProcess(HANDLE process) {
  auto query = Lookup<NtQueryInformationProcessFn>(L"ntdll", "NtQueryInformationProcess");
  if (query == nullptr) return {};
  PROCESS_BASIC_INFORMATION basic{};
  if (query(process, 0 /*ProcessBasicInformation*/, &basic, sizeof basic, nullptr) < 0) return {};
  // Offsets of ProcessParameters in the PEB and of CommandLine in the parameter block; checked
  // against the SDK's layouts at compile time, for both widths.
  constexpr ULONG_PTR kParamsOffset = sizeof(void*) == 8 ? 0x20 : 0x10;
  constexpr ULONG_PTR kCommandLineOffset = sizeof(void*) == 8 ? 0x70 : 0x40;
  static_assert(offsetof(PEB, ProcessParameters) == kParamsOffset);
  static_assert(offsetof(RTL_USER_PROCESS_PARAMETERS, CommandLine) == kCommandLineOffset);
  ULONG_PTR params = 0;
  if (!ReadExact(process, reinterpret_cast<ULONG_PTR>(basic.PebBaseAddress) + kParamsOffset, &params,
                 sizeof params)) {
    return {};
  }
  UNICODE_STRING commandLine{};
  if (!ReadExact(process, params + kCommandLineOffset, &commandLine, sizeof commandLine)) return {};
  const std::size_t chars = commandLine.Length / sizeof(wchar_t);
  if (chars == 0 || commandLine.Buffer == nullptr) return {};
  std::vector<wchar_t> text(chars + 1, L'\0');
  if (!ReadExact(process, reinterpret_cast<ULONG_PTR>(commandLine.Buffer), text.data(), chars * sizeof(wchar_t))) {
    return {};
  }
  return text::FromBuffer(text.data(), chars);
}

}  // namespace

std::wstring GetProcessCommandLine(HANDLE process) {
  BOOL targetWow64 = FALSE;
  ::IsWow64Process(process, &targetWow64);
  if (!targetWow64) {
    BOOL selfWow64 = FALSE;
    if (auto isWow64 = Lookup<IsWow64ProcessFn>(L"kernel32", "IsWow64Process")) {
      isWow64(::GetCurrentProcess(), &selfWow64);
    }
    if (selfWow64) return CommandLineOf64BitProcess(process);
  }
  return CommandLineOfSameWidthProcess(process);
}

}  // namespace winaccess
