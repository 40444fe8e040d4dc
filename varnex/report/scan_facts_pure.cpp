#include "scan_facts.h"

#include <algorithm>

namespace varnex::report {

void ScanFacts::OnStatus(const std::wstring& text) {
  std::lock_guard lock(mutex_);
  status_ = text;
}

void ScanFacts::OnTitle(const std::wstring& text) {
  std::lock_guard lock(mutex_);
  if (std::find(alerts_.begin(), alerts_.end(), text) == alerts_.end()) alerts_.push_back(text);
}

void ScanFacts::OnFinished(const std::wstring& time) {
  std::lock_guard lock(mutex_);
  finished_ = time;
}

void ScanFacts::Clear() {
  std::lock_guard lock(mutex_);
  status_.clear();
  alerts_.clear();
  finished_.clear();
}

std::wstring ScanFacts::Finished() const {
  std::lock_guard lock(mutex_);
  return finished_;
}

std::wstring ScanFacts::Status() const {
  std::lock_guard lock(mutex_);
  return status_;
}

std::vector<std::wstring> ScanFacts::Alerts() const {
  std::lock_guard lock(mutex_);
  return alerts_;
}

}  // namespace varnex::report
