#include "extract/EmptyingGuard.h"

#include <cwctype>

#include "util/FolderText.h"

namespace {

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// True when descendant lies strictly inside ancestor (both in comparison form).
bool IsInside(const std::wstring& descendant, const std::wstring& ancestor) {
    if (ancestor.empty() || descendant.size() <= ancestor.size() || !StartsWith(descendant, ancestor)) return false;
    // A drive root keeps its backslash ("c:\"); every other ancestor is followed by one.
    return ancestor.back() == L'\\' || descendant[ancestor.size()] == L'\\';
}

// "c:\" and "c:", or "\\server\share" with nothing below it.
bool IsRoot(const std::wstring& path) {
    if (path.size() <= 3 && path.size() >= 2 && path[1] == L':') return true;
    if (StartsWith(path, L"\\\\")) {
        size_t server = path.find(L'\\', 2);
        return server == std::wstring::npos || path.find(L'\\', server + 1) == std::wstring::npos;
    }
    return path.empty();
}

}  // namespace

std::wstring FolderComparisonForm(const std::wstring& path) {
    // The same normal form in which the extraction folder was validated and stored.
    std::wstring text = NormalizeFolderText(path);
    if (text.size() == 2 && text[1] == L':') text += L'\\';
    for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

bool IsProtectedFromEmptying(const std::wstring& resolvedFolder, const CFolderGuard& guard) {
    const std::wstring folder = FolderComparisonForm(resolvedFolder);
    if (IsRoot(folder)) return true;
    auto guardsFolder = [&](const std::wstring& entry) {
        std::wstring guarded = FolderComparisonForm(entry);
        if (guarded.empty()) return false;
        return guarded == folder || IsInside(guarded, folder);  // the folder itself, or one of its parents
    };
    for (const auto& tree : guard.wholeTrees) {
        if (guardsFolder(tree) || IsInside(folder, FolderComparisonForm(tree))) return true;
    }
    for (const auto& parent : guard.withChildren) {
        std::wstring guarded = FolderComparisonForm(parent);
        if (guardsFolder(parent)) return true;
        // A direct subfolder: inside the parent with no further backslash.
        if (IsInside(folder, guarded) &&
            folder.find(L'\\', guarded.size() + (guarded.back() == L'\\' ? 0 : 1)) == std::wstring::npos)
            return true;
    }
    for (const auto& entry : guard.folders)
        if (guardsFolder(entry)) return true;
    return false;
}
