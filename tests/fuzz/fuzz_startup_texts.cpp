// Feeds arbitrary logon values, shortcut buffers and result rows through the readers of the
// startup places and the removal's choice of what to change.
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "varnex/remediation/startup_targets.h"
#include "varnex/scanners/startup_texts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using fuzz_input::At;
  using namespace varnex;
  const auto pieces = fuzz_input::Pieces(data, size);
  const std::wstring text = At(pieces, 0);
  for (const wchar_t* value : {L"Shell", L"Userinit", L"Taskman", L"Other"}) {
    for (const auto& program : scanners::WinlogonAddedPrograms(value, text)) {
      if (program.empty() || program.size() > text.size()) __builtin_trap();
    }
  }

  // The shortcut buffers exactly as large as their pieces, without a terminator.
  const std::wstring target = At(pieces, 1);
  const std::wstring arguments = At(pieces, 2);
  const std::wstring command = scanners::ShortcutCommand(target.data(), target.size(), arguments.data(), arguments.size());
  if (command.size() > target.size() + arguments.size() + 3) __builtin_trap();
  scanners::IsShortcutFileName(text);
  scanners::IsFolderSettingsFile(text);

  Finding row;
  row.Name = At(pieces, 3);
  row.StartPath = At(pieces, 4);
  row.Type = At(pieces, 5);
  remediation::WinlogonRepairFor(row);
  remediation::HijackValueNameFor(row);
  if (const auto file = remediation::StartupFolderFileFor(row)) {
    if (file->size() != row.StartPath.size() + row.Name.size() + (row.StartPath.back() == L'\\' ? 0 : 1)) {
      __builtin_trap();
    }
  }
  return 0;
}
