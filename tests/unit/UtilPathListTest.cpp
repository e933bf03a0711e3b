// The compact list of written files and folders: it must read exactly like the list of strings it
// replaces, whatever the paths look like.
#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <string>
#include <vector>

#include "util/PathList.h"

namespace {

std::vector<std::wstring> NewestFirst(const CPathList& list) {
    return std::vector<std::wstring>(list.begin(), list.end());
}

std::vector<std::wstring> OldestFirst(const CPathList& list) {
    std::vector<std::wstring> entries;
    for (auto entry = list.rbegin(); entry != list.rend(); ++entry) entries.push_back(*entry);
    return entries;
}

TEST(PathList, ReadsLikeAListThatGrowsAtItsHead) {
    CPathList list;
    EXPECT_TRUE(list.empty());
    list.push_front(L"C:\\Pkg\\a.txt");
    list.push_front(L"C:\\Pkg\\sub\\b.txt");
    list.push_front(L"C:\\Pkg\\c.txt");
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(NewestFirst(list), (std::vector<std::wstring>{L"C:\\Pkg\\c.txt", L"C:\\Pkg\\sub\\b.txt", L"C:\\Pkg\\a.txt"}));
    EXPECT_EQ(OldestFirst(list), (std::vector<std::wstring>{L"C:\\Pkg\\a.txt", L"C:\\Pkg\\sub\\b.txt", L"C:\\Pkg\\c.txt"}));
    EXPECT_NE(std::find(list.begin(), list.end(), L"C:\\Pkg\\sub\\b.txt"), list.end());
    EXPECT_EQ(std::find(list.begin(), list.end(), L"C:\\Pkg\\sub"), list.end());
    EXPECT_EQ(list.rbegin()->size(), 12u);
    EXPECT_EQ(list.Oldest(0), L"C:\\Pkg\\a.txt");

    // Given as a list is written: the first entry is the head.
    list = {L"C:\\x\\new.txt", L"C:\\x\\old.txt"};
    EXPECT_EQ(OldestFirst(list), (std::vector<std::wstring>{L"C:\\x\\old.txt", L"C:\\x\\new.txt"}));
    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.begin(), list.end());
}

TEST(PathList, RemovesEveryEqualEntryAndNoOther) {
    CPathList list = {L"C:\\a\\b", L"C:\\a\\bb", L"C:\\a\\b\\", L"C:\\a\\b", L"C:\\A\\b", L"b", L"C:\\ab"};
    EXPECT_TRUE(list.remove(L"C:\\a\\b"));
    EXPECT_EQ(NewestFirst(list), (std::vector<std::wstring>{L"C:\\a\\bb", L"C:\\a\\b\\", L"C:\\A\\b", L"b", L"C:\\ab"}));
    EXPECT_FALSE(list.remove(L"C:\\a\\b"));
    EXPECT_TRUE(list.remove(L"b"));
    EXPECT_TRUE(list.remove(L"C:\\a\\b\\"));
    EXPECT_EQ(NewestFirst(list), (std::vector<std::wstring>{L"C:\\a\\bb", L"C:\\A\\b", L"C:\\ab"}));
    // Entries added after a removal come out whole.
    list.push_front(L"C:\\a\\b");
    EXPECT_EQ(NewestFirst(list).front(), L"C:\\a\\b");
}

TEST(PathList, KeepsEveryKindOfPathAsGiven) {
    // What the clean-up and the hand-over file get back must be the very paths that were written:
    // folders alternating, roots, trailing backslashes, no folder at all, names that fill and
    // cross the packing blocks, and a name longer than any block.
    std::vector<std::wstring> paths = {L"", L"\\", L"C:\\", L"C:", L"name only", L"C:\\dir\\", L"\\\\server\\share\\f",
                                       L"C:\\caf\xE9\\\x65E5\x672C.txt", std::wstring(3000, L'x'),
                                       L"C:\\long\\" + std::wstring(70000, L'n'), L"C:\\long\\short"};
    for (int i = 0; i < 20000; ++i)
        paths.push_back(L"C:\\Out\\Folder" + std::to_wstring(i % 7) + L"\\" + std::wstring(i % 300, L'a') +
                        std::to_wstring(i));
    CPathList list;
    std::list<std::wstring> reference;
    for (const auto& path : paths) {
        list.push_front(path);
        reference.push_front(path);
    }
    EXPECT_EQ(NewestFirst(list), std::vector<std::wstring>(reference.begin(), reference.end()));
    EXPECT_EQ(OldestFirst(list), std::vector<std::wstring>(paths.begin(), paths.end()));
    for (const auto& gone : {std::wstring(3000, L'x'), std::wstring(L"C:\\dir\\"), paths[5000]}) {
        list.remove(gone);
        reference.remove(gone);
    }
    EXPECT_EQ(NewestFirst(list), std::vector<std::wstring>(reference.begin(), reference.end()));

    // Looked up as exactly as the list compares: every entry is found, nothing else is.
    for (const auto& path : paths)
        EXPECT_EQ(list.Contains(path), std::find(reference.begin(), reference.end(), path) != reference.end())
            << path.size();
    for (const wchar_t* absent : {L"c:\\", L"C:\\dir", L"C:\\Out\\Folder1\\", L"C:\\long\\shor"})
        EXPECT_FALSE(list.Contains(absent));
    // A change is seen by the next question.
    list.push_front(L"C:\\new");
    EXPECT_TRUE(list.Contains(L"C:\\new"));
    list.pop_front();
    EXPECT_FALSE(list.Contains(L"C:\\new"));
}

}  // namespace
