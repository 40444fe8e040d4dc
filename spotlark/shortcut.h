// Where a shell link points.
#pragma once

#include <string>

namespace spotlark {

// The link's working folder joined with its target's file name when a working folder is set,
// otherwise its target path (in short form); "" when the link cannot be read.
std::wstring ResolveShortcut(const std::wstring& linkPath);

// What a dropped or chosen item shows in the path box: a link (".lnk" in its lower-cased path
// after the first character) is replaced by its resolved target in long form. A link that cannot
// be resolved keeps its own path rather than leaving the box empty.
std::wstring ResolveDroppedPath(const std::wstring& path);

}  // namespace spotlark
