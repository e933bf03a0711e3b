// The handle owners and the walk over a folder's entries, on real files and folders of the prefix.
#include <gtest/gtest.h>

#include <set>

#include "TestSupport.h"
#include "util/Handles.h"

namespace {

// Opened without sharing: no second open succeeds while this handle is open.
HANDLE OpenAlone(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

bool IsHeldOpen(const std::wstring& path) {
    HANDLE probe = OpenAlone(path);
    if (probe == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(probe);
    return false;
}

TEST(HandleOwners, CloseWhatTheyHoldWhenTheyLetGo) {
    ScratchFolder data(L"owners");
    const std::wstring a = data / L"a", b = data / L"b";
    ASSERT_TRUE(WriteBytes(a, "a"));
    ASSERT_TRUE(WriteBytes(b, "b"));

    {
        KernelHandle file(OpenAlone(a));
        ASSERT_TRUE(file);
        EXPECT_TRUE(IsHeldOpen(a));
    }
    EXPECT_FALSE(IsHeldOpen(a)) << "closed at the end of its scope";

    KernelHandle first(OpenAlone(a));
    KernelHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_TRUE(IsHeldOpen(a)) << "a move hands the handle on open";
    second = KernelHandle(OpenAlone(b));
    EXPECT_FALSE(IsHeldOpen(a)) << "the handle held is closed when another takes its place";
    EXPECT_TRUE(IsHeldOpen(b));

    HANDLE released = second.Release();
    EXPECT_FALSE(second);
    EXPECT_TRUE(IsHeldOpen(b)) << "a released handle stays open for whoever took it";
    KernelHandle taken(released);
    taken.Reset();
    EXPECT_FALSE(IsHeldOpen(b));
    // A file closed by its owner can be removed right away.
    EXPECT_TRUE(DeleteFileW(b.c_str()));
}

TEST(HandleOwners, FailedOpensHoldNothing) {
    ScratchFolder data(L"ownersfail");
    // Opening a file fails with INVALID_HANDLE_VALUE, most other functions with null: both are nothing.
    EXPECT_FALSE(KernelHandle(OpenAlone(data / L"missing")));
    EXPECT_FALSE(KernelHandle(OpenEventW(SYNCHRONIZE, FALSE, L"tresk-no-such-event")));
    WIN32_FIND_DATAW found;
    EXPECT_FALSE(FindHandle(FindFirstFileW((data / L"missing*").c_str(), &found)));
    RegistryKey key;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\tresk-no-such-key", 0, KEY_READ, key.Receive()),
              ERROR_SUCCESS);
    EXPECT_FALSE(key);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.Receive()), ERROR_SUCCESS);
    EXPECT_TRUE(key);
}

TEST(FolderEntries, EveryEntryButTheDotsUntilTheVisitStops) {
    ScratchFolder data(L"entries");
    ASSERT_TRUE(CreateDirectoryW((data / L"sub").c_str(), nullptr));
    // Names that start with dots are entries like any other; only "." and ".." are left out.
    for (const wchar_t* name : {L"f1", L".f2", L"..f3"}) ASSERT_TRUE(WriteBytes(data / name, "x"));

    std::set<std::wstring> seen;
    EXPECT_TRUE(ForEachFolderEntry(data / L"*", [&seen](const WIN32_FIND_DATAW& entry) {
        seen.insert(entry.cFileName);
        return true;
    }));
    EXPECT_EQ(seen, (std::set<std::wstring>{L"f1", L".f2", L"..f3", L"sub"}));

    int visits = 0;
    EXPECT_TRUE(ForEachFolderEntry(data / L"*", [&visits](const WIN32_FIND_DATAW&) {
        ++visits;
        return false;
    }));
    EXPECT_EQ(visits, 1);

    visits = 0;
    EXPECT_FALSE(ForEachFolderEntry(data / L"missing\\*", [&visits](const WIN32_FIND_DATAW&) {
        ++visits;
        return true;
    }));
    EXPECT_EQ(visits, 0);
    // An empty folder is searched (it holds "." and "..") and has no entries.
    EXPECT_TRUE(ForEachFolderEntry(data / L"sub\\*", [&visits](const WIN32_FIND_DATAW&) {
        ++visits;
        return true;
    }));
    EXPECT_EQ(visits, 0);
}

TEST(FolderEntries, TheSearchIsClosedWhenTheWalkReturns) {
    // An open search keeps its folder from being removed; the tree removals remove a folder right
    // after walking it, whether the walk went to the end or stopped early.
    ScratchFolder data(L"entriesclosed");
    const std::wstring folder = data / L"walked";
    for (bool toTheEnd : {true, false}) {
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        ASSERT_TRUE(WriteBytes(folder + L"\\a", "a"));
        ASSERT_TRUE(WriteBytes(folder + L"\\b", "b"));
        EXPECT_TRUE(ForEachFolderEntry(folder + L"\\*", [toTheEnd](const WIN32_FIND_DATAW&) { return toTheEnd; }));
        EXPECT_TRUE(DeleteFileW((folder + L"\\a").c_str()));
        EXPECT_TRUE(DeleteFileW((folder + L"\\b").c_str()));
        EXPECT_TRUE(RemoveDirectoryW(folder.c_str())) << (toTheEnd ? "walked to the end" : "stopped early");
    }
}

}  // namespace
