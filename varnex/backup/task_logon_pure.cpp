#include "task_logon_pure.h"

#include "../../common/text/text_rules.h"

namespace varnex::backup {
namespace {

// The text of the first <tag>...</tag> inside <Principals>, trimmed.
std::wstring ElementText(const std::wstring& xml, const std::wstring& tag) {
  const auto principals = xml.find(L"<Principals");
  const std::size_t from = principals == std::wstring::npos ? 0 : principals;
  const auto open = xml.find(L"<" + tag + L">", from);
  if (open == std::wstring::npos) return {};
  const auto start = open + tag.size() + 2;
  const auto close = xml.find(L"</" + tag + L">", start);
  if (close == std::wstring::npos) return {};
  return text::Trim(xml.substr(start, close - start));
}

}  // namespace

TaskLogon TaskLogonOf(const std::wstring& xml) {
  TaskLogon logon;
  logon.user = ElementText(xml, L"UserId");
  const std::wstring group = ElementText(xml, L"GroupId");
  const std::wstring type = ElementText(xml, L"LogonType");
  const std::wstring lowerUser = text::LowerAZ(logon.user);
  const bool serviceAccount = lowerUser == L"system" || lowerUser == L"nt authority\\system" ||
                              lowerUser == L"local service" || lowerUser == L"network service" ||
                              lowerUser == L"s-1-5-18" || lowerUser == L"s-1-5-19" || lowerUser == L"s-1-5-20";
  if (type == L"S4U") {
    logon.type = 2;
  } else if (type == L"InteractiveToken" || type == L"Password") {
    logon.type = 3;
  } else if (type == L"Group") {
    logon.type = 4;
  } else if (type == L"ServiceAccount") {
    logon.type = 5;
  } else if (type == L"InteractiveTokenOrPassword") {
    logon.type = 6;
  } else if (!group.empty()) {
    logon.type = 4;
    logon.user = group;
  } else if (serviceAccount) {
    logon.type = 5;
  }
  if (logon.type == 4 && logon.user.empty()) logon.user = group;
  return logon;
}

}  // namespace varnex::backup
