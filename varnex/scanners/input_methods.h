// Input methods, which are loaded into every program that takes text input: IMM32 keyboard
// layouts that name an input method file, and the text services registered for Chinese (PRC).
#pragma once

#include "input_method_findings.h"

namespace varnex::scanners {

// One "IMM32" Finding per layout under HKEY_LOCAL_MACHINE\<kKeyboardLayoutsKey> that has both an
// "Ime File" and a "Layout Text" value.
void ScanImeLayouts(const IdentityFiller& fillIdentity, const FindingConsumer& consume);

// One "TSF" Finding per input profile that the Text Services Framework lists for LANGID 0x0804.
void ScanTextServices(const IdentityFiller& fillIdentity, const FindingConsumer& consume);

}  // namespace varnex::scanners
