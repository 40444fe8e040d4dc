#include <windows.h>

#include "removal_gate.h"

#include <commctrl.h>

#include "../ui/resource.h"

namespace varnex::remediation {
namespace {

constexpr UINT_PTR kGateId = 0x5658;
// The installed gate, so that it is installed once per dialog.
constexpr const wchar_t* kGateProperty = L"VarnexRemovalGate";

using GateHolder = std::shared_ptr<RemovalGate>;

LRESULT CALLBACK GateProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
  auto* holder = reinterpret_cast<GateHolder*>(data);
  if (message == WM_NOTIFY && lParam != 0) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    const RemovalGate& gate = **holder;
    if (header->idFrom == IDC_TAB && header->code == static_cast<UINT>(TCN_SELCHANGE) && gate.running) {
      const bool stale = gate.state->CategoryViewsStale.exchange(false);
      const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
      if (stale) gate.state->CategoryViewsStale = true;
      return result;
    }
  }
  if (message == WM_NCDESTROY) {
    ::RemoveWindowSubclass(window, GateProc, id);
    ::RemovePropW(window, kGateProperty);
    std::unique_ptr<GateHolder> owned(holder);  // the worker may still hold its own reference
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

std::shared_ptr<RemovalGate> GateFor(HWND dialog, std::shared_ptr<ScanState> state) {
  if (auto* installed = static_cast<GateHolder*>(::GetPropW(dialog, kGateProperty))) return *installed;
  auto holder = std::make_unique<GateHolder>(std::make_shared<RemovalGate>());
  (*holder)->state = std::move(state);
  GateHolder gate = *holder;
  if (::SetWindowSubclass(dialog, GateProc, kGateId, reinterpret_cast<DWORD_PTR>(holder.get()))) {
    ::SetPropW(dialog, kGateProperty, holder.release());
  }
  return gate;
}

}  // namespace varnex::remediation
