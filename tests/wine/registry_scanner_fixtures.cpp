#include "registry_scanner_fixtures.h"

namespace registry_test {
namespace {
bool KeyExists(HKEY root, const std::wstring& path, REGSAM view) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}
}  // namespace

CreatedKey::CreatedKey(HKEY root, const std::wstring& path, REGSAM view) : root_(root), view_(view) {
  for (std::size_t end = path.find(L'\\');; end = path.find(L'\\', end + 1)) {
    const std::wstring prefix = path.substr(0, end);
    if (!KeyExists(root, prefix, view)) {
      firstCreated_ = prefix;
      break;
    }
    if (end == std::wstring::npos) break;
  }
  ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key_, nullptr);
}

CreatedKey::~CreatedKey() {
  if (key_ != nullptr) ::RegCloseKey(key_);
  if (firstCreated_.empty()) return;
  HKEY created = nullptr;
  if (::RegOpenKeyExW(root_, firstCreated_.c_str(), 0, KEY_ALL_ACCESS | view_, &created) == ERROR_SUCCESS) {
    ::RegDeleteTreeW(created, nullptr);
    ::RegCloseKey(created);
  }
  ::RegDeleteKeyExW(root_, firstCreated_.c_str(), view_, 0);
}

void CreatedKey::SetString(const std::wstring& name, const std::wstring& value, DWORD type) {
  SetBytes(name, type, Utf16Bytes(value));
}

void CreatedKey::SetBytes(const std::wstring& name, DWORD type, const std::vector<BYTE>& data) {
  ::RegSetValueExW(key_, name.empty() ? nullptr : name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
}

ScopedValue::ScopedValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type,
                         const std::vector<BYTE>& data, REGSAM view)
    : key_(root, path, view), name_(name) {
  DWORD oldType = 0;
  DWORD size = 0;
  if (::RegQueryValueExW(key_.Get(), name.c_str(), nullptr, &oldType, nullptr, &size) == ERROR_SUCCESS) {
    std::vector<BYTE> old(size);
    ::RegQueryValueExW(key_.Get(), name.c_str(), nullptr, &oldType, old.data(), &size);
    old.resize(size);
    previous_.emplace(oldType, std::move(old));
  }
  key_.SetBytes(name, type, data);
}

ScopedValue::~ScopedValue() {
  if (previous_) {
    key_.SetBytes(name_, previous_->first, previous_->second);
  } else {
    ::RegDeleteValueW(key_.Get(), name_.c_str());
  }
}

std::vector<BYTE> Utf16Bytes(const std::wstring& text) {
  const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
  return std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
}

std::vector<BYTE> DwordBytes(DWORD value) {
  const auto* bytes = reinterpret_cast<const BYTE*>(&value);
  return std::vector<BYTE>(bytes, bytes + sizeof value);
}

void MarkIdentity(varnex::Finding& finding) {
  finding.Company = L"signer:" + finding.FilePath;
  finding.FileDescription = kMarkedDescription + finding.FilePath;
  finding.ProductName = L"product:" + finding.FilePath;
}

std::vector<varnex::Finding> Named(const std::vector<varnex::Finding>& findings, const std::wstring& prefix) {
  std::vector<varnex::Finding> out;
  for (const auto& f : findings) {
    if (f.Name.compare(0, prefix.size(), prefix) == 0) out.push_back(f);
  }
  return out;
}

}  // namespace registry_test
