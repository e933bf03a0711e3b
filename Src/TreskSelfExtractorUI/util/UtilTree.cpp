#include <windows.h>

#include "util/Handles.h"
#include "util/Util.h"

namespace {

enum class TreeMode {
    Delete,   // DeleteTree: read-only files are made normal; the first failure stops the walk
    Remove,   // RemoveFolderTree: write permission added; the first failure stops the walk
    Collect,  // RemoveFolderTreeCollect: every entry that stays is recorded and the walk goes on
};

std::wstring WithoutTrailingBackslash(std::wstring folder) {
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    return folder;
}

void AddWritePermission(const std::wstring& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

int RemoveTree(const std::wstring& folderIn, TreeMode mode, TextList* remaining) {
    std::wstring folder = WithoutTrailingBackslash(folderIn);
    // The search is closed when the walk returns, before the folder itself is removed.
    ForEachFolderEntry(folder + L"\\*", [&](const WIN32_FIND_DATAW& data) {
        std::wstring entry = folder + L"\\" + data.cFileName;
        bool removed;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                // A junction or folder link: remove the link itself and never walk into the
                // folder it points to, which may lie anywhere on the machine.
                removed = RemoveDirectoryW(entry.c_str()) != 0;
            } else {
                removed = RemoveTree(entry, mode == TreeMode::Delete ? TreeMode::Delete : TreeMode::Remove,
                                     nullptr) == 1;
            }
        } else {
            if (mode == TreeMode::Delete)
                CUtil::ClearReadOnly(entry);
            else
                AddWritePermission(entry, data.dwFileAttributes);
            removed = DeleteFileW(entry.c_str()) != 0;
        }
        if (removed) return true;
        if (mode != TreeMode::Collect || !remaining) return false;
        remaining->push_front(entry);
        return true;
    });
    return RemoveDirectoryW(folder.c_str()) ? 1 : 0;
}

}  // namespace

int CUtil::DeleteTree(const std::wstring& folder) {
    DWORD attributes = GetFileAttributesW(WithoutTrailingBackslash(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return -1;
    return RemoveTree(folder, TreeMode::Delete, nullptr);
}

int CUtil::RemoveFolderTree(const std::wstring& folder) {
    return RemoveTree(folder, TreeMode::Remove, nullptr);
}

int CUtil::RemoveFolderTreeCollect(const std::wstring& folder, TextList& remaining) {
    return RemoveTree(folder, TreeMode::Collect, &remaining);
}

unsigned CUtil::ClearReadOnly(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
    if ((attributes & FILE_ATTRIBUTE_READONLY) && !SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL))
        return GetLastError();
    return 0;
}

bool CUtil::IsEmptyFolder(const std::wstring& folder) {
    std::wstring pattern = folder;
    CUtil::AddTrailingBackslash(pattern);
    // A folder that cannot be searched counts as empty.
    bool empty = true;
    ForEachFolderEntry(pattern + L"*", [&empty](const WIN32_FIND_DATAW&) {
        empty = false;
        return false;  // one entry is enough
    });
    return empty;
}
