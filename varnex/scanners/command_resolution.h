// Which file a command line, registry value or COM class stands for. Shared by every registry and
// shell scanner. Nothing here reports an error: a text always comes back.
#pragma once

#include <functional>
#include <string>

namespace varnex::scanners {

// The two platform questions command resolution asks, so the text rules can run without Windows.
struct ResolveSeams {
  std::function<bool(const std::wstring& path)> pathExists;
  // Expands environment references; false when that fails or the result does not fit.
  std::function<bool(const std::wstring& in, std::wstring& out)> expand;
};

// The program or module file a command runs: quotes and arguments stripped, rundll32 unwrapped,
// the program-files placeholders replaced, variables expanded, bare names completed with the
// system folder. A command without a known module extension comes back as given, less its quotes.
std::wstring ResolveCommandPathWith(std::wstring command, const ResolveSeams& seams);

// ResolveCommandPathWith bound to the real file system and environment.
std::wstring ResolveCommandPath(std::wstring command);

// The server file registered for a COM class ("{...}" as read from the registry): InprocServer32
// (64-bit view, else the 32-bit one when the 64-bit key cannot be opened), then LocalServer32, and
// a .NET class's CodeBase. "" when nothing is registered. Returned as stored, unexpanded.
std::wstring GetComServerPath(const std::wstring& clsid);

}  // namespace varnex::scanners
