#pragma once
// Removes what extraction wrote, from the records the cabinet engine keeps, or hands the list of
// it to the frame setup that the package starts.

#include <string>
#include <vector>

// The hand-over file, written into the extraction folder for a frame setup that deletes the
// extracted files after it has finished.
constexpr const wchar_t* HANDOVER_FILE_NAME = L"ExtractedFilesToDelete.txt";

// After a cancelled extraction: every file this run wrote and every folder it created, and the
// folder a path test created.
void DeleteExtractedContents();

// Delete-on-exit: the package's files (oldest first), then its folders that hold nothing foreign,
// then the folders up to the one a path test created, each only when empty.
void DeleteExtractedFilesAndFolders();

// Removes a package folder after its listed subfolders: 1 deleted, 0 kept (it holds a file or a
// folder that is not the package's, or cannot be removed), -1 not a folder.
int DeleteDirectory(const std::wstring& folder);

// Writes the hand-over file: 1 written, 0 it cannot be created or written.
int WriteToDeletetxt();

// Whether the folder holds only package files and package folders, all the way down. The verdict
// is kept between calls; resetFlag 1 starts a new one.
bool IsPackageOnlyFolder(const std::wstring& folder, int resetFlag);

// The hand-over file's bytes: 8-bit text (one byte a character) with CR LF line ends when every
// character fits in a byte, otherwise UTF-16LE with byte-order mark and the same lines.
std::string HandOverFileBytes(const std::vector<std::wstring>& lines);

// Whether path is folder itself or lies inside it (whole folder names, any letter case, trailing
// backslashes ignored).
bool PathLiesWithin(const std::wstring& path, const std::wstring& folder);
