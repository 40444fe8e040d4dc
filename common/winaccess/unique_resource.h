// One owning handle type for every Win32 handle kind. Each traits class knows its own empty value:
// OpenProcess fails with NULL, CreateToolhelp32Snapshot and FindFirstFileW with
// INVALID_HANDLE_VALUE, so the two must not be confused.
#pragma once

#include <windows.h>
#include <winsvc.h>

#include <utility>

namespace winaccess {

template <typename Traits>
class unique_resource {
 public:
  using pointer = typename Traits::pointer;

  unique_resource() noexcept : value_(Traits::invalid()) {}
  explicit unique_resource(pointer value) noexcept : value_(value) {}
  unique_resource(const unique_resource&) = delete;
  unique_resource& operator=(const unique_resource&) = delete;
  unique_resource(unique_resource&& other) noexcept : value_(other.release()) {}
  unique_resource& operator=(unique_resource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~unique_resource() { reset(); }

  pointer get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

  // For out-parameters: frees what is held and hands out the slot.
  pointer* put() noexcept {
    reset();
    return &value_;
  }

  pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }

  void reset(pointer value = Traits::invalid()) noexcept {
    if (value_ != Traits::invalid()) Traits::close(value_);
    value_ = value;
  }

 private:
  pointer value_;
};

struct handle_null_traits {
  using pointer = HANDLE;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::CloseHandle(h); }
};

struct handle_invalid_traits {
  using pointer = HANDLE;
  static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(pointer h) noexcept { ::CloseHandle(h); }
};

struct find_handle_traits {
  using pointer = HANDLE;
  static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(pointer h) noexcept { ::FindClose(h); }
};

struct hkey_traits {
  using pointer = HKEY;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::RegCloseKey(h); }
};

struct sc_handle_traits {
  using pointer = SC_HANDLE;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::CloseServiceHandle(h); }
};

struct hmenu_traits {
  using pointer = HMENU;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DestroyMenu(h); }
};

using unique_handle = unique_resource<handle_null_traits>;          // processes, threads, tokens
using unique_file = unique_resource<handle_invalid_traits>;         // CreateFileW, snapshots
using unique_find = unique_resource<find_handle_traits>;            // FindFirstFileW
using unique_hkey = unique_resource<hkey_traits>;
using unique_sc_handle = unique_resource<sc_handle_traits>;
using unique_menu = unique_resource<hmenu_traits>;

}  // namespace winaccess
