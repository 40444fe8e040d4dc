// The ordered list of every Finding of the current scan. The scan worker appends while the
// window's thread reads, so every access holds the list's lock; readers get copies.
#pragma once

#include <cstddef>
#include <mutex>
#include <optional>
#include <vector>

#include "finding.h"

namespace varnex {

class FindingList {
 public:
  std::size_t Append(const Finding& finding);
  std::optional<Finding> At(std::size_t index) const;
  std::size_t Size() const;
  std::size_t Capacity() const;
  void ReserveAtLeast(std::size_t count);
  // Destroys every entry and releases the storage.
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<Finding> entries_;
};

}  // namespace varnex
