// The Findings of the two kinds of input method, apart from the registry and the Text Services
// Framework that list them: IMM32 keyboard layouts that name an input method file, and the
// Chinese (PRC) profiles of text services.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "scanner_seams.h"

namespace varnex::scanners {

inline const std::wstring kKeyboardLayoutsKey = L"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts";
inline const std::wstring kTextServiceKeyPrefix = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\CTF\\TIP\\";
inline constexpr std::uint16_t kChinesePrcLangId = 0x0804;

struct InputMethodSeams {
  std::function<std::wstring(const std::wstring& command)> resolveCommand;  // ResolveCommandPath
  std::function<std::wstring(const std::wstring& clsid)> comServerPath;     // GetComServerPath
  IdentityFiller fillIdentity;
  FindingConsumer consume;
};

// "{%08X-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X}": the third group in lower case, as the
// text service keys have always been named by this program.
std::wstring FormatTextServiceClassId(std::uint32_t data1, std::uint16_t data2, std::uint16_t data3,
                                      const std::array<std::uint8_t, 8>& data4);

// The "IMM32" Finding of layout `layoutName` with its "Ime File" and "Layout Text" texts.
Finding ImeLayoutFinding(const std::wstring& layoutName, const std::wstring& imeFile, const std::wstring& layoutText,
                         const InputMethodSeams& seams);

// One profile as the framework lists it: its class identifier formatted as above, and its
// description (nullopt when it could not be read).
struct TextServiceProfile {
  std::wstring classId;
  std::optional<std::wstring> description;
};

// The "TSF" Finding of one profile; a class without a registered server still gives one.
Finding TextServiceFinding(const TextServiceProfile& profile, const InputMethodSeams& seams);

// Hands one Finding per profile that `nextProfile` yields, until it yields nullopt.
void ScanTextServiceProfiles(const std::function<std::optional<TextServiceProfile>()>& nextProfile,
                             const InputMethodSeams& seams);

}  // namespace varnex::scanners
