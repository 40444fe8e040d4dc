#include <windows.h>

#include "tray_layout.h"

#include <shellapi.h>

#include <cstddef>
#include <cstring>

#include "common/text/text_rules.h"

namespace spotlark {

namespace {

std::uint64_t ReadWord(const std::vector<unsigned char>& bytes, std::size_t offset, std::size_t size) {
  std::uint64_t value = 0;
  std::memcpy(&value, bytes.data() + offset, size);  // little-endian, as on every Windows target
  return value;
}

// Window and icon handles carry 32 significant bits and are sign-extended on 64-bit Windows.
template <typename Handle>
Handle HandleFromLow32(std::uint64_t word) {
  return reinterpret_cast<Handle>(static_cast<LONG_PTR>(static_cast<LONG>(static_cast<std::uint32_t>(word))));
}

}  // namespace

std::optional<std::uint64_t> TrayButtonDataWord(const std::vector<unsigned char>& button, const TrayLayout& layout) {
  if (button.size() < layout.buttonBytes || layout.dataWordOffset + layout.dataWordBytes > button.size()) {
    return std::nullopt;
  }
  return ReadWord(button, layout.dataWordOffset, layout.dataWordBytes);
}

std::optional<TrayItem> ParseTrayRecord(const std::vector<unsigned char>& record, const TrayLayout& layout) {
  if (record.size() < layout.recordBytes || layout.tipOffset + kTrayTipChars * sizeof(wchar_t) > record.size()) {
    return std::nullopt;
  }
  TrayItem item;
  item.window = HandleFromLow32<HWND>(ReadWord(record, layout.windowOffset, 4));
  item.id = static_cast<UINT>(ReadWord(record, layout.idOffset, 4));
  item.callbackMessage = static_cast<UINT>(ReadWord(record, layout.callbackOffset, 4));
  item.icon = HandleFromLow32<HICON>(ReadWord(record, layout.iconOffset, 4));
  wchar_t tip[kTrayTipChars] = {};
  std::memcpy(tip, record.data() + layout.tipOffset, sizeof tip);
  item.tip = text::FromBuffer(tip, kTrayTipChars);
  return item;
}

std::optional<TrayItem> ReadTrayItem(IProcessMemory& memory, std::uint64_t buttonAddress, const TrayLayout& layout) {
  std::vector<unsigned char> button;
  if (!memory.Read(buttonAddress, layout.buttonBytes, button)) return std::nullopt;
  const auto dataWord = TrayButtonDataWord(button, layout);
  if (!dataWord || *dataWord == 0) return std::nullopt;
  std::vector<unsigned char> record;
  if (!memory.Read(*dataWord, layout.recordBytes, record)) return std::nullopt;
  return ParseTrayRecord(record, layout);
}

NOTIFYICONDATAW MakeNotifyRequest(const TrayItem& item) {
  NOTIFYICONDATAW request{};
  // The record up to its item GUID: 952 bytes in a 32-bit program, accepted by every Windows
  // since Vista; the same layout is 968 bytes wide in a 64-bit program.
  request.cbSize = static_cast<DWORD>(offsetof(NOTIFYICONDATAW, hBalloonIcon));
  request.hWnd = item.window;
  request.uID = item.id;
  request.uCallbackMessage = item.callbackMessage;
  request.hIcon = item.icon;
  const std::size_t chars = item.tip.size() < 127 ? item.tip.size() : 127;
  std::memcpy(request.szTip, item.tip.data(), chars * sizeof(wchar_t));
  request.uFlags = NIF_STATE;
  return request;
}

}  // namespace spotlark
