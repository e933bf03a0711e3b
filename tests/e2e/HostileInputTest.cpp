// Hostile and mistaken input in Silent runs, as an attacker or a careless packager or
// administrator would give it: system and shared folders as the extraction folder, names in a
// cabinet that the system would turn into a device or another name, a setting too long for the
// program's read buffer, and the exit codes that tell a deployment tool about each failure.
#include <gtest/gtest.h>

#include <iostream>

#include "../common/Environment.h"
#include "../common/FileBytes.h"
#include "../common/LogLines.h"
#include "../common/ScratchFolder.h"
#include "ProgramRunner.h"
#include "TestPackage.h"

namespace {

const std::wstring kTarget = L"C:\\HostileTarget";
const DWORD kFailed = 0xFFFFFFFFu;  // -1 as the platform reports it

std::string Settings(const std::string& more = "") {
    return "[Package]\nName=Hostile Test\nNameDispl=Hostile Test\nVersionString=1.0\n"
           "[LogFiles]\nExtractLogFileName=Hostile Test.log\n" +
           more;
}

std::vector<std::string> Log() {
    return ReadLogLines(ExtractionLogPath(L"Hostile Test.log"));
}

// Replaces the first occurrence of from (same length) inside the package's attached cabinet, which
// is the last thing in the file and starts with the package's cabinet signature.
void PatchCabinet(const std::wstring& package, const std::string& from, const std::string& to) {
    ASSERT_EQ(from.size(), to.size());
    std::string bytes = ReadBytes(package);
    size_t cabinet = bytes.rfind("QRVA");
    ASSERT_NE(cabinet, std::string::npos);
    size_t at = bytes.find(from, cabinet);
    ASSERT_NE(at, std::string::npos) << from;
    bytes.replace(at, from.size(), to);
    ASSERT_TRUE(WriteBytes(package, bytes));
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

class HostileInputTest : public ::testing::Test {
protected:
    void SetUp() override { CUtil::DeleteTree(kTarget); }
    void TearDown() override { CUtil::DeleteTree(kTarget); }
    ScratchFolder folder{L"hostile"};
};

TEST_F(HostileInputTest, SystemAndSharedFoldersAreNeverEmptied) {
    std::wstring package = BuildTestPackage(folder.Path(), L"Guard.exe", Settings(), {{"TreskGuardProbe.txt", "probe"}});
    wchar_t windows[MAX_PATH] = {}, shortName[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    ASSERT_GT(GetShortPathNameW(L"C:\\Program Files", shortName, MAX_PATH), 0u);
    std::wstring programFiles32 = EnvironmentVariable(L"ProgramFiles(x86)");
    if (programFiles32.empty()) programFiles32 = EnvironmentVariable(L"ProgramFiles");
    const std::wstring folders[] = {std::wstring(windows) + L"\\Fonts", programFiles32, EnvironmentVariable(L"PUBLIC"),
                                    shortName, L"C:\\TreskLinkToWindows"};
    for (const auto& target : folders) {
        SCOPED_TRACE(ToUtf8(target));
        if (!CUtil::FileExists(target)) {
            ADD_FAILURE() << "missing in the test prefix: " << ToUtf8(target);
            continue;
        }
        const std::wstring marker = target + L"\\TreskGuardMarker.txt";
        ASSERT_TRUE(WriteBytes(marker, "must survive"));
        ProgramRun run = RunExe(package, L"-silent \"-extractpath=" + target + L"\"");
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(ReadBytes(marker), "must survive");
        EXPECT_TRUE(CUtil::FileExists(target + L"\\TreskGuardProbe.txt"));
        auto log = Log();
        EXPECT_TRUE(Contains(log, "|WARNING   |ExtractPackage                      |The extraction folder is not emptied "
                                  "because it holds system or package data : "));
        EXPECT_FALSE(Contains(log, "Deleting the contents of extraction folder"));
        DeleteFileW(marker.c_str());
        DeleteFileW((target + L"\\TreskGuardProbe.txt").c_str());
    }
    // Their well-known contents are still there.
    EXPECT_TRUE(CUtil::FileExists(programFiles32 + L"\\Common Files"));
    EXPECT_TRUE(CUtil::FileExists(EnvironmentVariable(L"PUBLIC") + L"\\Documents"));
    EXPECT_TRUE(CUtil::FileExists(std::wstring(windows) + L"\\system32"));
}

TEST_F(HostileInputTest, DeviceNamesAndNamesTheSystemWouldChangeAreRefused) {
    // Each case builds a package with a placeholder name and turns it into the hostile name of
    // the same length inside the attached cabinet.
    struct Case {
        const char* placeholder;
        const char* hostile;
    };
    const Case cases[] = {
        {"\\QOM1", "\\COM1"},          {"\\QUL", "\\NUL"},           {"\\QUX", "\\AUX"},
        {"\\QON", "\\CON"},            {"\\qon.txt", "\\con.txt"},   {"\\qul\\x.txt", "\\nul\\x.txt"},
        {"\\x.txtQ", "\\x.txt."},      {"\\x.txtR", "\\x.txt "},     {"\\dirQ\\y.txt", "\\dir.\\y.txt"},
        {"\\qPt9.log", "\\lPt9.log"},  {"\\QQQ", "\\..."},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hostile);
        std::string name = std::string(c.placeholder).substr(1);
        std::wstring exe = L"Device" + std::to_wstring(++index) + L".exe";
        std::wstring package = BuildTestPackage(folder.Path(), exe, Settings(), {{"a.txt", "first"}, {name, "payload"}});
        PatchCabinet(package, c.placeholder, c.hostile);
        ProgramRun run = RunExe(package, L"-silent -extractpath=" + kTarget);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, kFailed);
        auto log = Log();
        EXPECT_TRUE(Contains(log, std::string("|ERROR     |FdiCallback                         |Refused unsafe file name in cabinet : ") +
                                      c.hostile));
        EXPECT_TRUE(Contains(log, "|ExtractPackage                      |Return Code for cab extraction : 4"));
        // Nothing but the ordinary file was written (a device name always "exists", so the folder
        // is listed instead of asked for names).
        for (const auto& entry : FolderEntries(kTarget)) EXPECT_EQ(entry, L"a.txt");
    }
}

TEST_F(HostileInputTest, EntriesThatDifferOnlyInLetterCaseAreNamedBoth) {
    // The packager refuses such names, so the second name is written into the cabinet afterwards.
    std::wstring package = BuildTestPackage(folder.Path(), L"Case.exe", Settings(),
                                            {{"Data\\a.txt", "first"}, {"Data\\b.txt", "second"}, {"c.txt", "third"}});
    PatchCabinet(package, "Data\\b.txt", "Data\\A.txt");
    ProgramRun run = RunExe(package, L"-silent -extractpath=" + kTarget);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(Contains(Log(), "|WARNING   |FileOverwrite                       |Two files of the package land on the same "
                                "file : C:\\HostileTarget\\Data\\a.txt and C:\\HostileTarget\\Data\\A.txt"));
    // The later one is the file (as Silent runs overwrite), and the rest is extracted.
    EXPECT_EQ(FolderEntries(kTarget + L"\\Data").size(), 1u);
    EXPECT_EQ(ReadBytes(kTarget + L"\\Data\\a.txt"), "second");
    EXPECT_EQ(ReadBytes(kTarget + L"\\c.txt"), "third");
}

TEST_F(HostileInputTest, ConditionLongerThanTheReadBufferIsLoggedAsCut) {
    // Two thousand true terms: the program reads the first 1023 characters only, which ends in
    // the middle of a name, so the expression is not satisfied; the log says why.
    std::string expression = "Condition1";
    while (expression.size() < 20000) expression += " and Condition1";
    std::string settings = Settings("[Conditions]\nAction1=Extract\nAction1Condition=" + expression +
                                    "\nAction1Message=MsgPrerequisites\nCondition1={File};C:\\windows\\win.ini;{EXIST};{};{}\n"
                                    "[1033]\nMsgPrerequisites=Requirements are not met.\n");
    std::wstring package = BuildTestPackage(folder.Path(), L"Long.exe", settings, {{"a.txt", "x"}});
    ProgramRun run = RunExe(package, L"-silent -extractpath=" + kTarget);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);  // unmet conditions are not a failure of the run
    auto log = Log();
    EXPECT_TRUE(Contains(log, "|WARNING   |GetSettingString                    |Value of [Conditions] Action1Condition cut at 1023 characters"));
    EXPECT_TRUE(Contains(log, "|ERROR     |CQirvaInitalizer::InitDisplay       |Condition not satisfied"));
}

TEST_F(HostileInputTest, FailedSilentRunsExitWithMinusOne) {
    std::wstring package = BuildTestPackage(folder.Path(), L"Fails.exe", Settings(), {{"a.txt", "first"}, {"b.txt", "second"}});

    // A damaged cabinet: the engine reports a corrupt cabinet or a failed decompression.
    std::wstring corrupt = folder / L"Corrupt.exe";
    ASSERT_TRUE(CopyFileW(package.c_str(), corrupt.c_str(), FALSE));
    PatchCabinet(corrupt, "CK", "QQ");  // the first compressed block's signature
    ProgramRun run = RunExe(corrupt, L"-silent -extractpath=" + kTarget);
    EXPECT_EQ(run.exitCode, kFailed);
    EXPECT_FALSE(Contains(Log(), "Return Code for cab extraction : 0"));

    // Missing administrator rights: shown only where the test itself runs without them.
    std::wstring rights = BuildTestPackage(folder.Path(), L"Rights.exe", Settings("[Runtime]\nCheckAdmin=1\n"), {{"a.txt", "x"}});
    if (CUtil::IsUserAdmin(0)) {
        std::cout << "[ SKIPPED  ] missing administrator rights: this prefix runs as an administrator\n";
    } else {
        run = RunExe(rights, L"-silent -extractpath=" + kTarget);
        EXPECT_EQ(run.exitCode, kFailed);
        EXPECT_TRUE(Contains(Log(), "User is not having admin rights."));
    }
}

}  // namespace
