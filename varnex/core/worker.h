// Starts a worker thread the way the program's workers run: one pointer-sized parameter, the
// thread handle closed at once, nobody waits for it. The callable owns whatever the worker needs
// (shared_ptrs), so nothing it touches can be destroyed under it when the window closes.
#pragma once

#include <functional>

namespace varnex {

bool StartWorker(std::function<void()> work);

}  // namespace varnex
