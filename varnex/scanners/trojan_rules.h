// The shapes and names by which three trojan families are recognised on disk, and the Findings
// that report them. No Windows API here.
#pragma once

#include <array>
#include <string>

#include "../core/finding.h"

namespace varnex {

// Folder names of the Fenghua family: sixteen hexadecimal digits, either letter case.
bool IsFenghuaFolderName(const std::wstring& name);

// Driver file names of the lone-wolf rootkit: eight hexadecimal digits and ".sys", either case.
bool IsRootkitDriverName(const std::wstring& name);

// Known trojan driver names without ".sys", in the order they are looked for.
inline constexpr std::array<const wchar_t*, 14> kKnownTrojanDriverNames = {
    L"mspci",       L"msvga",       L"mspnp",      L"msdzpvx",  L"sptcom",
    L"udwnapi64",   L"isodisk64",   L"isodrvp64",  L"isodrivep64", L"gbProtect64",
    L"isoviewp64",  L"msvdskes",    L"isomgrp64",  L"msvpcies"};

inline constexpr const wchar_t* kWindowsFolder = L"C:\\Windows\\";
inline constexpr const wchar_t* kDriversFolder = L"C:\\Windows\\system32\\drivers\\";

// `folderName` and `fileName` as the folder listing spelled them.
Finding FenghuaFolderFinding(const std::wstring& folderName);
Finding RootkitDriverFinding(const std::wstring& fileName, const std::wstring& fileDescription,
                             const std::wstring& productName);
// `driversFolder` without the trailing "\", `knownName` without ".sys".
Finding KnownDriverFinding(const std::wstring& driversFolder, const std::wstring& knownName);

}  // namespace varnex
