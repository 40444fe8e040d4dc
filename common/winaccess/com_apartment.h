// COM for the calling thread in a single-threaded apartment, for the span of one scope.
#pragma once

#include <objbase.h>

namespace winaccess {

// Balances only an initialisation that succeeded: a thread already in another apartment keeps
// its own, and an unmatched uninitialise would tear down its owner's COM.
class ComApartment {
 public:
  ComApartment() : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (initialized_) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialized_;
};

}  // namespace winaccess
