#include "startup_texts.h"

#include "../../common/text/text_rules.h"

namespace varnex::scanners {
namespace {

constexpr std::wstring_view kWindowsFolders[] = {L"c:\\windows\\", L"%systemroot%\\", L"%windir%\\"};

std::vector<std::wstring> DefaultForms(std::wstring_view valueName) {
  std::vector<std::wstring> forms;
  if (valueName == L"Shell") {
    forms.emplace_back(L"explorer.exe");
    for (const auto folder : kWindowsFolders) forms.push_back(std::wstring(folder) + L"explorer.exe");
  } else if (valueName == L"Userinit") {
    for (const auto folder : kWindowsFolders) forms.push_back(std::wstring(folder) + L"system32\\userinit.exe");
  }
  return forms;
}

std::wstring Clean(std::wstring_view entry) { return text::Trim(text::TrimChar(text::Trim(entry), L'"')); }

// "" when the entry is a default form alone; the text after it when a default form is followed by
// blanks; the whole entry otherwise.
std::wstring AddedPart(const std::wstring& entry, const std::vector<std::wstring>& forms) {
  const std::wstring lowered = text::LowerAZ(entry);
  if (Clean(lowered).empty()) return {};
  for (const auto& form : forms) {
    if (Clean(lowered) == form) return {};
    for (const std::wstring& written : {form, L"\"" + form + L"\""}) {
      if (lowered.size() > written.size() && text::StartsWith(lowered, written) &&
          text::IsWhite(lowered[written.size()])) {
        return Clean(std::wstring_view(entry).substr(written.size()));
      }
    }
  }
  return Clean(entry);
}

std::vector<std::wstring> SplitAtCommas(std::wstring_view textValue) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = textValue.find(L',', start);
    parts.emplace_back(text::Trim(textValue.substr(start, comma == std::wstring_view::npos ? comma : comma - start)));
    if (comma == std::wstring_view::npos) break;
    start = comma + 1;
  }
  return parts;
}

}  // namespace

std::vector<std::wstring> WinlogonAddedPrograms(std::wstring_view valueName, std::wstring_view textValue) {
  std::vector<std::wstring> programs;
  if (valueName == L"Taskman") {
    std::wstring program = Clean(textValue);
    if (!program.empty()) programs.push_back(std::move(program));
    return programs;
  }
  const auto forms = DefaultForms(valueName);
  if (forms.empty()) return programs;
  for (const auto& entry : SplitAtCommas(textValue)) {
    std::wstring added = AddedPart(entry, forms);
    if (!added.empty()) programs.push_back(std::move(added));
  }
  return programs;
}

std::wstring ShortcutCommand(const wchar_t* target, std::size_t targetCapacity, const wchar_t* arguments,
                             std::size_t argumentsCapacity) {
  const std::wstring program = target == nullptr ? std::wstring() : text::FromBuffer(target, targetCapacity);
  const std::wstring args =
      text::Trim(arguments == nullptr ? std::wstring() : text::FromBuffer(arguments, argumentsCapacity));
  std::wstring command = program.find(L' ') == std::wstring::npos ? program : L"\"" + program + L"\"";
  if (!args.empty()) command += (command.empty() ? L"" : L" ") + args;
  return command;
}

bool IsFolderSettingsFile(std::wstring_view fileName) { return text::LowerAZ(fileName) == L"desktop.ini"; }

bool IsShortcutFileName(std::wstring_view fileName) {
  return fileName.size() > 4 && text::EndsWith(text::LowerAZ(fileName), L".lnk");
}

}  // namespace varnex::scanners
