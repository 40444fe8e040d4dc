#include "finding_list.h"

namespace varnex {

std::size_t FindingList::Append(const Finding& finding) {
  std::lock_guard lock(mutex_);
  entries_.push_back(finding);
  return entries_.size() - 1;
}

std::optional<Finding> FindingList::At(std::size_t index) const {
  std::lock_guard lock(mutex_);
  if (index >= entries_.size()) return std::nullopt;
  return entries_[index];
}

std::size_t FindingList::Size() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

std::size_t FindingList::Capacity() const {
  std::lock_guard lock(mutex_);
  return entries_.capacity();
}

void FindingList::ReserveAtLeast(std::size_t count) {
  std::lock_guard lock(mutex_);
  if (entries_.capacity() < count) entries_.reserve(count);
}

void FindingList::Clear() {
  std::lock_guard lock(mutex_);
  std::vector<Finding>().swap(entries_);
}

}  // namespace varnex
