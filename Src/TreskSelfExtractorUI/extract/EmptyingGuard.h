#pragma once
// Before extraction an existing, non-empty extraction folder is emptied. Given as the extraction
// folder by mistake or on purpose, a system or shared folder would lose its contents; this guard
// decides which folders must never be emptied. The decision takes resolved paths and returns a
// plain answer; EmptyingGuardPlatform asks the system for the paths.

#include <string>
#include <vector>

struct CFolderGuard {
    // Never emptied, nor any folder inside them (the Windows folder).
    std::vector<std::wstring> wholeTrees;
    // Never emptied, nor their direct subfolders (the users folder: every profile).
    std::vector<std::wstring> withChildren;
    // Never emptied (the system's well-known folders, the program's folder, the package temporary
    // folder).
    std::vector<std::wstring> folders;
};

// The form in which paths are compared: the folder's normal form (util/FolderText.h: no "\\?\" or
// "\\?\UNC\" prefix, backslashes only, no repeated or trailing one; a drive root keeps its
// backslash), lower case.
std::wstring FolderComparisonForm(const std::wstring& path);

// True when emptying the folder (a long, final path: short names, links and aliases resolved)
// would destroy more than an earlier extraction: a drive or share root, a folder inside one of the
// whole trees, a direct subfolder of one of the withChildren folders, or a folder that is or
// contains any folder of the guard.
bool IsProtectedFromEmptying(const std::wstring& resolvedFolder, const CFolderGuard& guard);

// The long, final path of an existing folder: short names, "." and "..", trailing dots and blanks,
// "\\?\" forms, links and junctions resolved. Falls back to the long or full path name where the
// system cannot resolve further; empty for an empty path.
std::wstring ResolveFinalFolderPath(const std::wstring& path);

// The system's well-known folders, resolved: Windows and its system folders, both program-files
// folders and their common-files folders, ProgramData, the users folder with every profile, Public,
// the user's shell folders, the temporary folders, and the two given folders (the program's own
// and the package temporary folder).
CFolderGuard CollectProtectedFolders(const std::wstring& programFolder, const std::wstring& packageTempFolder);
