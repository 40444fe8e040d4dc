#include "../../common/text/text_rules.h"
#include "scheduled_task_walk.h"

namespace varnex::scanners {
namespace {

// The program of an exec action as it is judged: lower-cased, a shell without extension given
// ".exe", a bare name placed in the task's working directory.
std::wstring ExecProgramFile(const std::wstring& program, const std::optional<std::wstring>& workingDirectory) {
  std::wstring file = text::LowerAZ(program);
  if ((text::Contains(file, L"cmd") || text::Contains(file, L"powershell")) && !text::Contains(file, L".exe")) {
    file += L".exe";
  }
  if (!text::Contains(file, L"\\") && !text::Contains(file, L"/") && workingDirectory && !workingDirectory->empty()) {
    const bool endsInSeparator = text::EndsWith(*workingDirectory, L"\\") || text::EndsWith(*workingDirectory, L"/");
    file = *workingDirectory + (endsInSeparator ? L"" : L"\\") + file;
  }
  return file;
}

}  // namespace

Finding ScheduledTaskFinding(const std::wstring& name, const std::optional<std::wstring>& path,
                             const TaskAction& action, const TaskScanSeams& seams) {
  Finding finding;
  finding.Type = L"计划任务";
  finding.Name = name;
  if (path) finding.StartPath = *path;

  if (action.kind == TaskAction::Kind::Exec) {
    if (action.program) {
      finding.FilePath = ExecProgramFile(*action.program, action.workingDirectory);
      if (action.arguments) {
        finding.BinPath = finding.FilePath + L" " + *action.arguments;
        // The module a rundll32 task loads is the file that matters.
        if (text::Contains(finding.BinPath, L"rundll32")) finding.FilePath = seams.resolveCommand(finding.BinPath);
      }
    }
  } else if (action.kind == TaskAction::Kind::ComHandler && action.classId) {
    finding.FilePath = seams.comServerPath(*action.classId);
    finding.BinPath = L"HKEY_CLASSES_ROOT\\CLSID\\" + *action.classId;
  }

  finding.FilePath = seams.resolveCommand(finding.FilePath);
  if (seams.fillIdentity) seams.fillIdentity(finding);
  finding.Descrip = finding.FileDescription;
  return finding;
}

void ScanTaskFolder(const ITaskFolderView& folder, const TaskScanSeams& seams) {
  for (const auto& task : folder.Tasks()) {
    const auto name = task->Name();
    if (!name) continue;
    const auto path = task->Path();
    const auto action = task->FirstAction();
    if (!action) continue;
    seams.consume(ScheduledTaskFinding(*name, path, *action, seams));
  }
}

void ScanTaskSubfolders(const ITaskFolderView& folder, const TaskScanSeams& seams) {
  for (const auto& subfolder : folder.Subfolders()) {
    ScanTaskFolder(*subfolder, seams);
    ScanTaskSubfolders(*subfolder, seams);
  }
}

}  // namespace varnex::scanners
