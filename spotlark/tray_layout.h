// Explorer's notification-area toolbar as this page reads it across the process boundary: the
// toolbar button Explorer writes on TB_GETBUTTON and the tray item record its data word points to.
// The record is Explorer's own, unpublished layout; the two layouts below are those of a 32-bit
// and a 64-bit Explorer.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace spotlark {

struct TrayLayout {
  std::size_t buttonBytes;     // bytes of the toolbar button read back
  std::size_t dataWordOffset;  // the button's data word: address of the item record
  std::size_t dataWordBytes;
  std::size_t recordBytes;     // bytes of the item record read
  std::size_t windowOffset;    // owning window (low 32 bits used)
  std::size_t idOffset;
  std::size_t callbackOffset;
  std::size_t iconOffset;      // icon handle (low 32 bits used)
  std::size_t tipOffset;       // 128 UTF-16 characters
};

inline constexpr TrayLayout kTrayLayout32{20, 12, 4, 812, 0, 4, 8, 20, 556};
inline constexpr TrayLayout kTrayLayout64{24, 16, 8, 824, 0, 8, 12, 24, 568};
inline constexpr std::size_t kTrayTipChars = 128;

struct TrayItem {
  HWND window = nullptr;
  UINT id = 0;
  UINT callbackMessage = 0;
  HICON icon = nullptr;
  std::wstring tip;
};

// The data word of a button read back from Explorer; nothing when fewer bytes than the layout
// needs were read.
std::optional<std::uint64_t> TrayButtonDataWord(const std::vector<unsigned char>& button, const TrayLayout& layout);

// The fields of an item record; nothing when the record is shorter than the layout. The tip
// ends at its first null or after 128 characters.
std::optional<TrayItem> ParseTrayRecord(const std::vector<unsigned char>& record, const TrayLayout& layout);

// Reads `bytes` at an address of Explorer's memory; false when the read fails or is short.
class IProcessMemory {
 public:
  virtual ~IProcessMemory() = default;
  virtual bool Read(std::uint64_t address, std::size_t bytes, std::vector<unsigned char>& into) = 0;
};

// One button: its bytes at `buttonAddress` (where TB_GETBUTTON put them), then the record at the
// button's data word. Nothing when either read fails.
std::optional<TrayItem> ReadTrayItem(IProcessMemory& memory, std::uint64_t buttonAddress, const TrayLayout& layout);

// The notify-icon request naming an item, with uFlags NIF_STATE and the size of the record up to its item GUID.
NOTIFYICONDATAW MakeNotifyRequest(const TrayItem& item);

}  // namespace spotlark
