#include "process_rules.h"

#include "../../common/text/text_rules.h"

namespace varnex {

bool IsRundllName(const std::wstring& exeName) { return text::LowerAZ(exeName) == L"rundll32.exe"; }

std::wstring RundllTargetPath(const std::wstring& commandLine) {
  static const std::wstring kProgram = L"rundll32.exe";
  // Found in any letter case: a program path such as C:\WINDOWS\RUNDLL32.EXE must not leave part
  // of the program name in front of the DLL.
  const auto p = text::LowerAZ(commandLine).find(kProgram);
  // The program name plus the separator after it; without the name, the length of a bare one.
  const std::size_t start = p != std::wstring::npos ? p + kProgram.size() + 1 : kProgram.size();
  if (start >= commandLine.size()) return {};

  const std::wstring rest = text::TrimLeftChar(text::Trim(commandLine.substr(start)), L'"');
  const auto q = rest.find(L".dll");
  if (q != std::wstring::npos) return rest.substr(0, q + 4);
  const auto comma = rest.find(L',');
  return comma != std::wstring::npos ? rest.substr(0, comma) : std::wstring();
}

}  // namespace varnex
