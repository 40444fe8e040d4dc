#include "winaccess.h"

namespace winaccess {

void DisableWow64Redirection() {
  using Fn = BOOL(WINAPI*)(PVOID*);
  HMODULE kernel = ::GetModuleHandleW(L"kernel32");
  if (kernel == nullptr) return;
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
  if (fn == nullptr) return;
  PVOID old = nullptr;
  fn(&old);
}

}  // namespace winaccess
