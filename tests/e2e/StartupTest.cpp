// The real program started from a Windows-side harness: run modes, the single-instance guard,
// the master log's frame and the exit code read with all its 32 bits.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "../unit/TestSupport.h"
#include "ProgramRunner.h"
#include "app/SingleInstance.h"

namespace {

bool Contains(const std::vector<std::string>& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

size_t CountContaining(const std::vector<std::string>& lines, const std::string& text) {
    return std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

// Checks the frame of a log file that is current at exit and returns its run stamp.
std::string ExpectFrame(const std::wstring& path, const std::string& status, int errors, int warnings) {
    std::string bytes = ReadBytes(path);
    EXPECT_GE(bytes.size(), 2u);
    if (bytes.size() >= 2) EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    auto lines = ReadLogLines(path);
    EXPECT_GE(lines.size(), 11u);
    if (lines.size() < 11) return std::string();
    std::smatch match;
    std::regex banner("^############################## --------- START(\\d{14}) --------- ##############################$");
    EXPECT_TRUE(std::regex_match(lines[0], match, banner)) << lines[0];
    std::string stamp = match.size() > 1 ? match[1].str() : std::string();
    size_t n = lines.size();
    EXPECT_EQ(lines[n - 10], "");
    EXPECT_EQ(lines[n - 9], "");
    EXPECT_EQ(lines[n - 8], "######## --------- START SUMMARY " + stamp + std::string(11, ' ') +
                                "##############################");
    std::regex time("^\\d\\d:\\d\\d:\\d\\d");
    for (size_t i = n - 7; i <= n - 5; ++i) EXPECT_TRUE(std::regex_search(lines[i], time)) << lines[i];
    EXPECT_EQ(lines[n - 7].substr(8), "|RETURN    |STATUS                                |" + status);
    EXPECT_EQ(lines[n - 6].substr(8), "|RETURN    |ERRORS                                |" + std::to_string(errors));
    EXPECT_EQ(lines[n - 5].substr(8),
              "|RETURN    |WARNINGS                              |" + std::to_string(warnings) + "  ");
    EXPECT_EQ(lines[n - 4], std::to_string(errors) + " Errors found and " + std::to_string(warnings) + " Warnings found");
    EXPECT_EQ(lines[n - 3], "");
    EXPECT_EQ(lines[n - 2], "######## --------- END SUMMARY " + stamp + std::string(13, ' ') +
                                "##############################");
    EXPECT_EQ(lines[n - 1], "############################## --------- End --------- ##############################");
    return stamp;
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteFileW(MasterLogPath().c_str());
        ASSERT_TRUE(PackageTempFolders().empty()) << "a package temporary folder was left behind by an earlier run";
    }
};

TEST_F(StartupTest, RunModesEndCleanly) {
    struct Case {
        const wchar_t* arguments;
        const char* mode;
    };
    const Case cases[] = {
        {L"", "Full GUI"},
        {L"-silent", "Silent"},
        {L"-unattended", "Unattended"},
        {L"-unattended -silent", "Silent"},
        {L"/SILENT -debug -unknown -extractpath", "Silent"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "arguments: " << std::string(c.arguments, c.arguments + wcslen(c.arguments)));
        ProgramRun run = RunProgram(c.arguments);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u);
        auto lines = ReadLogLines(MasterLogPath());
        EXPECT_TRUE(Contains(lines, "|          |GUI Mode                            |" + std::string(c.mode)));
        EXPECT_TRUE(Contains(lines, "|Directory created : C:\\{"));
        EXPECT_TRUE(Contains(lines, "|Deleting folder :                   |C:\\{"));
        ExpectFrame(MasterLogPath(), "Success", 0, 0);
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
    EXPECT_EQ(run.exitCode, 0u);
    auto lines = ReadLogLines(MasterLogPath());
    EXPECT_EQ(CountContaining(lines, "|ERROR     |"), 1u);
    EXPECT_TRUE(Contains(lines, "|ERROR     |InitInstance                        |Another instance is already running."));
    EXPECT_FALSE(Contains(lines, "Directory created"));
    EXPECT_TRUE(PackageTempFolders().empty());
    ExpectFrame(MasterLogPath(), "Fail", 1, 0);

    // In Full GUI mode the user is told with UI text 105.
    std::wstring shown;
    run = RunProgram(L"", 60000, [&](HWND window) {
        shown = WindowTexts(window);
        SendMessageW(window, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_NE(shown.find(L"Another instance is already running."), std::wstring::npos);
    EXPECT_TRUE(PackageTempFolders().empty());
    CloseHandle(first);

    // With the mutex released the next start runs normally.
    run = RunProgram(L"-silent");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(Contains(ReadLogLines(MasterLogPath()), "Another instance"));
}

TEST_F(StartupTest, MasterLogHeldByAnotherProcessGoesToTheLogonNameFile) {
    CUtil::CreateFolderOfFile(MasterLogPath());
    ASSERT_TRUE(WriteBytes(MasterLogPath(), "old run\r\n"));
    HANDLE held = CreateFileW(MasterLogPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::wstring alternative = CUtil::AddUserNameToFileName(MasterLogPath());
    DeleteFileW(alternative.c_str());

    ProgramRun run = RunProgram(L"-silent");
    CloseHandle(held);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(ReadBytes(MasterLogPath()), "old run\r\n");
    ExpectFrame(alternative, "Success", 0, 0);
    DeleteFileW(alternative.c_str());
}

TEST_F(StartupTest, LogFolderThatCannotBeCreatedLosesLinesOnly) {
    // S: cannot be written: every log line is lost, the run itself goes on and ends normally.
    wchar_t previous[MAX_PATH] = {};
    GetEnvironmentVariableW(L"ALLUSERSPROFILE", previous, MAX_PATH);
    SetEnvironmentVariableW(L"ALLUSERSPROFILE", L"S:\\");
    ProgramRun run = RunProgram(L"-silent");
    SetEnvironmentVariableW(L"ALLUSERSPROFILE", previous);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(PackageTempFolders().empty());
}

}  // namespace
