#include "varnex/scanners/file_walk.h"

#include <gtest/gtest.h>

#include <map>

#include "common/text/text_rules.h"
#include "varnex/identity/match_lists.h"

using namespace varnex;

namespace {

constexpr std::uint32_t kFile = 0x20;  // FILE_ATTRIBUTE_ARCHIVE: any plain file
constexpr std::uint32_t kFolder = kEntryIsFolder;
constexpr std::uint32_t kLink = kEntryIsFolder | kEntryIsReparsePoint;

// A made-up tree: listings keyed by the long-path pattern, signers keyed by the long file path.
// Records every listing and every signer read, in order.
struct FakeFileSystem : IFileSystemView {
  std::map<std::wstring, std::vector<ListedEntry>> folders;  // key: long folder path
  std::map<std::wstring, std::wstring> signers;               // key: long file path
  std::vector<std::wstring> listed;                           // patterns, in order
  std::vector<std::wstring> signerReads;                      // long paths, in order
  std::function<void()> afterSignerRead;

  void Folder(const std::wstring& longFolder, std::vector<ListedEntry> entries) {
    entries.insert(entries.begin(), {{L".", kFolder}, {L"..", kFolder}});
    folders[longFolder] = std::move(entries);
  }
  bool ListFolder(const std::wstring& pattern, const EntryVisitor& visit) override {
    listed.push_back(pattern);
    const auto it = folders.find(pattern.substr(0, pattern.size() - 2));  // drop "\*"
    if (it == folders.end()) return false;
    for (const auto& entry : it->second) {
      if (!visit(entry)) break;
    }
    return true;
  }
  std::wstring SignerName(const std::wstring& path) override {
    signerReads.push_back(path);
    if (afterSignerRead) afterSignerRead();
    const auto it = signers.find(path);
    return it == signers.end() ? L"" : it->second;
  }
  std::wstring FileDescription(const std::wstring& path) override { return L"desc of " + path; }
  std::wstring ProductName(const std::wstring& path) override { return L"product of " + path; }
};

struct RecordingWindow : IScanWindow {
  std::vector<Finding> posted;
  std::vector<std::wstring> statuses;
  void PostFinding(const Finding& f) override { posted.push_back(f); }
  void SetStatusText(const std::wstring& text) override { statuses.push_back(text); }
  void SetTitle(const std::wstring&) override {}
  void SetActionButtonText(const std::wstring&) override {}
  void EnableRescanButton(bool) override {}
};

struct WalkFixture {
  FakeFileSystem fs;
  RecordingWindow window;
  std::atomic<bool> stop{false};
  RuleData rules;

  WalkFixture() { rules.SignList = {L"junk vendor"}; }
  FileWalk Walk() {
    return FileWalk(fs, window, stop, rules.ExcludePathList,
                    [this](const std::wstring& signer) { return MatchSignList(rules, signer); });
  }
  // The file names whose signer was read, without their folders.
  std::vector<std::wstring> Examined() const {
    std::vector<std::wstring> names;
    for (const auto& path : fs.signerReads) names.push_back(path.substr(path.rfind(L'\\') + 1));
    return names;
  }
};

TEST(FileWalkPaths, LongAndShownFormsAndRootCleanup) {
  struct Case {
    std::wstring written, normalized, longForm;
  };
  const Case cases[] = {
      {L"C:\\Tools", L"C:\\Tools", L"\\\\?\\C:\\Tools"},
      {L"C:\\Tools\\\\", L"C:\\Tools", L"\\\\?\\C:\\Tools"},
      {L"C:/Tools//Junk/", L"C:\\Tools\\Junk", L"\\\\?\\C:\\Tools\\Junk"},
      {L"C:\\", L"C:", L"\\\\?\\C:"},
      {L"\\\\?\\C:\\Deep", L"\\\\?\\C:\\Deep", L"\\\\?\\C:\\Deep"},  // no second prefix
      {L"\\\\server\\share\\", L"\\\\server\\share", L"\\\\?\\UNC\\server\\share"},
  };
  for (const auto& c : cases) {
    const std::wstring normalized = NormalizeWalkFolder(c.written);
    EXPECT_EQ(normalized, c.normalized) << c.written;
    EXPECT_EQ(LongPathOf(normalized), c.longForm) << c.written;
    const std::wstring shown = text::StartsWith(c.normalized, L"\\\\?\\") ? c.normalized.substr(4) : c.normalized;
    EXPECT_EQ(ShownPath(LongPathOf(normalized)), shown) << c.written;
  }
}

TEST(FileWalkFilter, ExtensionAndExclusionRules) {
  struct FilterCase {
    const wchar_t* filter;
    const wchar_t* name;
    bool passes;
  };
  const FilterCase filters[] = {
      {kSystemFolderFilter, L"shell32.dll", true},
      {kSystemFolderFilter, L"X.DLL", true},  // upper-case extension
      {kSystemFolderFilter, L"pinyin.Ime", true},
      {kSystemFolderFilter, L"notepad.exe", false},
      {kSystemFolderFilter, L"archive.dll.txt", false},  // only the last extension counts
      {kSystemFolderFilter, L"README", false},           // no extension: the whole name
      {kSystemFolderFilter, L"DLL", true},               // ... which this filter does contain
      {kModuleFilter, L"driver.SYS", true},
      {L"", L"anything.txt", true},
      {L"", L"noextension", true},
  };
  for (const auto& c : filters) EXPECT_EQ(PassesExtensionFilter(c.filter, c.name), c.passes) << c.name;

  const std::vector<std::wstring> excludes = {L"", L"c:\\games\\junk"};  // "" must not exclude all
  EXPECT_TRUE(IsExcludedFolder(excludes, L"C:\\Games\\Junk"));
  EXPECT_TRUE(IsExcludedFolder(excludes, L"C:\\GAMES\\JUNK\\Sub"));
  EXPECT_TRUE(IsExcludedFolder(excludes, L"\\\\?\\C:\\Games\\Junk"));
  EXPECT_FALSE(IsExcludedFolder(excludes, L"C:\\Games"));
  EXPECT_FALSE(IsExcludedFolder(excludes, L"D:\\Tools"));
}

TEST(FileWalkRoots, UserFoldersFirstThenTheFixedTable) {
  const std::wstring appData = L"C:\\users\\someone\\AppData";
  const std::vector<WalkRoot> expected = {
      {L"D:\\Mine", L"", true},
      {L"\\\\?\\E:\\Other", L"", true},
      {L"C:\\Windows\\System32", L"*.dll*.ime", false},
      {L"C:\\Windows\\Syswow64", L"*.dll*.ime", false},
      {L"C:\\Windows\\System32\\config\\systemprofile\\AppData", L"*.dll*.exe*.sys*.ime", true},
      {L"C:\\Windows\\Syswow64\\config\\systemprofile\\AppData", L"*.dll*.exe*.sys*.ime", true},
      {L"C:\\Program Files (x86)", L"*.dll*.exe*.sys*.ime", true},
      {L"C:\\Program Files", L"*.dll*.exe*.sys*.ime", true},
      {appData, L"*.dll*.exe*.sys*.ime", true},
  };
  EXPECT_EQ(FileScanRoots({L"D:\\Mine\\", L"\\\\?\\E:\\Other"}, appData), expected);
}

// R: a.dll, S1\, b.dll, S2\, c.dll; S1: s1.dll, S1a\; S1a: x.dll; S2: s2.dll.
void BuildSiblingTree(FakeFileSystem& fs) {
  fs.Folder(L"\\\\?\\C:\\R", {{L"a.dll", kFile},
                             {L"S1", kFolder},
                             {L"b.dll", kFile},
                             {L"S2", kFolder},
                             {L"c.dll", kFile}});
  fs.Folder(L"\\\\?\\C:\\R\\S1", {{L"s1.dll", kFile}, {L"S1a", kFolder}});
  fs.Folder(L"\\\\?\\C:\\R\\S1\\S1a", {{L"x.dll", kFile}});
  fs.Folder(L"\\\\?\\C:\\R\\S2", {{L"s2.dll", kFile}});
}

TEST(FileWalkOrder, OrderExclusionAndSubfolderFlag) {
  struct Case {
    const char* what;
    std::vector<std::wstring> excludes;
    std::wstring filter;
    bool withSubfolders;
    std::vector<std::wstring> examined;
    std::vector<std::wstring> listedFolders;
  };
  const Case cases[] = {
      {"parent's files first, then the later sibling", {}, L"", true,
       {L"a.dll", L"b.dll", L"c.dll", L"s2.dll", L"s1.dll", L"x.dll"},
       {L"C:\\R", L"C:\\R\\S2", L"C:\\R\\S1", L"C:\\R\\S1\\S1a"}},
      {"an excluded folder and everything below it", {L"c:\\r\\s1"}, L"", true,
       {L"a.dll", L"b.dll", L"c.dll", L"s2.dll"},
       {L"C:\\R", L"C:\\R\\S2"}},
      {"an excluded root", {L"c:\\r"}, L"", true, {}, {}},
      {"without subfolders a folder is only a name", {}, L"*.dll*.ime", false,
       {L"a.dll", L"b.dll", L"c.dll"},
       {L"C:\\R"}},
  };
  for (const auto& c : cases) {
    WalkFixture fx;
    BuildSiblingTree(fx.fs);
    fx.rules.ExcludePathList = c.excludes;
    fx.Walk().ScanTree(L"C:\\R", c.filter, c.withSubfolders);
    EXPECT_EQ(fx.Examined(), c.examined) << c.what;
    std::vector<std::wstring> listedFolders;
    for (const auto& p : fx.fs.listed) listedFolders.push_back(ShownPath(p.substr(0, p.size() - 2)));
    EXPECT_EQ(listedFolders, c.listedFolders) << c.what;
  }
}

TEST(FileWalkEntries, SkipsLinksDotsAndEndsAtAnEmptyName) {
  WalkFixture fx;
  fx.fs.Folder(L"\\\\?\\C:\\R", {{L"linked", kLink},
                                {L"link.dll", kFile | kEntryIsReparsePoint},
                                {L"drivers", kFolder},
                                {L"noext", kFile},
                                {L"DLL", kFile},
                                {L"ok.IME", kFile},
                                {L"", kFile},
                                {L"after.dll", kFile}});
  fx.fs.Folder(L"\\\\?\\C:\\R\\linked", {{L"inside.dll", kFile}});
  fx.Walk().ScanTree(L"C:\\R", kSystemFolderFilter, true);
  EXPECT_EQ(fx.Examined(), (std::vector<std::wstring>{L"DLL", L"ok.IME"}));
  EXPECT_EQ(fx.fs.listed, (std::vector<std::wstring>{L"\\\\?\\C:\\R\\*", L"\\\\?\\C:\\R\\drivers\\*"}));
}

TEST(FileWalkFindings, SignerMatchesBecomeFileFindings) {
  WalkFixture fx;
  fx.rules.SignList = {L"junk vendor", L"microsoft"};
  fx.fs.Folder(L"\\\\?\\C:\\Tools\\Junk",
               {{L"Setup.EXE", kFile}, {L"other.dll", kFile}, {L"ms.dll", kFile}, {L"plain.dll", kFile}});
  fx.fs.signers = {{L"\\\\?\\C:\\Tools\\Junk\\Setup.EXE", L"Vx Junk Vendor Ltd"},
                   {L"\\\\?\\C:\\Tools\\Junk\\other.dll", L"Someone Else"},
                   {L"\\\\?\\C:\\Tools\\Junk\\ms.dll", L"Microsoft Junk Vendor Corporation"}};
  fx.Walk().ScanRoots({{L"C:\\Tools\\Junk", L"", true}});

  Finding expected;
  expected.Name = L"Setup.EXE";
  expected.FilePath = L"c:\\tools\\junk\\Setup.EXE";
  expected.Company = L"Vx Junk Vendor Ltd";
  expected.FileDescription = L"desc of \\\\?\\C:\\Tools\\Junk\\Setup.EXE";
  expected.ProductName = L"product of \\\\?\\C:\\Tools\\Junk\\Setup.EXE";
  expected.Type = L"文件";
  expected.StartPath = expected.FilePath;
  expected.MatchMethod = L"junk vendor";
  EXPECT_EQ(fx.window.posted, std::vector<Finding>{expected});
  EXPECT_EQ(fx.window.statuses,
            (std::vector<std::wstring>{L"正在扫描：C:\\Tools\\Junk\\Setup.EXE", L"正在扫描：C:\\Tools\\Junk\\other.dll",
                                       L"正在扫描：C:\\Tools\\Junk\\ms.dll", L"正在扫描：C:\\Tools\\Junk\\plain.dll"}));
}

TEST(FileWalkFindings, PrefixedRootsAndPathsPastMaxPath) {
  // A root given in the long form keeps one prefix; a folder chain far beyond 260 characters is
  // reached through it and shown without it.
  WalkFixture fx;
  std::wstring folder = L"\\\\?\\C:\\Deep";
  fx.fs.Folder(folder, {{std::wstring(100, L'a'), kFolder}});
  for (int level = 0; level < 3; ++level) {
    folder += L"\\" + std::wstring(100, L'a');
    fx.fs.Folder(folder, level < 2 ? std::vector<ListedEntry>{{std::wstring(100, L'a'), kFolder}}
                                   : std::vector<ListedEntry>{{L"Far.dll", kFile}});
  }
  fx.fs.signers[folder + L"\\Far.dll"] = L"Junk Vendor";
  fx.Walk().ScanRoots({{L"\\\\?\\C:\\Deep", L"", true}});
  ASSERT_EQ(fx.window.posted.size(), 1u);
  const std::wstring shown = text::LowerAZ(folder.substr(4)) + L"\\Far.dll";
  EXPECT_GT(shown.size(), 300u);
  EXPECT_EQ(fx.window.posted[0].FilePath, shown);
  EXPECT_EQ(fx.fs.signerReads, std::vector<std::wstring>{folder + L"\\Far.dll"});
  for (const auto& pattern : fx.fs.listed) EXPECT_FALSE(text::Contains(pattern.substr(1), L"\\\\?\\")) << pattern;
}

TEST(FileWalkStop, AStopEndsTheWalkAndKeepsWhatWasPosted) {
  WalkFixture fx;
  BuildSiblingTree(fx.fs);
  for (const wchar_t* name : {L"a.dll", L"b.dll", L"c.dll"}) {
    fx.fs.signers[std::wstring(L"\\\\?\\C:\\R\\") + name] = L"Junk Vendor";
  }
  fx.fs.Folder(L"\\\\?\\C:\\Next", {{L"n.dll", kFile}});
  // The user presses stop while the second file is read.
  fx.fs.afterSignerRead = [&] {
    if (fx.fs.signerReads.size() == 2) fx.stop = true;
  };
  fx.Walk().ScanRoots({{L"C:\\R", L"", true}, {L"C:\\Next", L"", true}});
  EXPECT_EQ(fx.Examined(), (std::vector<std::wstring>{L"a.dll", L"b.dll"}));
  ASSERT_EQ(fx.window.posted.size(), 2u);
  EXPECT_EQ(fx.window.posted[1].Name, L"b.dll");
  EXPECT_EQ(fx.fs.listed, std::vector<std::wstring>{L"\\\\?\\C:\\R\\*"});
}

TEST(FileWalkStatus, PacedStatusLinesShowTheFirstFileThenOnePerInterval) {
  WalkFixture fx;
  std::vector<ListedEntry> files;
  for (int i = 0; i < 6; ++i) files.push_back({L"f" + std::to_wstring(i) + L".dll", kFile});
  fx.fs.Folder(L"\\\\?\\C:\\P", files);
  std::uint64_t now = 0;
  fx.fs.afterSignerRead = [&] { now += 40; };  // each file takes 40 ms
  FileWalk walk(fx.fs, fx.window, fx.stop, fx.rules.ExcludePathList,
                [](const std::wstring&) { return std::nullopt; }, StatusPacing{[&] { return now; }, 100});
  walk.ScanTree(L"C:\\P", L"", true);
  EXPECT_EQ(fx.window.statuses, (std::vector<std::wstring>{L"正在扫描：C:\\P\\f0.dll", L"正在扫描：C:\\P\\f3.dll"}));
  EXPECT_EQ(fx.fs.signerReads.size(), 6u);
}

TEST(FileWalkMemory, OnlyPendingFoldersWait) {
  // A wide folder of files and a chain of folders: the stack holds folders, never files.
  WalkFixture fx;
  std::vector<ListedEntry> wide;
  for (int i = 0; i < 500; ++i) wide.push_back({L"f" + std::to_wstring(i) + L".dll", kFile});
  wide.push_back({L"A", kFolder});
  wide.push_back({L"B", kFolder});
  fx.fs.Folder(L"\\\\?\\C:\\W", wide);
  fx.fs.Folder(L"\\\\?\\C:\\W\\B", {{L"C", kFolder}});
  FileWalk walk = fx.Walk();
  walk.ScanTree(L"C:\\W", L"", true);
  EXPECT_EQ(walk.PeakPendingFolders(), 2u);
  EXPECT_EQ(fx.fs.signerReads.size(), 500u);
}

}  // namespace
