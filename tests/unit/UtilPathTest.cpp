// Path validation and folder utilities on real folders and drives of the Wine prefix:
// C: fixed, R: a CD-ROM drive, S: a drive whose root cannot be written.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "util/Util.h"

namespace {

TEST(ValidatePath, CreatesMissingLevelsTestsAndRemovesThem) {
    ScratchFolder data(L"vp");
    CUtil util;
    std::wstring root;
    std::wstring target = data / L"New\\Pkg";
    EXPECT_EQ(util.ValidatePath(target, root), PATH_OK);
    EXPECT_EQ(root, L"C:");
    EXPECT_EQ(util.GetTestCreatedFolder(), data / L"New");
    EXPECT_FALSE(IsFolder(data / L"New"));
    EXPECT_TRUE(IsFolder(data.Path()));
    EXPECT_EQ(target, data / L"New\\Pkg");  // the caller's text is unchanged

    // An existing folder is tested in place and left alone, and nothing new is recorded.
    CUtil fresh;
    EXPECT_EQ(fresh.ValidatePath(data.Path() + L"\\", root), PATH_OK);
    EXPECT_TRUE(fresh.GetTestCreatedFolder().empty());
    EXPECT_TRUE(IsFolder(data.Path()));
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((data / L"*.tmp").c_str(), &found);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE);  // the write test leaves no file behind
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

TEST(ValidatePath, InvalidPaths) {
    CUtil util;
    std::wstring root;
    struct Case {
        std::wstring path;
        int result;
    };
    std::vector<Case> cases = {
        {L"C:\\Temp\\...\\x", PATH_INVALID},
        {L"C:\\Temp\\.\\x", PATH_INVALID},
        {L"\\\\server\\", PATH_INVALID},
        {L"\\\\server", PATH_INVALID},
        {L"\\\\-bad\\share\\x", PATH_INVALID},
        {L"\\\\\\share\\x", PATH_INVALID},
        {L"Pkg\\sub", PATH_INVALID},
        {L"C:Pkg", PATH_INVALID},
        {L"", PATH_INVALID},
        {L"R:\\Pkg", PATH_INVALID},  // CD-ROM drive
        {L"C:\\" + std::wstring(252, L'a'), PATH_TOO_LONG},  // 256 characters with the backslash
        {L"S:\\Pkg", PATH_NOT_WRITABLE},
        {L"S:\\", PATH_NOT_WRITABLE},
        {L"\\\\10.0.0.5\\share\\dir", PATH_NETWORK_NOT_WRITABLE},
    };
    for (wchar_t c : std::wstring(L"\"/*?<>|")) cases.push_back({std::wstring(L"C:\\a") + c + L"b", PATH_INVALID});
    for (const wchar_t* name : {L"PRN", L"AUX", L"NUL", L"COM1", L"COM2", L"COM3", L"COM4", L"COM5", L"COM6",
                                L"COM7", L"COM8", L"COM9", L"CON", L"LPT1", L"LPT2", L"LPT3", L"LPT4", L"LPT5",
                                L"LPT6", L"LPT7", L"LPT8", L"LPT9", L"con", L"lpt9"})
        cases.push_back({std::wstring(L"C:\\Temp\\") + name + L"\\x", PATH_INVALID});
    for (const auto& c : cases)
        EXPECT_EQ(util.ValidatePath(c.path, root), c.result) << std::string(c.path.begin(), c.path.end());
    EXPECT_TRUE(util.GetTestCreatedFolder().empty());
}

TEST(ValidatePath, RootsOfNetworkAndDrivePaths) {
    CUtil util;
    std::wstring root;
    util.ValidatePath(L"\\\\10.0.0.5\\share\\dir", root);
    EXPECT_EQ(root, L"\\\\10.0.0.5\\share\\");
    ScratchFolder data(L"vproot");
    EXPECT_EQ(util.ValidatePath(data / L"CONSOLE", root), PATH_OK);
    EXPECT_EQ(root, L"C:");
    // Only the bare device name fails the name test; whether the file system then accepts the
    // folder is its own business.
    EXPECT_NE(util.ValidatePath(data / L"CON.txt", root), PATH_INVALID);
}

TEST(ValidatePath, LongestAcceptedLength) {
    ScratchFolder data(L"vplen");
    CUtil util;
    std::wstring root;
    std::wstring path = data.Path() + L"\\";
    path += std::wstring(254 - path.size(), L'x');  // 255 characters with the trailing backslash
    EXPECT_EQ(util.ValidatePath(path, root), PATH_OK);
    EXPECT_EQ(util.ValidatePath(path + L"y", root), PATH_TOO_LONG);
}

TEST(ValidatePath, RelativeToCurrentFolder) {
    ScratchFolder data(L"vprel");
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(CreateDirectoryW((data / L"work").c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryW((data / L"work").c_str()));
    CUtil util;
    std::wstring root;
    EXPECT_EQ(util.ValidatePath(L"..\\Pkg", root), PATH_OK);
    EXPECT_EQ(util.GetTestCreatedFolder(), data / L"Pkg");
    EXPECT_EQ(root, L"C:");
    EXPECT_EQ(util.ValidatePath(L"..\\CON\\Pkg", root), PATH_INVALID);
    SetCurrentDirectoryW(previous);
}

TEST(CanCreateFile, WritableAndMissingFolders) {
    ScratchFolder data(L"ccf");
    EXPECT_EQ(CUtil::CanCreateFile(data.Path(), L""), 1);
    EXPECT_EQ(CUtil::CanCreateFile(data.Path(), L"abc"), 1);
    EXPECT_EQ(CUtil::CanCreateFile(data / L"missing", L""), 0);
    EXPECT_EQ(CUtil::CanCreateFile(L"S:\\", L""), 0);
}

TEST(CreateDirectoryPath, OutcomeTexts) {
    ScratchFolder data(L"cdp");
    std::wstring outcome;
    std::wstring nested = data / L"a\\b\\c";
    EXPECT_EQ(CUtil::CreateDirectoryPath(nested, outcome), 1);
    EXPECT_EQ(outcome, L"Folder Created:\t\t " + nested);
    EXPECT_TRUE(IsFolder(nested));
    CUtil::CreateDirectoryPath(nested, outcome);
    EXPECT_EQ(outcome, L"Folder exists:\t\t " + nested);
    CUtil::CreateDirectoryPath(L"relative\\x", outcome);
    EXPECT_EQ(outcome, L"Bad Path Name:\t\t\t relative\\x");
}

TEST(CreateFolderOfFile, CreatesEveryLevel) {
    ScratchFolder data(L"cff");
    EXPECT_EQ(CUtil::CreateFolderOfFile(data / L"x\\y\\z\\file.log"), 0);
    EXPECT_TRUE(IsFolder(data / L"x\\y\\z"));
    EXPECT_EQ(CUtil::CreateFolderOfFile(data / L"x\\y\\z\\file.log"), 0);  // existing levels are fine
    EXPECT_EQ(CUtil::CreateFolderOfFile(L"S:\\x\\y\\file.log"), -1);
}

TEST(FileExists, FilesFoldersAndLimits) {
    ScratchFolder data(L"fe");
    ASSERT_TRUE(WriteBytes(data / L"f.txt", "x"));
    EXPECT_TRUE(CUtil::FileExists(data / L"f.txt"));
    EXPECT_TRUE(CUtil::FileExists(data.Path()));
    EXPECT_FALSE(CUtil::FileExists(data / L"g.txt"));
    EXPECT_FALSE(CUtil::FileExists(data / L"*.txt"));  // a pattern is not a file
    EXPECT_FALSE(CUtil::FileExists(data / L"?.txt"));
    EXPECT_FALSE(CUtil::FileExists(L""));
    EXPECT_FALSE(CUtil::FileExists(L"C:\\" + std::wstring(253, L'a')));
}

TEST(ReadFileBytes, WholeFilesAndWhatCannotBeRead) {
    ScratchFolder data(L"rfb");
    std::string large;
    for (int i = 0; i < 200000; ++i) large += static_cast<char>(i * 31 + (i >> 8));
    for (const std::string& bytes : {std::string(), std::string("\xFF\xFE\0\0", 4), large}) {
        ASSERT_TRUE(WriteBytes(data / L"f.bin", bytes));
        std::string read = "left over";
        EXPECT_TRUE(CUtil::ReadFileBytes(data / L"f.bin", read));
        EXPECT_EQ(read, bytes);
    }
    std::string read = "left over";
    EXPECT_FALSE(CUtil::ReadFileBytes(data / L"missing.bin", read));
    EXPECT_EQ(read, "");
    EXPECT_FALSE(CUtil::ReadFileBytes(data.Path(), read));  // a folder
}

TEST(PathText, SmallOperations) {
    EXPECT_EQ(CUtil::CheckPathLength(L"abc", L"4"), 1);
    EXPECT_EQ(CUtil::CheckPathLength(L"abcd", L"4"), -1);
    EXPECT_EQ(CUtil::CheckPathLength(L"abc", L"none"), -1);

    struct Case {
        const wchar_t* in;
        const wchar_t* out;
    };
    for (const Case& c : {Case{L"", L""}, Case{L"C:", L"C:\\"}, Case{L"C:\\", L"C:\\"}, Case{L"a\\b", L"a\\b\\"}}) {
        std::wstring text = c.in;
        CUtil::AddTrailingBackslash(text);
        EXPECT_EQ(text, c.out);
    }
    for (const Case& c : {Case{L"C:\\x\\y", L"C:"}, Case{L"\\\\server\\share\\x", L"\\\\server\\"},
                          Case{L"\\\\server", L"\\\\server"}, Case{L"D:", L"D:"}})
        EXPECT_EQ(CUtil::GetDriveName(c.in), c.out);
}

TEST(ProgramPath, PartsOfTheRunningFile) {
    std::wstring path = CUtil::GetProgramPath();
    EXPECT_EQ(CUtil::GetProgramFileName(), L"util_test.exe");
    EXPECT_EQ(CUtil::GetProgramFolder() + L"\\" + CUtil::GetProgramFileName(), path);
}

TEST(UserFacts, NamesLanguageAndRights) {
    std::wstring user = CUtil::GetLogonName();
    ASSERT_FALSE(user.empty());
    EXPECT_EQ(CUtil::AddUserNameToFileName(L"C:\\Logs\\Qirva.log"), L"C:\\Logs\\Qirva_" + user + L".log");
    EXPECT_EQ(CUtil::AddUserNameToFileName(L"C:\\Logs\\a.b.log"), L"C:\\Logs\\a.b_" + user + L".log");
    EXPECT_EQ(CUtil::AddUserNameToFileName(L"C:\\Logs\\Qirva"), L"C:\\Logs\\Qirva_" + user);
    EXPECT_GT(CUtil::GetUserUILanguage(), 0);
    // The prefix runs as an administrator.
    EXPECT_EQ(CUtil::IsUserAdmin(0), 1);
    EXPECT_EQ(CUtil::IsUserAdmin(1), 1);
    std::wstring text = CUtil::GetSystemErrorText(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.back(), L'\n');
}

}  // namespace
