#include <windows.h>
#include <msctf.h>
#include <wrl/client.h>

#include "input_methods.h"

#include "../../common/winaccess/com_apartment.h"
#include "../../common/winaccess/registry.h"
#include "com_owners.h"
#include "command_resolution.h"
#include "scanner_registry.h"

namespace varnex::scanners {
namespace {

InputMethodSeams RealSeams(const IdentityFiller& fillIdentity, const FindingConsumer& consume) {
  return InputMethodSeams{[](const std::wstring& command) { return ResolveCommandPath(command); },
                          [](const std::wstring& clsid) { return GetComServerPath(clsid); }, fillIdentity, consume};
}

std::wstring FormatClassId(const GUID& id) {
  std::array<std::uint8_t, 8> tail{};
  for (std::size_t i = 0; i < tail.size(); ++i) tail[i] = id.Data4[i];
  return FormatTextServiceClassId(id.Data1, id.Data2, id.Data3, tail);
}

}  // namespace

void ScanImeLayouts(const IdentityFiller& fillIdentity, const FindingConsumer& consume) {
  const InputMethodSeams seams = RealSeams(fillIdentity, consume);
  const auto layouts = winaccess::OpenKey(HKEY_LOCAL_MACHINE, kKeyboardLayoutsKey, KEY_READ);
  if (!layouts) return;
  for (const auto& name : winaccess::EnumSubkeyNames(layouts.get())) {
    const auto layout = winaccess::OpenKey(HKEY_LOCAL_MACHINE, kKeyboardLayoutsKey + L"\\" + name, KEY_READ);
    if (!layout) continue;
    // An ordinary keyboard layout names no input method file.
    const auto imeFile = ReadValueAsText(layout.get(), L"Ime File");
    if (!imeFile) continue;
    const auto layoutText = ReadValueAsText(layout.get(), L"Layout Text");
    if (!layoutText) continue;
    consume(ImeLayoutFinding(name, *imeFile, *layoutText, seams));
  }
}

void ScanTextServices(const IdentityFiller& fillIdentity, const FindingConsumer& consume) {
  const winaccess::ComApartment apartment;
  Microsoft::WRL::ComPtr<ITfInputProcessorProfiles> profiles;
  if (FAILED(::CoCreateInstance(CLSID_TF_InputProcessorProfiles, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ITfInputProcessorProfiles, reinterpret_cast<void**>(profiles.GetAddressOf())))) {
    return;
  }
  Microsoft::WRL::ComPtr<IEnumTfLanguageProfiles> enumerator;
  if (FAILED(profiles->EnumLanguageProfiles(kChinesePrcLangId, enumerator.GetAddressOf())) || !enumerator) return;

  ScanTextServiceProfiles(
      [&]() -> std::optional<TextServiceProfile> {
        TF_LANGUAGEPROFILE profile{};
        ULONG fetched = 0;
        if (enumerator->Next(1, &profile, &fetched) != S_OK || fetched != 1) return std::nullopt;
        TextServiceProfile found;
        found.classId = FormatClassId(profile.clsid);
        unique_bstr description;
        if (SUCCEEDED(profiles->GetLanguageProfileDescription(profile.clsid, kChinesePrcLangId, profile.guidProfile,
                                                              description.put()))) {
          found.description = description.text();
        }
        return found;
      },
      RealSeams(fillIdentity, consume));
}

}  // namespace varnex::scanners
