#include <array>

#include "../../common/text/text_rules.h"
#include "command_resolution.h"

namespace varnex::scanners {
namespace {

constexpr std::array<const wchar_t*, 5> kModuleExtensions = {L".exe", L".dll", L".ocx", L".scr", L".ime"};

struct FolderPlaceholder {
  const wchar_t* placeholder;
  const wchar_t* firstChoice;
  const wchar_t* fallback;
};
constexpr std::array<FolderPlaceholder, 2> kFolderPlaceholders = {{
    {L"%programfiles%", L"C:\\Program Files (x86)\\", L"C:\\Program Files\\"},
    {L"%commonprogramfiles%", L"C:\\Program Files (x86)\\Common Files\\", L"C:\\Program Files\\Common Files\\"},
}};

// The module named by a rundll32 command (already lower-cased, slashes turned round).
std::wstring RundllModule(const std::wstring& command) {
  const std::wstring withBlank = L"rundll32.exe ";
  std::wstring rest;
  if (const auto at = command.find(withBlank); at != std::wstring::npos) {
    rest = command.substr(at + withBlank.size());
  } else {
    // Whatever follows the program name: "rundll32", a full path to it, or a quoted path whose
    // closing quote sits right after "rundll32.exe".
    rest = command.substr(command.find(L"rundll32") + 8);
    if (text::StartsWith(rest, L".exe")) rest.erase(0, 4);
    rest = text::TrimLeftChar(rest, L'"');
  }
  rest = text::TrimLeftChar(text::Trim(rest), L'"');
  if (const auto dll = rest.find(L".dll"); dll != std::wstring::npos) return rest.substr(0, dll + 4);
  const auto comma = rest.find(L',');
  return comma == std::wstring::npos ? std::wstring() : rest.substr(0, comma);
}

// Cuts after the first extension of the list whose first occurrence is not at the very start;
// the list order decides, not the position. False when there is none.
bool CutAfterModuleExtension(std::wstring& command) {
  for (const wchar_t* extension : kModuleExtensions) {
    const auto at = command.find(extension);
    if (at != std::wstring::npos && at > 0) {
      command.resize(at + 4);
      return true;
    }
  }
  return false;
}

void ReplaceFolderPlaceholder(std::wstring& path, const FolderPlaceholder& folder, const ResolveSeams& seams) {
  const std::wstring placeholder = folder.placeholder;
  if (!text::StartsWith(path, placeholder)) return;
  std::size_t dropped = placeholder.size();
  if (dropped < path.size() && path[dropped] == L'\\') ++dropped;
  const std::wstring remainder = path.substr(dropped);
  path = folder.firstChoice + remainder;
  if (!seams.pathExists(path)) path = folder.fallback + remainder;
}

}  // namespace

std::wstring ResolveCommandPathWith(std::wstring command, const ResolveSeams& seams) {
  const std::wstring trimmed = text::TrimChar(command, L'"');

  std::wstring working = trimmed;
  for (auto& c : working) {
    if (c == L'/') c = L'\\';
  }
  working = text::LowerAZ(working);

  if (text::Contains(working, L"rundll32")) {
    working = RundllModule(working);
  } else if (!CutAfterModuleExtension(working)) {
    return trimmed;
  }

  working = text::TrimChar(working, L'"');
  for (const auto& folder : kFolderPlaceholders) ReplaceFolderPlaceholder(working, folder, seams);

  if (text::Contains(working, L"\\")) {
    std::wstring expanded;
    return seams.expand(working, expanded) ? expanded : working;
  }
  const std::wstring native = L"C:\\Windows\\System32\\" + working;
  return seams.pathExists(native) ? native : L"C:\\Windows\\SysWOW64\\" + working;
}

}  // namespace varnex::scanners
