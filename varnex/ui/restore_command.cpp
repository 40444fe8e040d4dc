#include "restore_command.h"

#include "../../common/text/text_rules.h"

namespace varnex {

bool IsRestoreCommandLine(const std::wstring& commandLine) {
  const std::wstring lower = text::LowerAZ(text::TrimChar(text::Trim(commandLine), L'"'));
  return lower == L"/restore" || lower == L"-restore";
}

}  // namespace varnex
