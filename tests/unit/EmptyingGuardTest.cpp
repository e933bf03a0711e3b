// Which extraction folders may be emptied before extraction: the decision over resolved paths,
// and the resolution of aliases (short names, links, "\\?\" forms, trailing dots) on the system.
#include <gtest/gtest.h>

#include "../common/Environment.h"
#include "../common/Narrow.h"
#include "TestSupport.h"
#include "extract/EmptyingGuard.h"

namespace {

TEST(EmptyingGuard, DecisionTable) {
    CFolderGuard guard;
    guard.wholeTrees = {L"C:\\Windows"};
    guard.withChildren = {L"C:\\Users"};
    guard.folders = {L"C:\\Program Files", L"C:\\Program Files\\Common Files", L"C:\\ProgramData",
                     L"C:\\Users\\Public\\Documents", L"D:\\Packages\\Tool", L"\\\\server\\share\\setups"};
    struct Case {
        const wchar_t* folder;
        bool isProtected;
    };
    const Case cases[] = {
        // Roots of drives and shares.
        {L"C:\\", true}, {L"C:", true}, {L"d:\\", true}, {L"\\\\server\\share", true}, {L"\\\\server\\share\\", true},
        // The Windows folder and everything inside it.
        {L"C:\\Windows", true}, {L"c:\\windows\\", true}, {L"C:\\Windows\\Fonts", true},
        {L"C:\\WINDOWS\\System32\\drivers", true}, {L"\\\\?\\C:\\Windows\\Fonts", true},
        // The users folder and each profile directly inside it, but not deeper folders.
        {L"C:\\Users", true}, {L"C:\\Users\\Public", true}, {L"C:\\Users\\someone", true},
        {L"C:\\Users\\someone\\Desktop\\Product", false},
        // A protected folder and every folder that contains it.
        {L"C:\\Program Files", true}, {L"C:\\Program Files\\Common Files", true}, {L"C:\\ProgramData", true},
        {L"C:\\Users\\Public\\Documents", true}, {L"D:\\Packages", true}, {L"D:\\Packages\\Tool", true},
        {L"\\\\?\\UNC\\server\\share\\setups", true}, {L"\\\\server\\share\\setups\\", true},
        // Folders inside them that are not themselves well known may be emptied.
        {L"C:\\Program Files\\Vendor\\Product", false}, {L"C:\\ProgramData\\Vendor", false},
        {L"D:\\Packages\\Tool\\Old", false}, {L"\\\\server\\share\\other", false},
        // Names that only begin like a protected folder.
        {L"C:\\Windows2", false}, {L"C:\\Program Files Extra", false}, {L"C:\\Usersx", false},
        {L"C:\\Extract\\Product", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsProtectedFromEmptying(c.folder, guard), c.isProtected) << ToNarrow(c.folder);
}

TEST(EmptyingGuard, ComparisonForm) {
    EXPECT_EQ(FolderComparisonForm(L"\\\\?\\C:\\Windows\\"), L"c:\\windows");
    EXPECT_EQ(FolderComparisonForm(L"\\\\?\\UNC\\Server\\Share\\X"), L"\\\\server\\share\\x");
    EXPECT_EQ(FolderComparisonForm(L"C:/Users/Public/"), L"c:\\users\\public");
    EXPECT_EQ(FolderComparisonForm(L"C:"), L"c:\\");
    EXPECT_EQ(FolderComparisonForm(L"C:\\\\"), L"c:\\");
}

// The system's own folders, reached by their names and by their aliases, on the running system.
TEST(EmptyingGuard, SystemFoldersAndTheirAliases) {
    ScratchFolder scratch(L"guard");
    const CFolderGuard guard = CollectProtectedFolders(scratch / L"program", scratch / L"{package-temp}");
    wchar_t windows[MAX_PATH] = {}, system[MAX_PATH] = {}, shortName[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    ASSERT_GT(GetShortPathNameW(L"C:\\Program Files", shortName, MAX_PATH), 0u);
    const std::wstring windowsFolder = windows;
    std::wstring programFiles32 = EnvironmentVariable(L"ProgramFiles(x86)");
    if (programFiles32.empty()) programFiles32 = EnvironmentVariable(L"ProgramFiles");

    CreateDirectoryW((scratch / L"product").c_str(), nullptr);
    CreateDirectoryW((scratch / L"program").c_str(), nullptr);
    std::wstring userProfile = EnvironmentVariable(L"USERPROFILE");
    CreateDirectoryW((userProfile + L"\\TreskGuardProduct").c_str(), nullptr);
    struct Case {
        std::wstring folder;
        bool isProtected;
    };
    std::vector<Case> cases = {
        {windowsFolder + L"\\Fonts", true},
        {system, true},
        {windowsFolder + L".", true},
        {L"\\\\?\\" + windowsFolder + L"\\Fonts", true},
        {programFiles32, true},
        {programFiles32 + L"\\Common Files", true},
        {L"C:\\Program Files", true},
        {shortName, true},
        {EnvironmentVariable(L"PUBLIC"), true},
        {EnvironmentVariable(L"PUBLIC") + L"\\Documents", true},
        {EnvironmentVariable(L"ProgramData"), true},
        {userProfile, true},
        {userProfile + L"\\..", true},
        {EnvironmentVariable(L"TEMP"), true},
        {L"C:\\", true},
        {scratch / L"program", true},
        {scratch.Path(), true},  // contains the program's folder
        {scratch / L"product", false},
        {userProfile + L"\\TreskGuardProduct", false},
    };
    // A folder link to the Windows folder: the test prefix has one, on Windows the test makes one.
    std::wstring link = scratch / L"link";
    if (CreateSymbolicLinkW(link.c_str(), windows, SYMBOLIC_LINK_FLAG_DIRECTORY) && CUtil::FileExists(link + L"\\Fonts")) {
        cases.push_back({link, true});
        cases.push_back({link + L"\\Fonts", true});
    } else if (CUtil::FileExists(L"C:\\TreskLinkToWindows\\Fonts")) {
        cases.push_back({L"C:\\TreskLinkToWindows", true});
        cases.push_back({L"C:\\TreskLinkToWindows\\Fonts", true});
    } else {
        ADD_FAILURE() << "no folder link to the Windows folder could be made (scripts/wineprefix makes "
                         "C:\\TreskLinkToWindows)";
    }
    for (const auto& c : cases) {
        std::wstring resolved = ResolveFinalFolderPath(c.folder);
        EXPECT_EQ(IsProtectedFromEmptying(resolved, guard), c.isProtected)
            << ToNarrow(c.folder) << " resolved to " << ToNarrow(resolved);
    }
    EXPECT_EQ(FolderComparisonForm(ResolveFinalFolderPath(shortName)), L"c:\\program files");
    RemoveDirectoryW((userProfile + L"\\TreskGuardProduct").c_str());
}

}  // namespace
