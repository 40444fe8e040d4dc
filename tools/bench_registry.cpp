// Benchmark of the registry scans that walk thousands of keys (run by scripts/bench-registry, never
// by a test). Prints machine-readable lines "name: seconds" for the script, with a few counts.
//
//   bench_registry.exe parts [rounds]   (a) the toolbar scan and the three file-association scans,
//                                       each item completed with FillIdentity and handed to the
//                                       Classifier, against (b) a bare walk that opens and
//                                       enumerates the same keys with the same registry calls
//   bench_registry.exe whole [rounds]   a whole scan of the program: every step of a normal scan
//
// Each figure is the best of `rounds` runs, after one warm-up run. The rule lists are those of the
// data folder beside this program.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "../common/winaccess/winaccess.h"
#include "../varnex/core/scan_driver.h"
#include "../varnex/identity/classifier.h"
#include "../varnex/identity/fill_identity.h"
#include "../varnex/rules/rule_loader.h"
#include "../varnex/scanners/file_associations.h"
#include "../varnex/scanners/toolbars.h"
#include "../varnex/ui/varnex_dlg.h"

namespace {

using varnex::Finding;

class CountingWindow final : public varnex::IScanWindow {
 public:
  void PostFinding(const Finding&) override { ++posted; }
  void SetStatusText(const std::wstring&) override {}
  void SetTitle(const std::wstring&) override {}
  void SetActionButtonText(const std::wstring&) override {}
  void EnableRescanButton(bool) override {}
  long posted = 0;
};

constexpr REGSAM kScanAccess = KEY_READ | KEY_WOW64_64KEY;  // what the scanners open with
constexpr const wchar_t* kDeskBandCategory = L"\\Implemented Categories\\{00021492-0000-0000-C000-000000000046}";
constexpr const wchar_t* kScopes[] = {L"", L"SystemFileAssociations", L"Applications"};

double TimeOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double BestOf(int rounds, const std::function<void()>& work) {
  work();  // warm-up: every measured run finds the registry in memory alike
  double best = 1e300;
  for (int i = 0; i < rounds; ++i) best = std::min(best, TimeOf(work));
  return best;
}

std::shared_ptr<const varnex::RuleData> ShippedRules() {
  auto rules = std::make_shared<varnex::RuleData>();
  const varnex::RuleLoadContext context{winaccess::ProgramFolder(), [](const std::wstring& message) {
                                          std::fprintf(stderr, "rule files: %ls\n", message.c_str());
                                        }};
  varnex::LoadSignList(context, *rules);
  varnex::LoadFolderList(context, *rules);
  varnex::LoadAppDataInfo(context, *rules);
  varnex::LoadWhitePaths(context, *rules);
  return rules;
}

// The default value of root\path read as the scanners read it: into 522 bytes.
void ReadDefaultValue(HKEY root, const std::wstring& path, REGSAM access) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, path.c_str(), 0, access, &key) != ERROR_SUCCESS) return;
  BYTE data[522] = {};
  DWORD size = sizeof data;
  ::RegQueryValueExW(key, L"", nullptr, nullptr, data, &size);
  ::RegCloseKey(key);
}

// Calls `visit` with every subkey name of `key`, with the scanners' 261-character buffer.
template <typename Visit>
void ForEachSubkey(HKEY key, Visit visit) {
  for (DWORD i = 0;; ++i) {
    wchar_t name[261] = {};
    DWORD length = 261;
    const LONG rc = ::RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) break;
    visit(std::wstring(name, length));
  }
}

struct BareCounts {
  long classes = 0;
  long deskBands = 0;
  long fileClasses = 0;
};

// The floor: the registry calls of the four scans and nothing else. Every class key gets one open
// attempt of its category subkey, a desk band the server lookup; every file class one read of its
// open command.
BareCounts BareWalk() {
  BareCounts counts;
  for (const wchar_t* classKey : {L"CLSID", L"Wow6432Node\\CLSID"}) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, classKey, 0, kScanAccess, &key) != ERROR_SUCCESS) continue;
    ForEachSubkey(key, [&](const std::wstring& classId) {
      ++counts.classes;
      HKEY category = nullptr;
      if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, (classKey + (L"\\" + classId) + kDeskBandCategory).c_str(), 0,
                          kScanAccess, &category) != ERROR_SUCCESS) {
        return;
      }
      ::RegCloseKey(category);
      ++counts.deskBands;
      ReadDefaultValue(HKEY_CLASSES_ROOT, L"CLSID\\" + classId + L"\\InprocServer32",
                       KEY_QUERY_VALUE | KEY_WOW64_64KEY);
    });
    ::RegCloseKey(key);
  }
  for (const wchar_t* scope : kScopes) {
    struct Pass {
      HKEY root;
      std::wstring scope;
    };
    for (const Pass& pass : {Pass{HKEY_CLASSES_ROOT, scope}, Pass{HKEY_CURRENT_USER, L"Software\\Classes"}}) {
      HKEY key = pass.root;
      if (!pass.scope.empty() &&
          ::RegOpenKeyExW(pass.root, pass.scope.c_str(), 0, kScanAccess, &key) != ERROR_SUCCESS) {
        continue;
      }
      ForEachSubkey(key, [&](const std::wstring& name) {
        ++counts.fileClasses;
        const std::wstring classKey = pass.scope.empty() ? name : pass.scope + L"\\" + name;
        ReadDefaultValue(pass.root, classKey + L"\\shell\\open\\command", kScanAccess);
      });
      if (key != pass.root) ::RegCloseKey(key);
    }
  }
  return counts;
}

int TimeParts(int rounds) {
  auto state = std::make_shared<varnex::ScanState>();
  auto window = std::make_shared<CountingWindow>();
  const varnex::Classifier classifier(state, ShippedRules(), window);
  long handed = 0;
  const varnex::FindingConsumer classify = [&](Finding f) {
    ++handed;
    classifier.Classify(std::move(f));
  };
  const varnex::scanners::IdentityFiller fill = [](Finding& f) { varnex::FillIdentity(f); };

  const auto scanWith = [&](const varnex::scanners::IdentityFiller& filler, const varnex::FindingConsumer& consumer) {
    return TimeOf([&] {
      handed = 0;
      window->posted = 0;
      varnex::scanners::ScanToolbars(*window, filler, consumer);
      for (const wchar_t* scope : kScopes) varnex::scanners::ScanFileAssociations(*state, scope, filler, consumer);
    });
  };
  // Where the scans' own time goes: without the Classifier, and without the file identity too.
  const varnex::FindingConsumer count = [&](Finding) { ++handed; };
  BareCounts counts;
  // The runs alternate, so that a slow spell of the machine or of the Wine server falls on all of
  // them alike; each figure is the best of its runs, the worst is shown beside it.
  scanWith(fill, classify);
  BareWalk();
  struct Figure {
    double best = 1e300, worst = 0;
    void Add(double seconds) {
      best = std::min(best, seconds);
      worst = std::max(worst, seconds);
    }
  } scans, bare, withoutClassifier, walkOnly;
  for (int i = 0; i < rounds; ++i) {
    scans.Add(scanWith(fill, classify));
    bare.Add(TimeOf([&] { counts = BareWalk(); }));
    withoutClassifier.Add(scanWith(fill, count));
    walkOnly.Add(scanWith(nullptr, count));
  }
  scanWith(fill, classify);  // for the counts below

  std::printf("class keys walked: %ld (desk bands: %ld), file-class keys walked: %ld\n", counts.classes,
              counts.deskBands, counts.fileClasses);
  std::printf("items handed to the Classifier: %ld, posted: %ld\n", handed, window->posted);
  std::printf("scans (a): %.3f\n", scans.best);
  std::printf("  the scans without the Classifier: %.3f s, without the file identity too: %.3f s\n",
              withoutClassifier.best, walkOnly.best);
  std::printf("bare walk (b): %.3f\n", bare.best);
  std::printf("  worst of %d runs: a %.3f s, b %.3f s\n", rounds, scans.worst, bare.worst);
  return 0;
}

int TimeWholeScan(int rounds) {
  auto state = std::make_shared<varnex::ScanState>();
  auto window = std::make_shared<CountingWindow>();
  const auto steps = varnex::ui::MakeProgramScanSteps({state, ShippedRules(), window});
  const double whole = BestOf(rounds, [&] {
    window->posted = 0;
    state->StopRequested = false;
    varnex::RunScan(*state, *window, *steps);
  });
  std::printf("findings posted: %ld\n", window->posted);
  std::printf("whole scan: %.3f\n", whole);

  // One more scan with each step timed, to show where the time goes.
  struct StepTime {
    const char* name;
    double seconds = 0;
  };
  std::vector<StepTime> times;
  auto timed = [&times](const char* name, auto& step) {
    if (!step) return;
    times.push_back({name});
    const std::size_t slot = times.size() - 1;
    step = [&times, slot, inner = step](auto... args) {
      const auto start = std::chrono::steady_clock::now();
      if constexpr (std::is_same_v<decltype(inner(args...)), void>) {
        inner(args...);
        times[slot].seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      } else {
        auto result = inner(args...);
        times[slot].seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return result;
      }
    };
  };
  varnex::ScanSteps each = *steps;
  timed("quick check: folders", each.CheckFenghuaFolders);
  timed("quick check: rootkit drivers", each.CheckRootkitDrivers);
  timed("quick check: driver names", each.CheckKnownDriverNames);
  timed("processes", each.ScanProcesses);
  timed("services and drivers", each.ScanServices);
  timed("startup entries", each.ScanStartupEntries);
  timed("screen saver", each.ScanScreenSaver);
  timed("scheduled tasks", each.ScanScheduledTasks);
  timed("Explorer add-ons", each.ScanExplorerAddons);
  timed("toolbars", each.ScanToolbars);
  timed("input method layouts", each.ScanImeLayouts);
  timed("text services", each.ScanTextServices);
  timed("file associations", each.ScanFileAssociations);
  state->StopRequested = false;
  varnex::RunScan(*state, *window, each);
  for (const auto& step : times) std::printf("  step %-28s %.3f s\n", step.name, step.seconds);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 3;
  // The program's scan worker sees the native system folders; so does every run here.
  winaccess::DisableWow64Redirection();
  if (mode == L"parts") return TimeParts(rounds);
  if (mode == L"whole") return TimeWholeScan(rounds);
  std::fprintf(stderr, "usage: bench_registry parts|whole [rounds]\n");
  return 2;
}
