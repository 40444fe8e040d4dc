// What a scan tells its window besides the Findings, kept for a report: the status texts (the
// last one is the final status) and the titles it set (the Fenghua and rootkit alerts). Written
// by the scan worker, read by whoever writes the report, hence the lock.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace varnex::report {

class ScanFacts {
 public:
  void OnStatus(const std::wstring& text);
  void OnTitle(const std::wstring& text);  // each distinct title once, in order
  void OnFinished(const std::wstring& time);
  void Clear();
  std::wstring Status() const;
  std::vector<std::wstring> Alerts() const;
  std::wstring Finished() const;  // "" while the scan runs

 private:
  mutable std::mutex mutex_;
  std::wstring status_;
  std::vector<std::wstring> alerts_;
  std::wstring finished_;
};

}  // namespace varnex::report
