#pragma once
// Helpers of the launch and clean-up tests: an extraction folder filled the way the cabinet
// engine fills it, with its records in the package initialiser.

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "package/QirvaInitalizer.h"

// Writes each file below extractPath (ending with a backslash) in the given order and records it
// as the cabinet engine does: files and folders newest first, every folder between the
// extraction folder and a file (the deepest first), created folders as they are made.
inline void ExtractLikeTheEngine(const std::wstring& extractPath, const std::vector<std::wstring>& relativeFiles,
                                 const std::string& bytes = "MZ") {
    std::wstring root = extractPath.substr(0, extractPath.size() - 1);
    for (const auto& relative : relativeFiles) {
        std::wstring path = extractPath + relative;
        std::wstring chain = path.substr(0, path.find_last_of(L'\\'));
        auto& folders = theInitializer.packageFolders;
        while (chain.size() > root.size() && std::find(folders.begin(), folders.end(), chain) == folders.end()) {
            folders.push_front(chain);
            chain = chain.substr(0, chain.find_last_of(L'\\'));
        }
        for (size_t slash = path.find(L'\\', extractPath.size()); slash != std::wstring::npos;
             slash = path.find(L'\\', slash + 1)) {
            if (CreateDirectoryW(path.substr(0, slash).c_str(), nullptr))
                theInitializer.createdFolders.push_front(path.substr(0, slash));
        }
        WriteBytes(path, bytes);
        theInitializer.writtenFiles.push_front(path);
        theInitializer.packageFiles.push_front(path);
    }
}

inline void ClearExtractionRecords() {
    theInitializer.writtenFiles.clear();
    theInitializer.packageFiles.clear();
    theInitializer.createdFolders.clear();
    theInitializer.packageFolders.clear();
}
