#include "cleanup/DeleteOnExit.h"

#include <windows.h>

#include <algorithm>

#include "log/BuildLogFile.h"
#include "package/QirvaInitalizer.h"
#include "util/Handles.h"
#include "util/Util.h"

namespace {

std::wstring WithoutTrailingBackslash(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

bool IsExistingFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Listed(const CPathList& list, const std::wstring& path) {
    return list.Contains(path);
}

// Deletes the listed files oldest first (the lists grow at their head), read-only ones too,
// logging each with deletingFormat and every failure.
void DeleteListedFiles(const CPathList& files, const wchar_t* function, const wchar_t* deletingFormat) {
    for (auto entry = files.rbegin(); entry != files.rend(); ++entry) {
        const std::wstring file = *entry;
        theLog.Log(LOG_INFO, function, deletingFormat, file);
        CUtil::ClearReadOnly(file);
        if (!DeleteFileW(file.c_str())) theLog.Log(LOG_INFO, function, L"Could not delete file : %s", file);
        Sleep(10);
    }
}

// The verdict of IsPackageOnlyFolder, carried through its recursion.
bool packageFilesOnly = true;
bool packageFoldersOnly = true;

}  // namespace

bool PathLiesWithin(const std::wstring& path, const std::wstring& folder) {
    std::wstring inner = WithoutTrailingBackslash(path);
    std::wstring outer = WithoutTrailingBackslash(folder);
    if (outer.empty() || inner.size() < outer.size()) return false;
    if (_wcsnicmp(inner.c_str(), outer.c_str(), outer.size()) != 0) return false;
    return inner.size() == outer.size() || inner[outer.size()] == L'\\' || outer.back() == L'\\';
}

void DeleteExtractedContents() {
    const wchar_t* function = L"DeleteExtractedContents";
    auto& files = theInitializer.writtenFiles;
    DeleteListedFiles(files, function, L"Deleting file : %s\n");
    for (const auto& folder : theInitializer.createdFolders) {
        if (folder.empty()) continue;
        theLog.Log(LOG_INFO, function, L"Deleting folder : %s", folder);
        if (CUtil::DeleteTree(folder) == 0) theLog.Log(LOG_INFO, function, L"Could not delete folder : %s", folder);
        Sleep(10);
    }
    const std::wstring& tested = theUtil.GetTestCreatedFolder();
    if (!tested.empty()) {
        theLog.Log(LOG_INFO, function, L"Deleting folder : %s", tested);
        if (CUtil::DeleteTree(tested) == 0) theLog.Log(LOG_INFO, function, L"Could not delete folder : %s", tested);
    }
    files.clear();
    theInitializer.createdFolders.clear();
}

void DeleteExtractedFilesAndFolders() {
    const wchar_t* function = L"DeleteExtractedFilesAndFolders";
    auto& files = theInitializer.packageFiles;
    auto& folders = theInitializer.packageFolders;
    DeleteListedFiles(files, function, L"Deleting file : %s");
    // Newest first: a folder's parent was recorded after it, so the parent comes first and takes
    // its listed subfolders with it.
    for (const auto& folder : folders) {
        if (!folder.empty() && IsExistingFolder(folder) && DeleteDirectory(folder) == 0)
            theLog.Log(LOG_INFO, function, L"Could not delete folder : %s", folder);
        Sleep(10);
    }
    // The folders that the path test created for the extraction folder existed for this run only.
    // They go when they are empty now; whatever someone put into them in the meantime stays, with
    // the folders that hold it.
    const std::wstring tested = WithoutTrailingBackslash(theUtil.GetTestCreatedFolder());
    const std::wstring extractPath = theInitializer.GetExtractPath();
    if (!tested.empty() && PathLiesWithin(extractPath, tested)) {
        theLog.Log(LOG_INFO, function, L"Deleting folder : %s", tested);
        std::wstring current = WithoutTrailingBackslash(extractPath);
        while (current.size() >= tested.size() && RemoveDirectoryW(current.c_str())) {
            size_t slash = current.find_last_of(L'\\');
            if (slash == std::wstring::npos) break;
            current = current.substr(0, slash);
        }
        if (IsExistingFolder(tested)) theLog.Log(LOG_INFO, function, L"Could not delete folder : %s", tested);
    }
    files.clear();
    folders.clear();
}

int DeleteDirectory(const std::wstring& folderIn) {
    const std::wstring folder = WithoutTrailingBackslash(folderIn);
    if (!IsExistingFolder(folder)) return -1;
    bool kept = false;
    ForEachFolderEntry(folder + L"\\*", [&](const WIN32_FIND_DATAW& data) {
        std::wstring entry = folder + L"\\" + data.cFileName;
        // A file that is still there, or a folder that extraction did not make, keeps it.
        kept = !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !Listed(theInitializer.packageFolders, entry);
        if (kept) return false;
        // A listed subfolder that stays makes the removal below fail as well.
        return DeleteDirectory(entry) != 0;
    });
    if (kept) return 0;
    theLog.Log(LOG_INFO, L"DeleteDirectory", L"Deleting folder : %s", folder);
    return RemoveDirectoryW(folder.c_str()) ? 1 : 0;
}

bool IsPackageOnlyFolder(const std::wstring& folderIn, int resetFlag) {
    if (resetFlag == 1) {
        packageFilesOnly = true;
        packageFoldersOnly = true;
    }
    const std::wstring folder = WithoutTrailingBackslash(folderIn);
    ForEachFolderEntry(folder + L"\\*.*", [&folder](const WIN32_FIND_DATAW& data) {
        std::wstring entry = folder + L"\\" + data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!Listed(theInitializer.packageFolders, entry)) packageFoldersOnly = false;
            IsPackageOnlyFolder(entry, 0);
        } else if (!Listed(theInitializer.packageFiles, entry)) {
            packageFilesOnly = false;
        }
        return packageFilesOnly && packageFoldersOnly;
    });
    return packageFilesOnly && packageFoldersOnly;
}

std::string HandOverFileBytes(const std::vector<std::wstring>& lines) {
    bool narrow = true;
    for (const auto& line : lines)
        for (wchar_t c : line) narrow = narrow && c <= 0xFF;
    std::string bytes;
    if (narrow) {
        for (const auto& line : lines) {
            for (wchar_t c : line) bytes += static_cast<char>(c);
            bytes += "\r\n";
        }
        return bytes;
    }
    // A path the 8-bit text cannot hold would reach the frame setup as a different path.
    bytes = "\xFF\xFE";
    for (const auto& line : lines) {
        for (wchar_t c : line + L"\r\n") {
            bytes += static_cast<char>(c & 0xFF);
            bytes += static_cast<char>((c >> 8) & 0xFF);
        }
    }
    return bytes;
}

int WriteToDeletetxt() {
    const wchar_t* function = L"WriteToDeletetxt";
    const std::wstring extractPath = theInitializer.GetExtractPath();
    const std::wstring path = extractPath + HANDOVER_FILE_NAME;
    auto& files = theInitializer.packageFiles;
    // The list file is the last file the frame setup deletes; writing the file again (one frame
    // setup after another) keeps it listed once.
    files.remove(path);
    files.push_front(path);

    KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file) return 0;

    std::vector<std::wstring> lines = {L"[FilesToDelete]"};
    for (auto entry = files.rbegin(); entry != files.rend(); ++entry) {
        theLog.Log(LOG_INFO, function, L"writing file name to ExtractedFilesToDelete.txt: %s", *entry);
        lines.push_back(*entry);
    }
    const auto& folders = theInitializer.packageFolders;
    for (auto entry = folders.rbegin(); entry != folders.rend(); ++entry) {
        theLog.Log(LOG_INFO, function, L"writing folder name to ExtractedFilesToDelete.txt: %s", *entry);
        if (IsPackageOnlyFolder(*entry, 1)) lines.push_back(*entry);
    }
    const std::wstring& tested = theUtil.GetTestCreatedFolder();
    if (!tested.empty()) {
        theLog.Log(LOG_INFO, function, L"writing extraction folder name to ExtractedFilesToDelete.txt: %s", tested);
        if (PathLiesWithin(extractPath, tested)) lines.push_back(tested);
    }

    std::string bytes = HandOverFileBytes(lines);
    DWORD written = 0;
    bool complete = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    return complete ? 1 : 0;
}
