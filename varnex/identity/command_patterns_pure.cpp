#include "command_patterns.h"

#include "../../common/text/text_rules.h"

namespace varnex {

CommandVerdict JudgeStartupCommand(const std::wstring& c) {
  using text::Contains;
  using text::ContainsAfterStart;

  if (Contains(c, L"cmd") && ContainsAfterStart(c, L"/c ")) return CommandVerdict::Suspicious;
  if (Contains(c, L"regsvr32") && ContainsAfterStart(c, L"/s ")) return CommandVerdict::Suspicious;
  if (Contains(c, L"powershell") && (ContainsAfterStart(c, L"hidden ") || ContainsAfterStart(c, L"bypass "))) {
    return Contains(c, L"disableunusedsmb") ? CommandVerdict::Exempt : CommandVerdict::Suspicious;
  }
  if (Contains(c, L"explorer") && (ContainsAfterStart(c, L"http:") || ContainsAfterStart(c, L"https:"))) {
    return CommandVerdict::Suspicious;
  }
  if (ContainsAfterStart(c, L".vbs") && (Contains(c, L"wscript") || Contains(c, L"cscript"))) {
    return CommandVerdict::Suspicious;
  }
  if (Contains(c, L"wmic") && ContainsAfterStart(c, L" call ") && ContainsAfterStart(c, L" create")) {
    return CommandVerdict::Suspicious;
  }
  if (Contains(c, L"mshta") && (ContainsAfterStart(c, L".hta") || ContainsAfterStart(c, L"script:"))) {
    return CommandVerdict::Suspicious;
  }
  return CommandVerdict::NoMatch;
}

}  // namespace varnex
