// Benchmark of the file scan (run by scripts/bench-file-scan, never by a test): times the program's
// walk over a prepared tree against its floor, a bare FindFirstFileW/FindNextFileW walk that does
// what the scan cannot leave out (the signer read of every file and one version-block read of
// every file whose signer matches), and prints the ratio and the cost of each part per file. All
// walks run on a worker thread while this thread owns an edit control and pumps messages, as in
// the program, so the scan's status lines cost what they cost there.
//
//   bench_file_scan.exe <root folder> [rounds]
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "../common/text/text_rules.h"
#include "../common/winaccess/unique_resource.h"
#include "../common/winaccess/winaccess.h"
#include "../varnex/scanners/file_scanner.h"

namespace {

using varnex::Finding;

class EditWindow final : public varnex::IScanWindow {
 public:
  explicit EditWindow(HWND edit) : edit_(edit) {}
  void PostFinding(const Finding&) override { ++posted; }
  void SetStatusText(const std::wstring& text) override {
    ++statusLines;
    if (showStatus) ::SetWindowTextW(edit_, text.c_str());
  }
  void SetTitle(const std::wstring&) override {}
  void SetActionButtonText(const std::wstring&) override {}
  void EnableRescanButton(bool) override {}
  long posted = 0;
  long statusLines = 0;
  bool showStatus = true;

 private:
  HWND edit_;
};

constexpr const wchar_t* kVendor = L"junk vendor";

// How far the bare walk goes with each file.
enum class BareWork { ListOnly, Signers, SignersAndVersionBlocks };

struct BareCounts {
  long files = 0;
  long matched = 0;
};

// The floor: the plainest walk that lists every folder and, as asked, reads every file's signer
// and the version block of every file whose signer names the vendor (the system's two calls, the
// block kept only while it is read).
BareCounts BareWalk(const std::wstring& root, BareWork work) {
  BareCounts counts;
  std::vector<std::wstring> pending{L"\\\\?\\" + root};
  while (!pending.empty()) {
    const std::wstring folder = std::move(pending.back());
    pending.pop_back();
    WIN32_FIND_DATAW data{};
    winaccess::unique_find find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) continue;
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        pending.push_back(folder + L"\\" + name);
        continue;
      }
      ++counts.files;
      if (work == BareWork::ListOnly) continue;
      const std::wstring full = folder + L"\\" + name;
      if (!text::Contains(text::LowerAZ(winaccess::GetSignerName(full)), kVendor)) continue;
      ++counts.matched;
      if (work != BareWork::SignersAndVersionBlocks) continue;
      DWORD handle = 0;
      const DWORD size = ::GetFileVersionInfoSizeW(full.c_str(), &handle);
      if (size == 0) continue;
      std::vector<BYTE> block(size);
      ::GetFileVersionInfoW(full.c_str(), 0, size, block.data());
    } while (::FindNextFileW(find.get(), &data));
  }
  return counts;
}

// Runs `work` on a worker thread while this thread pumps messages; answers the seconds it took.
double TimeOnWorker(const std::function<void()>& work) {
  std::atomic<bool> done{false};
  const auto start = std::chrono::steady_clock::now();
  std::thread worker([&] {
    work();
    done = true;
  });
  while (!done) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  worker.join();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double PeakPrivateMegabytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return static_cast<double>(counters.PeakPagefileUsage) / (1024.0 * 1024.0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_file_scan <root folder> [rounds]\n");
    return 2;
  }
  const std::wstring root = argv[1];
  const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 3;
  HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | ES_MULTILINE | ES_READONLY, 0, 0, 400, 60,
                                nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (edit == nullptr) {
    std::fprintf(stderr, "no window (is there a display?)\n");
    return 1;
  }
  winaccess::DisableWow64Redirection();

  varnex::ScanState state;
  varnex::RuleData rules;
  rules.SignList = {kVendor};
  EditWindow window(edit);
  std::size_t peakPending = 0;
  BareCounts counts;
  const double memoryBefore = PeakPrivateMegabytes();

  // One warm-up pass so that every measured walk finds the tree in the file cache; then `rounds`
  // rounds in which the scan, its floor and the floor's parts alternate, so that a slow spell of
  // the machine falls on all of them alike. Each figure is the best of its runs.
  TimeOnWorker([&] { counts = BareWalk(root, BareWork::SignersAndVersionBlocks); });
  double scan = 1e300, bare = 1e300, listOnly = 1e300, withSigners = 1e300, worstScan = 0, worstBare = 0;
  for (int i = 0; i < rounds; ++i) {
    window.posted = 0;
    const double scanRun = TimeOnWorker([&] {
      peakPending = varnex::ScanFileRoots({{root, L"", true}}, state, rules, window);
    });
    const double bareRun = TimeOnWorker([&] { counts = BareWalk(root, BareWork::SignersAndVersionBlocks); });
    scan = std::min(scan, scanRun);
    bare = std::min(bare, bareRun);
    worstScan = std::max(worstScan, scanRun);
    worstBare = std::max(worstBare, bareRun);
    listOnly = std::min(listOnly, TimeOnWorker([&] { BareWalk(root, BareWork::ListOnly); }));
    withSigners = std::min(withSigners, TimeOnWorker([&] { BareWalk(root, BareWork::Signers); }));
  }
  const double memoryAfterScans = PeakPrivateMegabytes();
  const long posted = window.posted;
  const long statusLines = window.statusLines / rounds;

  // Where the scan's own time goes: without the status lines, and without the version reads.
  window.showStatus = false;
  const double quiet = TimeOnWorker([&] { varnex::ScanFileRoots({{root, L"", true}}, state, rules, window); });
  varnex::RuleData noMatch;
  noMatch.SignList = {L"nobody at all"};
  const double quietNoMatch =
      TimeOnWorker([&] { varnex::ScanFileRoots({{root, L"", true}}, state, noMatch, window); });

  const double files = std::max(1L, counts.files);
  const double matched = std::max(1L, counts.matched);
  auto micro = [](double seconds, double n) { return seconds * 1e6 / n; };
  std::printf("files: %ld, matched (signer names \"%ls\"): %ld; best of %d rounds each\n", counts.files, kVendor,
              counts.matched, rounds);
  std::printf("file scan (a):                     %.3f s, %ld findings, %ld status lines shown\n", scan, posted,
              statusLines);
  std::printf("  status lines not shown:          %.3f s\n", quiet);
  std::printf("  status lines not shown, no match: %.3f s\n", quietNoMatch);
  std::printf("floor (b):                         %.3f s (walk + every signer + one version block per match)\n",
              bare);
  std::printf("ratio a/b:                         %.3f (target <= 1.3)\n", scan / bare);
  std::printf("worst of %d runs:                  a %.3f s, b %.3f s\n", rounds, worstScan, worstBare);
  std::printf("per file:  listing %.1f us, signer read %.1f us; per match: version block %.1f us\n",
              micro(listOnly, files), micro(withSigners - listOnly, files), micro(bare - withSigners, matched));
  std::printf("per file of the scan: %.1f us (floor %.1f us)\n", micro(scan, files), micro(bare, files));
  std::printf("peak folders waiting:              %zu\n", peakPending);
  std::printf("peak private memory:               %.1f MB (%.1f MB before the walks, %.1f MB after the scans)\n",
              PeakPrivateMegabytes(), memoryBefore, memoryAfterScans);
  ::DestroyWindow(edit);
  return 0;
}
