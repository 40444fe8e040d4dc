// Rule files, bytes in and lines out. The files are UTF-16LE after a 2-byte mark that is skipped
// unread; only a fixed number of bytes after it is read; runs of CR/LF separate lines, each line
// is trimmed, and the first line that is empty after trimming (or a 0 character) ends the file.
// Each file then keeps and changes its lines by its own rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "rule_data.h"

namespace varnex {

std::vector<std::wstring> ParseRuleLines(const std::uint8_t* data, std::size_t size, std::size_t byteLimit);

// What the line rules need from the system.
struct RuleLineEnv {
  // Environment expansion; answers false when it fails or does not fit (the line then stays).
  std::function<bool(const std::wstring& in, std::wstring& out)> expand;
  // Whether a file or folder exists at the path.
  std::function<bool(const std::wstring& path)> exists;
};

enum class RuleFileKind { ScanPath, ExcludePath, AppDataInfo, WhitePath, Sign, Folder };

struct RuleFileSpec {
  RuleFileKind kind;
  const wchar_t* relativePath;    // after the program folder, such as "\data\sign.txt"
  std::size_t byteLimit;          // bytes read after the mark
  const wchar_t* missingMessage;  // nullptr: a missing file is silent
};

const RuleFileSpec& SpecOf(RuleFileKind kind);

// Applies the file's line rule to the parsed lines and appends what is kept to its list(s).
void ApplyLineRule(RuleFileKind kind, const std::vector<std::wstring>& lines, const RuleLineEnv& env,
                   RuleData& rules);

// True when the load of this file must not run because its list already holds entries.
bool ListAlreadyFilled(RuleFileKind kind, const RuleData& rules);

// The temporary-folder warning: the lower-cased path contains "\temp\" after its start.
bool IsInTemporaryFolder(const std::wstring& path);

inline constexpr const wchar_t* kTempFolderMessage =
    L"请不要在临时目录运行本软件！一般是解压软件里双击或浏览器下载时直接点击打开导致。下载时应选择保存，用解压软件打开后应全选解压。";

}  // namespace varnex
