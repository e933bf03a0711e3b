// Folder-tree deletion on real trees in the prefix.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "util/Util.h"

namespace {

// a\f1 (read-only), a\b\f2, a\b\c\ (empty)
void MakeTree(const std::wstring& top) {
    CreateDirectoryW(top.c_str(), nullptr);
    CreateDirectoryW((top + L"\\b").c_str(), nullptr);
    CreateDirectoryW((top + L"\\b\\c").c_str(), nullptr);
    WriteBytes(top + L"\\f1", "1");
    WriteBytes(top + L"\\b\\f2", "2");
    SetFileAttributesW((top + L"\\f1").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW((top + L"\\b\\f2").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
}

TEST(FolderTree, WholeTreesAreRemoved) {
    ScratchFolder data(L"tree");
    struct Variant {
        const char* name;
        int (*remove)(const std::wstring&);
    };
    const Variant variants[] = {
        {"DeleteTree", CUtil::DeleteTree},
        {"RemoveFolderTree", CUtil::RemoveFolderTree},
        {"RemoveFolderTreeCollect",
         [](const std::wstring& f) {
             TextList remaining;
             int result = CUtil::RemoveFolderTreeCollect(f, remaining);
             return remaining.empty() ? result : -99;
         }},
    };
    for (const auto& v : variants) {
        MakeTree(data / L"a");
        EXPECT_EQ(v.remove(data / L"a"), 1) << v.name;
        EXPECT_FALSE(CUtil::FileExists(data / L"a")) << v.name;
        MakeTree(data / L"a");
        EXPECT_EQ(v.remove(data / L"a\\"), 1) << v.name << " with trailing backslash";
        EXPECT_FALSE(CUtil::FileExists(data / L"a")) << v.name;
    }
}

TEST(FolderTree, MissingFolders) {
    ScratchFolder data(L"treemiss");
    ASSERT_TRUE(WriteBytes(data / L"file", "x"));
    EXPECT_EQ(CUtil::DeleteTree(data / L"missing"), -1);
    EXPECT_EQ(CUtil::DeleteTree(data / L"file"), -1);
    EXPECT_TRUE(CUtil::FileExists(data / L"file"));
    EXPECT_EQ(CUtil::RemoveFolderTree(data / L"missing"), 0);
    TextList remaining;
    EXPECT_EQ(CUtil::RemoveFolderTreeCollect(data / L"missing", remaining), 0);
    EXPECT_TRUE(remaining.empty());
}

TEST(FolderTree, FileInUseStopsOrIsCollected) {
    ScratchFolder data(L"treebusy");
    MakeTree(data / L"a");
    WriteBytes(data / L"a\\busy", "x");
    WriteBytes(data / L"a\\zlast", "x");
    HANDLE busy = CreateFileW((data / L"a\\busy").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);

    TextList remaining;
    EXPECT_EQ(CUtil::RemoveFolderTreeCollect(data / L"a", remaining), 0);
    ASSERT_EQ(remaining.size(), 1u);
    EXPECT_EQ(remaining.front(), data / L"a\\busy");
    // The walk went on past the busy file.
    EXPECT_FALSE(CUtil::FileExists(data / L"a\\zlast"));
    EXPECT_FALSE(CUtil::FileExists(data / L"a\\b"));
    EXPECT_TRUE(CUtil::FileExists(data / L"a\\busy"));

    EXPECT_EQ(CUtil::DeleteTree(data / L"a"), 0);
    EXPECT_EQ(CUtil::RemoveFolderTree(data / L"a"), 0);
    CloseHandle(busy);
    EXPECT_EQ(CUtil::DeleteTree(data / L"a"), 1);
}

TEST(FolderTree, LinksAreRemovedWithoutTouchingTheirTarget) {
    ScratchFolder data(L"treelink");
    CreateDirectoryW((data / L"outside").c_str(), nullptr);
    WriteBytes(data / L"outside\\keep.txt", "keep");
    CreateDirectoryW((data / L"a").c_str(), nullptr);
    if (!CreateSymbolicLinkW((data / L"a\\link").c_str(), (data / L"outside").c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY))
        GTEST_SKIP() << "folder links are not available here";
    EXPECT_EQ(CUtil::DeleteTree(data / L"a"), 1);
    EXPECT_FALSE(CUtil::FileExists(data / L"a"));
    EXPECT_TRUE(CUtil::FileExists(data / L"outside\\keep.txt"));
}

TEST(ClearReadOnly, MakesFileNormal) {
    ScratchFolder data(L"cro");
    std::wstring file = data / L"f";
    WriteBytes(file, "x");
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(CUtil::ClearReadOnly(file), 0u);
    const DWORD checked = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    EXPECT_EQ(GetFileAttributesW(file.c_str()) & checked, 0u);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(CUtil::ClearReadOnly(file), 0u);
    EXPECT_EQ(GetFileAttributesW(file.c_str()) & checked, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));  // untouched
    EXPECT_EQ(CUtil::ClearReadOnly(data / L"missing"), static_cast<unsigned>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
