#include <cstdio>

#include "input_method_findings.h"

namespace varnex::scanners {

std::wstring FormatTextServiceClassId(std::uint32_t data1, std::uint16_t data2, std::uint16_t data3,
                                      const std::array<std::uint8_t, 8>& data4) {
  wchar_t buffer[40] = {};
  std::swprintf(buffer, sizeof buffer / sizeof buffer[0],
                L"{%08X-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X}", static_cast<unsigned>(data1),
                static_cast<unsigned>(data2), static_cast<unsigned>(data3), data4[0], data4[1], data4[2], data4[3],
                data4[4], data4[5], data4[6], data4[7]);
  return buffer;
}

Finding ImeLayoutFinding(const std::wstring& layoutName, const std::wstring& imeFile, const std::wstring& layoutText,
                         const InputMethodSeams& seams) {
  Finding finding;
  finding.BinPath = imeFile;
  finding.FilePath = seams.resolveCommand(imeFile);
  finding.Descrip = layoutText;
  finding.Name = layoutName;
  if (seams.fillIdentity) seams.fillIdentity(finding);
  finding.Type = L"IMM32";
  finding.StartPath = L"HKEY_LOCAL_MACHINE\\" + kKeyboardLayoutsKey + L"\\" + layoutName;
  return finding;
}

Finding TextServiceFinding(const TextServiceProfile& profile, const InputMethodSeams& seams) {
  Finding finding;
  finding.Descrip = profile.description.value_or(L"");
  finding.Name = profile.classId;
  finding.BinPath = seams.comServerPath(profile.classId);
  finding.FilePath = seams.resolveCommand(finding.BinPath);
  if (seams.fillIdentity) seams.fillIdentity(finding);
  finding.Type = L"TSF";
  finding.StartPath = kTextServiceKeyPrefix + profile.classId;
  return finding;
}

void ScanTextServiceProfiles(const std::function<std::optional<TextServiceProfile>()>& nextProfile,
                             const InputMethodSeams& seams) {
  while (auto profile = nextProfile()) seams.consume(TextServiceFinding(*profile, seams));
}

}  // namespace varnex::scanners
