#include "varnex/scanners/scheduled_task_walk.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "varnex/scanners/command_resolution.h"

using namespace varnex;
using namespace varnex::scanners;

namespace {

using Kind = TaskAction::Kind;

struct FakeTask : IScheduledTaskView {
  std::optional<std::wstring> name, path;
  std::optional<TaskAction> action;
  std::optional<std::wstring> Name() const override { return name; }
  std::optional<std::wstring> Path() const override { return path; }
  std::optional<TaskAction> FirstAction() const override { return action; }
};

struct FakeFolder : ITaskFolderView {
  std::vector<FakeTask> tasks;
  std::vector<FakeFolder> subfolders;
  std::vector<std::unique_ptr<IScheduledTaskView>> Tasks() const override {
    std::vector<std::unique_ptr<IScheduledTaskView>> out;
    for (const auto& t : tasks) out.push_back(std::make_unique<FakeTask>(t));
    return out;
  }
  std::vector<std::unique_ptr<ITaskFolderView>> Subfolders() const override {
    std::vector<std::unique_ptr<ITaskFolderView>> out;
    for (const auto& f : subfolders) out.push_back(std::make_unique<FakeFolder>(f));
    return out;
  }
};

FakeTask Task(const std::wstring& name, TaskAction action) {
  FakeTask t;
  t.name = name;
  t.path = L"\\" + name;
  t.action = std::move(action);
  return t;
}

TaskAction Exec(std::optional<std::wstring> program, std::optional<std::wstring> arguments = L"",
                std::optional<std::wstring> workingDirectory = std::nullopt) {
  TaskAction a;
  a.kind = Kind::Exec;
  a.program = std::move(program);
  a.arguments = std::move(arguments);
  a.workingDirectory = std::move(workingDirectory);
  return a;
}

// Resolution against a machine with cmd.exe in System32, one registered class, and an identity
// that names the file it was given, so the Findings show which file was described.
struct Recorder {
  std::vector<Finding> findings;
  TaskScanSeams Seams() {
    const std::set<std::wstring> existing = {L"C:\\Windows\\System32\\cmd.exe"};
    const ResolveSeams machine{[existing](const std::wstring& p) { return existing.count(p) > 0; },
                               [](const std::wstring& in, std::wstring& out) {
                                 out = in;
                                 return true;
                               }};
    return TaskScanSeams{
        [machine](const std::wstring& command) { return ResolveCommandPathWith(command, machine); },
        [](const std::wstring& clsid) {
          return clsid == L"{11111111-2222-3333-4444-555555555555}" ? std::wstring(L"\"C:\\Vendor\\Handler.DLL\"")
                                                                   : std::wstring();
        },
        [](Finding& f) { f.FileDescription = L"about " + f.FilePath; },
        [this](Finding f) { findings.push_back(std::move(f)); }};
  }
};

}  // namespace

TEST(ScheduledTaskWalk, FindingOfFirstAction) {
  TaskAction com;
  com.kind = Kind::ComHandler;
  com.classId = L"{11111111-2222-3333-4444-555555555555}";
  TaskAction unknownCom = com;
  unknownCom.classId = L"{00000000-0000-0000-0000-000000000000}";
  TaskAction unreadableCom = com;
  unreadableCom.classId.reset();

  struct Case {
    TaskAction action;
    const wchar_t* filePath;
    const wchar_t* binPath;
  } cases[] = {
      {Exec(L"cmd", L"/c start x"), L"C:\\Windows\\System32\\cmd.exe", L"cmd.exe /c start x"},
      {Exec(L"C:\\Windows\\System32\\rundll32.exe", L"C:\\Data\\mod.dll,Run"), L"c:\\data\\mod.dll",
       L"c:\\windows\\system32\\rundll32.exe C:\\Data\\mod.dll,Run"},
      {Exec(L"Updater.exe", L"-q", L"C:\\Program Files\\Vendor"), L"c:\\program files\\vendor\\updater.exe",
       L"C:\\Program Files\\Vendor\\updater.exe -q"},
      {Exec(L"updater.exe", L"", L"C:\\Program Files\\Vendor\\"), L"c:\\program files\\vendor\\updater.exe",
       L"C:\\Program Files\\Vendor\\updater.exe "},
      {Exec(L"updater.exe"), L"C:\\Windows\\SysWOW64\\updater.exe", L"updater.exe "},
      // An empty working directory is no directory; one whose name holds "null" is a directory.
      {Exec(L"updater.exe", L"", L""), L"C:\\Windows\\SysWOW64\\updater.exe", L"updater.exe "},
      {Exec(L"updater.exe", L"", L"D:\\nullsoft"), L"d:\\nullsoft\\updater.exe", L"D:\\nullsoft\\updater.exe "},
      {Exec(L"c:\\cmdtools\\run"), L"c:\\cmdtools\\run.exe", L"c:\\cmdtools\\run.exe "},
      {Exec(L"C:/PS/PowerShell", L"-w hidden"), L"c:\\ps\\powershell.exe", L"c:/ps/powershell.exe -w hidden"},
      {Exec(std::nullopt, L"-x"), L"", L""},
      {Exec(L"C:\\App\\a.exe", std::nullopt), L"c:\\app\\a.exe", L""},
      {com, L"c:\\vendor\\handler.dll", L"HKEY_CLASSES_ROOT\\CLSID\\{11111111-2222-3333-4444-555555555555}"},
      {unknownCom, L"", L"HKEY_CLASSES_ROOT\\CLSID\\{00000000-0000-0000-0000-000000000000}"},
      {unreadableCom, L"", L""},
      {TaskAction{}, L"", L""},
  };
  for (const auto& c : cases) {
    Recorder recorder;
    FakeFolder root;
    root.tasks.push_back(Task(L"T", c.action));
    ScanTaskFolder(root, recorder.Seams());
    ASSERT_EQ(recorder.findings.size(), 1u) << c.binPath;
    const Finding& f = recorder.findings[0];
    EXPECT_EQ(f.FilePath, c.filePath) << c.binPath;
    EXPECT_EQ(f.BinPath, c.binPath) << c.filePath;
    EXPECT_EQ(f.Name, L"T");
    EXPECT_EQ(f.StartPath, L"\\T");
    EXPECT_EQ(f.Type, L"计划任务");
    EXPECT_EQ(f.Descrip, L"about " + std::wstring(c.filePath));
    EXPECT_EQ(f.Descrip, f.FileDescription);
    EXPECT_TRUE(f.Id.empty() && f.MatchMethod.empty());
  }
}

TEST(ScheduledTaskWalk, VisitsFolderTasksBeforeSubfoldersDepthFirst) {
  FakeFolder root, a, a1, b;
  root.tasks = {Task(L"r1", Exec(L"r1.exe")), Task(L"r2", Exec(L"r2.exe"))};
  a.tasks = {Task(L"a", Exec(L"a.exe"))};
  a1.tasks = {Task(L"a1", Exec(L"a1.exe"))};
  b.tasks = {Task(L"b", Exec(L"b.exe"))};
  // Tasks that give nothing: no readable name, no first action. One without a readable path still counts.
  FakeTask nameless = Task(L"x", Exec(L"x.exe"));
  nameless.name.reset();
  FakeTask actionless = Task(L"y", Exec(L"y.exe"));
  actionless.action.reset();
  FakeTask pathless = Task(L"b2", Exec(L"b2.exe"));
  pathless.path.reset();
  b.tasks.push_back(nameless);
  b.tasks.push_back(actionless);
  b.tasks.push_back(pathless);
  a.subfolders = {a1};
  root.subfolders = {a, b};

  Recorder recorder;
  const auto seams = recorder.Seams();
  ScanTaskFolder(root, seams);
  ScanTaskSubfolders(root, seams);

  std::vector<std::wstring> names, paths;
  for (const auto& f : recorder.findings) {
    names.push_back(f.Name);
    paths.push_back(f.StartPath);
  }
  EXPECT_EQ(names, (std::vector<std::wstring>{L"r1", L"r2", L"a", L"a1", L"b", L"b2"}));
  EXPECT_EQ(paths, (std::vector<std::wstring>{L"\\r1", L"\\r2", L"\\a", L"\\a1", L"\\b", L""}));
}
