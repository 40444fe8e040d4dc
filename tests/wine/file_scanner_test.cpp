// The file scan against real folders and signed fixture files: filters, exclusions, walk order,
// long paths, stop, and one whole ScanFiles run over the fixed roots with files added to System32.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "../../common/text/text_rules.h"
#include "../../varnex/scanners/file_scanner.h"
#include "test_support.h"

using namespace varnex;
using testing_support::FixturePath;
using testing_support::TempFolder;

namespace {

constexpr const wchar_t* kJunkSigned = L"vendor_a.dll";       // "Vx Junk Vendor Ltd"
constexpr const wchar_t* kMicrosoftSigned = L"svch0st.exe";   // "Microsoft Corporation"
constexpr const wchar_t* kChineseSigned = L"signed_cn.dll";   // "某某网络科技有限公司"

struct RecordingWindow : IScanWindow {
  std::vector<Finding> posted;
  std::vector<std::wstring> statuses;
  std::function<void()> onPost;
  void PostFinding(const Finding& f) override {
    posted.push_back(f);
    if (onPost) onPost();
  }
  void SetStatusText(const std::wstring& text) override { statuses.push_back(text); }
  void SetTitle(const std::wstring&) override {}
  void SetActionButtonText(const std::wstring&) override {}
  void EnableRescanButton(bool) override {}

  std::set<std::wstring> PostedNames() const {
    std::set<std::wstring> names;
    for (const auto& f : posted) names.insert(f.Name);
    return names;
  }
  // Position of the first "正在扫描：" line that names the path.
  std::ptrdiff_t StatusIndexOf(const std::wstring& path) const {
    const auto it = std::find(statuses.begin(), statuses.end(), std::wstring(kFileScanningPrefix) + path);
    return it == statuses.end() ? -1 : it - statuses.begin();
  }
};

void Place(const wchar_t* fixture, const std::wstring& path) {
  ASSERT_TRUE(::CopyFileW(FixturePath(fixture).c_str(), path.c_str(), FALSE)) << path << " " << ::GetLastError();
}

void MakeFolder(const std::wstring& path) { ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr)) << path; }

// Removes files and folders added outside a TempFolder, also when an assertion failed.
class AddedPaths {
 public:
  ~AddedPaths() {
    for (auto it = paths_.rbegin(); it != paths_.rend(); ++it) testing_support::DeleteTree(*it);
  }
  const std::wstring& Add(std::wstring path) { return paths_.emplace_back(std::move(path)); }

 private:
  std::vector<std::wstring> paths_;
};

// T: top.dll UPPER.DLL noext tool.exe ms.dll cn.dll, Sub1\s1.dll, Sub2\s2.dll, Skip\e.dll,
// Skip\Deeper\d.dll. Every file but ms.dll and cn.dll carries the junk vendor's signature.
void BuildTree(const TempFolder& t) {
  for (const wchar_t* name : {L"top.dll", L"UPPER.DLL", L"noext", L"tool.exe"}) Place(kJunkSigned, t.File(name));
  Place(kMicrosoftSigned, t.File(L"ms.dll"));
  Place(kChineseSigned, t.File(L"cn.dll"));
  for (const wchar_t* folder : {L"Sub1", L"Sub2", L"Skip", L"Skip\\Deeper"}) MakeFolder(t.File(folder));
  Place(kJunkSigned, t.File(L"Sub1\\s1.dll"));
  Place(kJunkSigned, t.File(L"Sub2\\s2.dll"));
  Place(kJunkSigned, t.File(L"Skip\\e.dll"));
  Place(kJunkSigned, t.File(L"Skip\\Deeper\\d.dll"));
}

TEST(FileScannerWine, FiltersExclusionsAndSigners) {
  TempFolder t(L"vxfiles");
  BuildTree(t);
  const std::wstring skip = text::LowerAZ(t.File(L"Skip"));
  struct Case {
    const char* what;
    std::vector<std::wstring> signList;
    std::wstring filter;
    bool withSubfolders;
    std::set<std::wstring> found;
  };
  const Case cases[] = {
      {"every file, excluded folder left out", {L"junk vendor"}, L"", true,
       {L"top.dll", L"UPPER.DLL", L"noext", L"tool.exe", L"s1.dll", L"s2.dll"}},
      {"system-folder filter, no subfolders", {L"junk vendor"}, kSystemFolderFilter, false,
       {L"top.dll", L"UPPER.DLL"}},
      {"a Chinese signer", {L"某某网络"}, L"", true, {L"cn.dll"}},
      {"a Microsoft signer never matches", {L"microsoft", L"corporation"}, L"", true, {}},
      {"a signer not in the list", {L"nobody ltd"}, L"", true, {}},
  };
  for (const auto& c : cases) {
    ScanState state;
    RuleData rules;
    rules.SignList = c.signList;
    rules.ExcludePathList = {skip};
    RecordingWindow window;
    ScanFileRoots({{t.Path(), c.filter, c.withSubfolders}}, state, rules, window);
    EXPECT_EQ(window.PostedNames(), c.found) << c.what;
  }

  ScanState state;
  RuleData rules;
  rules.SignList = {L"junk vendor"};
  RecordingWindow window;
  ScanFileRoots({{t.Path(), kSystemFolderFilter, false}}, state, rules, window);
  Finding expected;
  expected.Name = L"top.dll";
  expected.FilePath = text::LowerAZ(t.Path()) + L"\\top.dll";
  expected.Company = L"Vx Junk Vendor Ltd";
  expected.FileDescription = L"Vendor A 辅助组件";
  expected.ProductName = L"Vendor A 产品";
  expected.Type = L"文件";
  expected.StartPath = expected.FilePath;
  expected.MatchMethod = L"junk vendor";
  const auto top = std::find_if(window.posted.begin(), window.posted.end(),
                                [](const Finding& f) { return f.Name == L"top.dll"; });
  ASSERT_NE(top, window.posted.end());
  EXPECT_EQ(*top, expected);
}

TEST(FileScannerWine, SubfoldersWaitForTheirParentAndTheLaterSiblingComesFirst) {
  TempFolder t(L"vxfiles");
  BuildTree(t);
  ScanState state;
  RuleData rules;
  rules.SignList = {L"junk vendor"};
  RecordingWindow window;
  ScanFileRoots({{t.Path(), L"", true}}, state, rules, window, 0);

  // The order in which the system lists the two siblings.
  std::vector<std::wstring> listed;
  WIN32_FIND_DATAW data{};
  HANDLE find = ::FindFirstFileW(t.File(L"Sub*").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  do listed.push_back(data.cFileName);
  while (::FindNextFileW(find, &data));
  ::FindClose(find);
  ASSERT_EQ(listed.size(), 2u);

  const auto firstSub = window.StatusIndexOf(t.File(listed[1] + L"\\" + (listed[1] == L"Sub1" ? L"s1.dll" : L"s2.dll")));
  const auto secondSub = window.StatusIndexOf(t.File(listed[0] + L"\\" + (listed[0] == L"Sub1" ? L"s1.dll" : L"s2.dll")));
  ASSERT_GE(firstSub, 0);
  EXPECT_LT(firstSub, secondSub) << "the sibling listed later is examined first";
  for (const wchar_t* name : {L"top.dll", L"UPPER.DLL", L"noext", L"tool.exe", L"ms.dll", L"cn.dll"}) {
    const auto parentFile = window.StatusIndexOf(t.File(name));
    ASSERT_GE(parentFile, 0) << name;
    EXPECT_LT(parentFile, firstSub) << name;
  }
}

TEST(FileScannerWine, LongPathsThroughThePrefix) {
  TempFolder t(L"vxfiles");
  AddedPaths added;
  // Three folders of 100 characters: the file lies well past MAX_PATH, and only the long form
  // reaches it; the whole chain is removed through that form too.
  std::wstring chain = t.Path();
  for (int i = 0; i < 3; ++i) {
    chain += L"\\" + std::wstring(100, L'a' + i);
    ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + chain).c_str(), nullptr));
  }
  added.Add(L"\\\\?\\" + t.Path() + L"\\" + std::wstring(100, L'a'));
  Place(kJunkSigned, L"\\\\?\\" + chain + L"\\Far.dll");
  const std::wstring expectedPath = text::LowerAZ(chain) + L"\\Far.dll";
  ASSERT_GT(expectedPath.size(), 300u);

  for (const std::wstring& root : {t.Path(), L"\\\\?\\" + t.Path(), t.Path() + L"\\"}) {
    ScanState state;
    RuleData rules;
    rules.SignList = {L"junk vendor"};
    RecordingWindow window;
    std::vector<WalkRoot> roots = FileScanRoots({root}, L"");
    roots.resize(1);  // the user's folder alone
    ScanFileRoots(roots, state, rules, window, 0);
    ASSERT_EQ(window.posted.size(), 1u) << root;
    EXPECT_EQ(window.posted[0].FilePath, expectedPath) << root;
    EXPECT_EQ(window.statuses.back(), kFileScanningPrefix + chain + L"\\Far.dll") << root;
  }
}

TEST(FileScannerWine, StopEndsTheWalkAndKeepsThePostedFinding) {
  TempFolder t(L"vxfiles");
  BuildTree(t);
  ScanState state;
  RuleData rules;
  rules.SignList = {L"junk vendor"};
  RecordingWindow window;
  window.onPost = [&] { state.StopRequested = true; };
  ScanFileRoots({{t.Path(), L"", true}, {t.Path(), L"", true}}, state, rules, window, 0);
  ASSERT_EQ(window.posted.size(), 1u);
  // The last file looked at is the one posted: nothing was examined after the stop, and the
  // second root was not walked.
  EXPECT_EQ(text::LowerAZ(window.statuses.back()),
            std::wstring(kFileScanningPrefix) + text::LowerAZ(window.posted[0].FilePath));
}

TEST(FileScannerWine, WholeScanWalksTheUserFoldersFirstAndSystem32WithItsFilter) {
  TempFolder t(L"vxfiles");
  Place(kJunkSigned, t.File(L"first.dll"));
  AddedPaths added;
  const std::wstring stem = L"C:\\Windows\\System32\\vxfs_" + std::to_wstring(::GetCurrentProcessId());
  Place(kJunkSigned, added.Add(stem + L".dll"));
  Place(kJunkSigned, added.Add(stem + L".exe"));
  MakeFolder(added.Add(stem + L"_sub"));
  Place(kJunkSigned, stem + L"_sub\\inner.dll");

  ScanState state;
  RuleData rules;
  rules.SignList = {L"junk vendor"};
  rules.ScanPathList = {t.Path()};
  RecordingWindow window;
  ScanFiles(state, rules, window);

  ASSERT_FALSE(window.statuses.empty());
  EXPECT_EQ(window.statuses.front(), L"正在扫描文件...");
  std::vector<std::wstring> paths;
  for (const auto& f : window.posted) paths.push_back(f.FilePath);
  EXPECT_EQ(paths, (std::vector<std::wstring>{text::LowerAZ(t.File(L"first.dll")), text::LowerAZ(stem) + L".dll"}));
}

}  // namespace
