// Owners for the two COM value kinds that have no owner in this toolchain: BSTR and VARIANT.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <optional>
#include <string>

namespace varnex::scanners {

class unique_bstr {
 public:
  unique_bstr() = default;
  explicit unique_bstr(const std::wstring& text) : value_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  unique_bstr(const unique_bstr&) = delete;
  unique_bstr& operator=(const unique_bstr&) = delete;
  ~unique_bstr() { ::SysFreeString(value_); }

  BSTR get() const { return value_; }
  BSTR* put() {
    ::SysFreeString(value_);
    value_ = nullptr;
    return &value_;
  }
  // A null BSTR is the empty text; its length comes from the BSTR itself, not from a terminator.
  std::wstring text() const { return value_ == nullptr ? std::wstring() : std::wstring(value_, ::SysStringLen(value_)); }

 private:
  BSTR value_ = nullptr;
};

// Reads a BSTR property: nullopt when the call fails.
template <typename Getter>
std::optional<std::wstring> ReadBstr(Getter&& getter) {
  unique_bstr value;
  if (FAILED(getter(value.put()))) return std::nullopt;
  return value.text();
}

class unique_variant {
 public:
  unique_variant() { ::VariantInit(&value_); }
  unique_variant(const unique_variant&) = delete;
  unique_variant& operator=(const unique_variant&) = delete;
  ~unique_variant() { ::VariantClear(&value_); }

  explicit unique_variant(LONG number) : unique_variant() {
    value_.vt = VT_I4;
    value_.lVal = number;
  }
  const VARIANT& get() const { return value_; }
  VARIANT* put() {
    ::VariantClear(&value_);
    return &value_;
  }

 private:
  VARIANT value_;
};

}  // namespace varnex::scanners
