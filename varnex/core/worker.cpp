#include "worker.h"

#include <windows.h>

#include <memory>

namespace varnex {
namespace {

DWORD WINAPI WorkerProc(LPVOID parameter) {
  std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
  (*work)();
  return 0;
}

}  // namespace

bool StartWorker(std::function<void()> work) {
  auto owned = std::make_unique<std::function<void()>>(std::move(work));
  HANDLE thread = ::CreateThread(nullptr, 0, WorkerProc, owned.get(), 0, nullptr);
  if (thread == nullptr) return false;
  owned.release();  // the thread owns it now
  ::CloseHandle(thread);
  return true;
}

}  // namespace varnex
