// The real program started from a Windows-side harness: run modes, the single-instance guard,
// the master log's frame and the exit code read with all its 32 bits.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "../common/FileBytes.h"
#include "../common/LogLines.h"
#include "../common/ScratchFolder.h"
#include "ProgramRunner.h"
#include "WizardDriver.h"
#include "TestPackage.h"
#include "app/SingleInstance.h"

namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteFileW(MasterLogPath().c_str());
        ASSERT_TRUE(PackageTempFolders().empty()) << "a package temporary folder was left behind by an earlier run";
    }
    // A small complete package, for the cases that need a run to get through.
    std::wstring Package() {
        return MakePackage(folder.Path(), L"Small.exe", "[Package]\nName=Small Package\n");
    }
    ScratchFolder folder{L"startup"};
};

TEST_F(StartupTest, RunModesEndCleanly) {
    struct Case {
        const wchar_t* arguments;
        const char* mode;
        DWORD exitCode;
        int errors;
        int warnings;
    };
    // The bare program carries no payload: Silent and Unattended runs find no cabinet to extract
    // and say so (a missing part, exit code -1). Without a package nothing lists English as a setup
    // language, which Unattended mode warns of, and the extraction folder is the temporary folder
    // itself, which is never emptied.
    const Case cases[] = {
        {L"", "Full GUI", 0, 0, 0},
        {L"-silent", "Silent", 0xFFFFFFFFu, 1, 1},
        {L"-unattended", "Unattended", 0xFFFFFFFFu, 1, 2},
        {L"-unattended -silent", "Silent", 0xFFFFFFFFu, 1, 1},
        {L"/SILENT -debug -unknown -extractpath", "Silent", 0xFFFFFFFFu, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "arguments: " << std::string(c.arguments, c.arguments + wcslen(c.arguments)));
        // The Full GUI run shows the wizard, which the test cancels.
        ProgramRun run = RunProgram(c.arguments, 60000, [](HWND window) {
            if (IsWizardSheet(window)) CancelWizard(window);
        });
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, c.exitCode);
        auto lines = ReadLogLines(MasterLogPath());
        EXPECT_TRUE(Contains(lines, "|Directory created : C:\\{"));
        auto extraction = ReadLogLines(ExtractionLogPath());
        EXPECT_TRUE(Contains(extraction, "|          |GUI Mode                            |" + std::string(c.mode)));
        EXPECT_TRUE(Contains(extraction, "|Deleting folder :                   |C:\\{"));
        if (c.errors) {
            EXPECT_TRUE(Contains(extraction, "|ERROR     |ExtractPackage                      |The package carries no "
                                             "attached payload : C:\\{"));
        }
        ExpectMasterLogHandedOver(ExtractionLogPath());
        ExpectFinalFrame(ExtractionLogPath(), c.errors ? "Fail" : "Success", c.errors, c.warnings);
        // The package temporary folder is gone again.
        EXPECT_TRUE(PackageTempFolders().empty());
    }
}

TEST_F(StartupTest, SecondInstanceWritesOneErrorLineAndCreatesNothing) {
    // This harness plays the first instance by holding the program's mutex.
    HANDLE first = CreateMutexW(nullptr, FALSE, CSingleInstance::MUTEX_NAME);
    ASSERT_NE(first, nullptr);
    ProgramRun run = RunProgram(L"-silent");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);  // nothing was extracted
    auto lines = ReadLogLines(MasterLogPath());
    EXPECT_EQ(CountContaining(lines, "|ERROR     |"), 1u);
    EXPECT_TRUE(Contains(lines, "|ERROR     |InitInstance                        |Another instance is already running."));
    EXPECT_FALSE(Contains(lines, "Directory created"));
    EXPECT_TRUE(PackageTempFolders().empty());
    ExpectFinalFrame(MasterLogPath(), "Fail", 1, 0);

    // In Full GUI mode the user is told with UI text 105.
    std::wstring shown;
    run = RunProgram(L"", 60000, [&](HWND window) {
        shown = WindowTexts(window);
        SendMessageW(window, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);
    EXPECT_NE(shown.find(L"Another instance is already running."), std::wstring::npos);
    EXPECT_TRUE(PackageTempFolders().empty());
    CloseHandle(first);

    // With the mutex released the next start runs normally.
    run = RunExe(Package(), L"-silent");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(Contains(ReadLogLines(MasterLogPath()), "Another instance"));
}

TEST_F(StartupTest, SecondInstanceLeavesTheFirstOnesMasterLogWhole) {
    // The first instance waits in its wizard while a second one of the same package is started.
    std::wstring package = Package();
    std::vector<std::string> firstLines;
    ProgramRun second;
    ProgramRun first = RunExe(package, L"", 60000, [&](HWND window) {
        if (!IsWizardSheet(window)) return;
        firstLines = ReadLogLines(MasterLogPath());
        second = RunExe(package, L"-silent");
        CancelWizard(window);
    });
    ASSERT_TRUE(first.finished);
    ASSERT_TRUE(second.finished);
    EXPECT_EQ(first.exitCode, 0u);  // cancelled by the user
    EXPECT_EQ(second.exitCode, 0xFFFFFFFFu);
    // The first run's lines are all still there, its start-up among them, and the refusal follows.
    ASSERT_TRUE(Contains(firstLines, "|Directory created : C:\\{"));
    auto lines = ReadLogLines(MasterLogPath());
    ASSERT_GT(lines.size(), firstLines.size());
    EXPECT_TRUE(std::equal(firstLines.begin(), firstLines.end(), lines.begin()));
    std::vector<std::string> appended(lines.begin() + firstLines.size(), lines.end());
    EXPECT_TRUE(std::regex_match(appended.front(), std::regex("^#+ --------- START\\d{14} --------- #+$")))
        << appended.front();
    EXPECT_TRUE(Contains(appended, "|ERROR     |InitInstance                        |Another instance is already running."));
    EXPECT_FALSE(Contains(appended, "Directory created"));
    EXPECT_TRUE(PackageTempFolders().empty());
}

TEST_F(StartupTest, MasterLogHeldByAnotherProcessGoesToTheLogonNameFile) {
    CUtil::CreateFolderOfFile(MasterLogPath());
    ASSERT_TRUE(WriteBytes(MasterLogPath(), "old run\r\n"));
    HANDLE held = CreateFileW(MasterLogPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::wstring alternative = CUtil::AddUserNameToFileName(MasterLogPath());
    DeleteFileW(alternative.c_str());

    ProgramRun run = RunExe(Package(), L"-silent");
    CloseHandle(held);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(ReadBytes(MasterLogPath()), "old run\r\n");
    ExpectMasterLogHandedOver(ExtractionLogPath(L"Small Package.log"), alternative);
    ExpectFinalFrame(ExtractionLogPath(L"Small Package.log"), "Success", 0, 0);
    DeleteFileW(alternative.c_str());
}

TEST_F(StartupTest, LogFolderThatCannotBeCreatedLosesLinesOnly) {
    // S: cannot be written: every log line is lost, the run itself goes on and ends normally.
    wchar_t previous[MAX_PATH] = {};
    GetEnvironmentVariableW(L"ALLUSERSPROFILE", previous, MAX_PATH);
    std::wstring package = Package();
    SetEnvironmentVariableW(L"ALLUSERSPROFILE", L"S:\\");
    ProgramRun run = RunExe(package, L"-silent");
    SetEnvironmentVariableW(L"ALLUSERSPROFILE", previous);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(PackageTempFolders().empty());
}

}  // namespace
