#include <windows.h>

#include "tray_source.h"

#include <commctrl.h>

#include "common/winaccess/unique_resource.h"

namespace spotlark {

namespace {

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using NtWow64ReadVirtualMemory64Fn = LONG(NTAPI*)(HANDLE, ULONGLONG, PVOID, ULONGLONG, PULONGLONG);

template <typename Fn>
Fn Lookup(const wchar_t* module, const char* name) {
  HMODULE m = ::GetModuleHandleW(module);
  return m == nullptr ? nullptr : reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(m, name)));
}

// Explorer of our own width: plain ReadProcessMemory.
class SameWidthMemory : public IProcessMemory {
 public:
  explicit SameWidthMemory(HANDLE process) : process_(process) {}
  bool Read(std::uint64_t address, std::size_t bytes, std::vector<unsigned char>& into) override {
    into.assign(bytes, 0);
    SIZE_T read = 0;
    return ::ReadProcessMemory(process_, reinterpret_cast<LPCVOID>(static_cast<ULONG_PTR>(address)), into.data(),
                               bytes, &read) &&
           read == bytes;
  }

 private:
  HANDLE process_;
};

// A 64-bit Explorer seen from this 32-bit program under WOW64.
class Wow64Memory : public IProcessMemory {
 public:
  Wow64Memory(HANDLE process, NtWow64ReadVirtualMemory64Fn read) : process_(process), read_(read) {}
  bool Read(std::uint64_t address, std::size_t bytes, std::vector<unsigned char>& into) override {
    into.assign(bytes, 0);
    ULONGLONG read = 0;
    return read_(process_, address, into.data(), bytes, &read) >= 0 && read == bytes;
  }

 private:
  HANDLE process_;
  NtWow64ReadVirtualMemory64Fn read_;
};

class ExplorerTray : public ITraySource {
 public:
  ExplorerTray(HWND toolbar, winaccess::unique_handle process, void* buffer, std::unique_ptr<IProcessMemory> memory,
               const TrayLayout& layout)
      : toolbar_(toolbar), process_(std::move(process)), buffer_(buffer), memory_(std::move(memory)), layout_(layout) {}
  ~ExplorerTray() override { ::VirtualFreeEx(process_.get(), buffer_, 0, MEM_RELEASE); }

  int Count() override { return static_cast<int>(::SendMessageW(toolbar_, TB_BUTTONCOUNT, 0, 0)); }

  std::optional<TrayItem> Item(int index) override {
    // Explorer's toolbar writes the button into the buffer in Explorer's memory.
    if (!::SendMessageW(toolbar_, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(buffer_))) return std::nullopt;
    return ReadTrayItem(*memory_, reinterpret_cast<ULONG_PTR>(buffer_), layout_);
  }

 private:
  HWND toolbar_;
  winaccess::unique_handle process_;
  void* buffer_;
  std::unique_ptr<IProcessMemory> memory_;
  TrayLayout layout_;
};

}  // namespace

const wchar_t* TrayKindText(TrayKind kind) {
  switch (kind) {
    case TrayKind::NotificationArea: return L"通知区域";
    case TrayKind::Tray: return L"托盘";
    case TrayKind::Taskbar: return L"任务栏";
  }
  return L"";
}

HWND FindTrayToolbar(TrayKind kind) {
  if (kind == TrayKind::NotificationArea) {
    HWND overflow = ::FindWindowW(L"NotifyIconOverflowWindow", nullptr);
    return overflow == nullptr ? nullptr : ::FindWindowExW(overflow, nullptr, L"ToolbarWindow32", nullptr);
  }
  if (kind == TrayKind::Tray) {
    HWND window = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    for (const wchar_t* child : {L"TrayNotifyWnd", L"SysPager", L"ToolbarWindow32"}) {
      if (window == nullptr) return nullptr;
      window = ::FindWindowExW(window, nullptr, child, nullptr);
    }
    return window;
  }
  return nullptr;
}

std::unique_ptr<ITraySource> OpenExplorerTray(TrayKind kind) {
  HWND toolbar = FindTrayToolbar(kind);
  if (toolbar == nullptr) return nullptr;
  DWORD pid = 0;
  ::GetWindowThreadProcessId(toolbar, &pid);
  winaccess::unique_handle explorer(::OpenProcess(0x1F0FFF, FALSE, pid));
  if (!explorer) return nullptr;

  BOOL explorerWow64 = FALSE;
  ::IsWow64Process(explorer.get(), &explorerWow64);
  BOOL selfWow64 = FALSE;
  if (auto isWow64 = Lookup<IsWow64ProcessFn>(L"kernel32", "IsWow64Process")) isWow64(::GetCurrentProcess(), &selfWow64);

  std::unique_ptr<IProcessMemory> memory;
  TrayLayout layout = sizeof(void*) == 8 ? kTrayLayout64 : kTrayLayout32;
  if (!explorerWow64 && selfWow64) {
    auto read = Lookup<NtWow64ReadVirtualMemory64Fn>(L"ntdll", "NtWow64ReadVirtualMemory64");
    if (read == nullptr) return nullptr;
    memory = std::make_unique<Wow64Memory>(explorer.get(), read);
    layout = kTrayLayout64;
  } else {
    memory = std::make_unique<SameWidthMemory>(explorer.get());
  }
  // Room for the whole TBBUTTON of Explorer's width, which TB_GETBUTTON writes completely.
  void* buffer = ::VirtualAllocEx(explorer.get(), nullptr, 32, MEM_COMMIT, PAGE_READWRITE);
  if (buffer == nullptr) return nullptr;
  return std::make_unique<ExplorerTray>(toolbar, std::move(explorer), buffer, std::move(memory), layout);
}

}  // namespace spotlark
