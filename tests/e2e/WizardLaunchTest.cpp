// Launching the package's setup from the wizard, with a stand-in setup (tresk_launch_probe.exe)
// that records its arguments in the file named by TRESK_PROBE_RECORD and ends with the code it is
// told: the autolaunch page, a failing setup, the launch deferred to Finish, the launch with the
// wizard hidden, extract-only, Cancel while a setup runs, a refused system, and delete-on-exit.
#include <gtest/gtest.h>

#include <algorithm>

#include "../common/Environment.h"
#include "../common/FileBytes.h"
#include "../common/LogLines.h"
#include "../common/Narrow.h"
#include "../common/ProbeRecords.h"
#include "../common/ScratchFolder.h"
#include "ProgramRunner.h"
#include "TestPackage.h"
#include "WizardDriver.h"

namespace {

constexpr int LOCATION = 1003, AUTOLAUNCH = 1062, FINISH = 1033, FINISH_MESSAGE = 1061, OPEN_FOLDER = 1014;
constexpr int NEXT = 12324, CANCEL = 2, FINISH_BUTTON = 12325;

std::string Settings(const std::string& runtime, const std::string& more = "",
                     const std::string& os = "Windows7;Windows764;Windows10;Windows1064") {
    return "[Package]\nName=Wizard Launch\nNameDispl=Wizard Launch\nVersionString=1.0\n"
           "[LogFiles]\nExtractLogFileName=Wizard Launch.log\n"
           "[Dialogs]\nWelcomeDialog=0\n"
           "[OS]\nosallowed=" + os + "\n"
           "[Runtime]\nExtractPath=%TEMP%\\Wizard Launch\n" + runtime + more;
}

std::vector<std::string> Log() { return ReadLogLines(ExtractionLogPath(L"Wizard Launch.log")); }

class WizardLaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        CUtil::DeleteTree(target);
        probe = ReadBytes(TRESK_PROBE_PATH);
        ASSERT_FALSE(probe.empty()) << "the stand-in setup is missing";
        SetEnvironmentVariableW(L"TRESK_PROBE_RECORD", recordPath.c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"TRESK_PROBE_RECORD", nullptr);
        CUtil::DeleteTree(target);
    }

    std::wstring Package(const std::wstring& name, const std::string& settings, std::vector<TestPayloadFile> extra = {}) {
        std::vector<TestPayloadFile> payload = {
            {"Setup\\Setup.exe", probe}, {"Second\\Setup.exe", probe}, {"Docs\\ReadMe.txt", "read me\r\n"}};
        payload.insert(payload.end(), extra.begin(), extra.end());
        DeleteFileW(recordPath.c_str());
        return BuildTestPackage(folder.Path(), name, settings, payload);
    }

    // The setups that started, each as "program TAB arguments".
    std::vector<std::string> Started() {
        std::vector<std::string> started;
        for (const auto& record : ReadProbeRecords(recordPath)) started.push_back(record.program + "\t" + record.arguments);
        return started;
    }

    ScratchFolder folder{L"wizardlaunch"};
    std::wstring recordPath = folder / L"record.txt";
    std::wstring target = TempFolder() + L"\\Wizard Launch";
    std::string targetText = ToNarrow(target);
    std::string probe;
};

TEST_F(WizardLaunchTest, AutolaunchPageRunsTheSetupAndTheFinishPageTellsItsOutcome) {
    struct Case {
        const wchar_t* exe;
        std::string runtime, more;
        DWORD exitCode;
        const wchar_t* outcome;
        const wchar_t* message;
    };
    const Case cases[] = {
        {L"Works.exe", "AutoLaunchInstallationDialog=1\nAutoLaunch=Setup\\Setup.exe\n",
         "[1033]\nLaunchEXEParams=/sleep=1500 /works\n", 0u, L"Installation finished: Wizard Launch 1.0", nullptr},
        {L"Fails.exe", "AutoLaunchInstallationDialog=1\nAutoLaunch=Setup\\Setup.exe\nExitOnAutolaunchFailure=1\n",
         "[AutoLaunch]\nReturnCode_1603=error:{Failed}\n[1033]\nLaunchEXEParams=/sleep=1500 /exitcode=1603\n"
         "Failed=The setup failed.\n",
         1603u, nullptr, L"The setup failed."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToNarrow(c.exe));
        WizardDriver wizard(Package(c.exe, Settings(c.runtime, c.more)));
        ASSERT_TRUE(wizard.WaitForPage(AUTOLAUNCH, 60000));
        EXPECT_NE(wizard.PageText(AUTOLAUNCH).find(L"Installing/Launching the extracted software."), std::wstring::npos);
        EXPECT_TRUE(wizard.ButtonVisible(CANCEL));
        ASSERT_TRUE(wizard.WaitForPage(FINISH, 60000));
        if (c.outcome) EXPECT_NE(wizard.PageText(FINISH).find(c.outcome), std::wstring::npos) << ToNarrow(wizard.PageText(FINISH));
        if (c.message) EXPECT_NE(wizard.PageText(FINISH_MESSAGE).find(c.message), std::wstring::npos);
        wizard.Click(FINISH_BUTTON);
        ASSERT_TRUE(wizard.WaitForExit());
        EXPECT_EQ(wizard.ExitCode(), c.exitCode);
        auto started = Started();
        ASSERT_EQ(started.size(), 1u);
        EXPECT_EQ(started[0].substr(0, started[0].find('\t')), targetText + "\\Setup\\Setup.exe");
        EXPECT_TRUE(Contains(Log(), "|LaunchSetupThread                   |Started the Launch process"));
    }
}

TEST_F(WizardLaunchTest, LaunchDeferredToFinishOrStartedWithTheWizardHidden) {
    {
        SCOPED_TRACE("deferred to Finish");
        WizardDriver wizard(Package(L"Deferred.exe", Settings("AutoLaunch=Setup\\Setup.exe\nWaitForAutolaunchFinish=0\n")));
        ASSERT_TRUE(wizard.WaitForPage(FINISH, 60000));
        EXPECT_NE(wizard.PageText(FINISH).find(L"Installation will start after Finish button is clicked."),
                  std::wstring::npos);
        Sleep(500);
        EXPECT_TRUE(Started().empty()) << "nothing starts before Finish";
        wizard.Click(FINISH_BUTTON);
        ASSERT_TRUE(wizard.WaitForExit());
        EXPECT_EQ(wizard.ExitCode(), 0u);
        EXPECT_TRUE(WaitUntil([&] { return Started().size() == 1; }, 10000));
    }
    {
        SCOPED_TRACE("started at once with the wizard hidden");
        WizardDriver wizard(Package(L"Hidden.exe", Settings("AutoLaunch=Setup\\Setup.exe\n",
                                                            "[1033]\nLaunchEXEParams=/sleep=2500\n")));
        HWND sheet = wizard.Sheet();
        ASSERT_NE(sheet, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return Started().size() == 1; }, 60000));
        EXPECT_FALSE(IsWindowVisible(sheet)) << "hidden while the setup runs";
        ASSERT_TRUE(wizard.WaitForPage(FINISH, 60000));
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(sheet) != FALSE; }, 5000)) << "shown again for its outcome";
        // No return code of the setup is configured: it finished, with no verdict.
        EXPECT_NE(wizard.PageText(FINISH).find(L"Installation finished: Wizard Launch 1.0"), std::wstring::npos);
        wizard.Click(FINISH_BUTTON);
        ASSERT_TRUE(wizard.WaitForExit());
        EXPECT_EQ(wizard.ExitCode(), 0u);
    }
}

TEST_F(WizardLaunchTest, ExtractOnlyLaunchesNothingAndOffersTheFolder) {
    WizardDriver wizard(Package(L"Only.exe", Settings("AllowChangeTarget=1\nAutoLaunchInstallationDialog=1\n"
                                                      "OpenExtractionLocation=1\nAutoLaunch=Setup\\Setup.exe\n")));
    ASSERT_TRUE(wizard.WaitForPage(LOCATION));
    HWND extractOnly = wizard.PageItem(1036);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(extractOnly) != FALSE; }, 5000));
    wizard.ClickPageControl(1036);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(wizard.PageItem(1043)); }, 5000)) << "no deleting on exit";
    wizard.Click(NEXT);
    ASSERT_TRUE(wizard.WaitForPage(FINISH, 60000));
    EXPECT_NE(wizard.PageText(FINISH).find(L"Extraction successful for Wizard Launch 1.0"), std::wstring::npos);
    HWND open = wizard.PageItem(OPEN_FOLDER);
    ASSERT_TRUE(open && IsWindowVisible(open)) << "the folder is offered";
    EXPECT_EQ(wizard.PageText(OPEN_FOLDER), L"&Open the extraction location");
    EXPECT_TRUE(Started().empty());
    // The folder went away meanwhile: Finish says so instead of opening it.
    CUtil::DeleteTree(target);
    wizard.ClickPageControl(OPEN_FOLDER);
    Sleep(300);
    wizard.Click(FINISH_BUTTON);
    HWND box = wizard.WaitForDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_NE(WizardDriver::DialogText(box).find(L"Extraction location cannot be found"), std::wstring::npos);
    WizardDriver::Answer(box, IDOK);
    ASSERT_TRUE(wizard.WaitForExit());
    EXPECT_EQ(wizard.ExitCode(), 0u);
    EXPECT_TRUE(Started().empty());
    auto log = Log();
    EXPECT_TRUE(Contains(log, "|Autolaunch is disabled by user"));
    EXPECT_TRUE(Contains(log, "|CFinishPage::OnWizardNext           |Extration path does not exist : " + targetText));
}

TEST_F(WizardLaunchTest, CancelWhileTheFirstSetupRunsStopsTheSecond) {
    WizardDriver wizard(Package(L"Stop.exe", Settings("AutoLaunchInstallationDialog=1\nMultilaunch=1\n"
                                                      "AutoLaunch1=Setup\\Setup.exe\nAutoLaunch2=Second\\Setup.exe\n",
                                                      "[1033]\nLaunchEXEParams1=/sleep=3000\n")));
    ASSERT_TRUE(wizard.WaitForPage(AUTOLAUNCH, 60000));
    ASSERT_TRUE(WaitUntil([&] { return Started().size() == 1; }, 30000));
    wizard.Click(CANCEL);
    HWND box = wizard.WaitForDialog();
    ASSERT_NE(box, nullptr);
    WizardDriver::Answer(box, IDYES);
    EXPECT_TRUE(wizard.WaitForButtonEnabled(CANCEL, false));
    EXPECT_TRUE(WaitUntil([&] { return wizard.PageText(1063).find(L"further installations") != std::wstring::npos; }, 5000));
    ASSERT_TRUE(wizard.WaitForPage(FINISH, 30000));
    EXPECT_NE(wizard.PageText(FINISH).find(L"The installation of Wizard Launch 1.0 has been cancelled."), std::wstring::npos);
    wizard.Click(FINISH_BUTTON);
    ASSERT_TRUE(wizard.WaitForExit());
    EXPECT_EQ(wizard.ExitCode(), 0u);
    ASSERT_EQ(Started().size(), 1u) << "the second setup never starts";
    auto log = Log();
    EXPECT_TRUE(Contains(log, "|User canceled the AutoLaunch Installation Dialog"));
    EXPECT_TRUE(Contains(log, "|Launch process is stopped"));
}

TEST_F(WizardLaunchTest, RefusedSystemStopsTheLaunchAndClosesTheWizard) {
    WizardDriver wizard(Package(L"Refused.exe", Settings("AutoLaunchInstallationDialog=1\nAutoLaunch=Setup\\Setup.exe\n",
                                                         "", "Windows2000")));
    HWND box = wizard.WaitForDialog(60000);
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(IsWindowVisible(wizard.Sheet(0))) << "the wizard is hidden under the stop box";
    WizardDriver::Answer(box, IDOK);
    ASSERT_TRUE(wizard.WaitForExit());
    EXPECT_EQ(wizard.ExitCode(), 0u);
    EXPECT_TRUE(Started().empty());
    EXPECT_TRUE(Contains(Log(), "|GetAutolaunchApps                   |AutoLaunch : Setup\\Setup.exe"));
    EXPECT_EQ(ReadBytes(target + L"\\Docs\\ReadMe.txt"), "read me\r\n");
}

// Every way out of a launch ends the process, from each of the three places a launch starts: the
// autolaunch page (its worker), the progress page right after extraction, and Finish. The system
// is admitted with a warning for every variant, so the launch asks before it starts anything.
TEST_F(WizardLaunchTest, EveryWayOutOfALaunchEndsTheProcess) {
    enum Place { AUTOLAUNCH_PAGE, PROGRESS_PAGE, FINISH_BUTTON_PRESSED };
    const std::string warned =
        "Windows7;Windows764;Windows10;Windows1064\nWindows7Warning=;\nWindows764Warning=;\n"
        "Windows10Warning=;\nWindows1064Warning=;";
    const std::string one = "AutoLaunch=Setup\\Setup.exe\n";
    const std::string two = "Multilaunch=1\nAutoLaunch1=Setup\\Setup.exe\nAutoLaunch2=Second\\Setup.exe\n";
    const std::string failOne = "ExitOnAutolaunchFailure=1\n";
    const std::string failOneMore =
        "[AutoLaunch]\nReturnCode_1603=error:{Failed}\n[1033]\nLaunchEXEParams=/exitcode=1603\nFailed=The setup failed.\n";
    const std::string failFirstMore =
        "[AutoLaunch1]\nReturnCode_1603=error:{Failed}\n[1033]\nLaunchEXEParams1=/exitcode=1603\nFailed=The setup failed.\n";
    struct Case {
        const char* what;
        Place place;
        std::string runtime, more, os;
        int answer;              // the answer to the warning; 0 when none comes
        const wchar_t* outcome;  // the finish page after the launch; null when the wizard closes
        DWORD exitCode;
        size_t started;
    };
    const std::string page = "AutoLaunchInstallationDialog=1\n", deferred = "WaitForAutolaunchFinish=0\n";
    const std::string os = "Windows7;Windows764;Windows10;Windows1064";
    const Case cases[] = {
        {"autolaunch page, No to the warning", AUTOLAUNCH_PAGE, page + one, "", warned, IDNO, nullptr, 0u, 0},
        {"autolaunch page, Yes, one setup", AUTOLAUNCH_PAGE, page + one, "", warned, IDYES,
         L"Installation finished: Wizard Launch 1.0", 0u, 1},
        {"autolaunch page, Yes, two setups", AUTOLAUNCH_PAGE, page + two, "", warned, IDYES, nullptr, 0u, 2},
        {"autolaunch page, one setup fails", AUTOLAUNCH_PAGE, page + one + failOne, failOneMore, os, 0,
         L"Installation not complete: Wizard Launch 1.0.", 1603u, 1},
        {"autolaunch page, the first of two fails", AUTOLAUNCH_PAGE, page + two + failOne, failFirstMore, os, 0, nullptr,
         1603u, 1},
        {"progress page, No to the warning", PROGRESS_PAGE, one, "", warned, IDNO, nullptr, 0u, 0},
        {"progress page, Yes, one setup", PROGRESS_PAGE, one, "", warned, IDYES,
         L"Installation finished: Wizard Launch 1.0", 0u, 1},
        {"progress page, Yes, two setups", PROGRESS_PAGE, two, "", warned, IDYES, nullptr, 0u, 2},
        {"progress page, one setup fails", PROGRESS_PAGE, one + failOne, failOneMore, os, 0,
         L"Installation not complete: Wizard Launch 1.0.", 1603u, 1},
        {"progress page, the first of two fails", PROGRESS_PAGE, two + failOne, failFirstMore, os, 0, nullptr, 1603u, 1},
        {"Finish, No to the warning", FINISH_BUTTON_PRESSED, deferred + one, "", warned, IDNO, nullptr, 0u, 0},
        {"Finish, Yes", FINISH_BUTTON_PRESSED, deferred + one, "", warned, IDYES, nullptr, 0u, 1},
        // Finish starts the setup without waiting for it, so its own code is never known; a setup
        // that cannot start is the failure Finish can see (recorded as code -1).
        {"Finish, the setup cannot start", FINISH_BUTTON_PRESSED, deferred + "AutoLaunch=Broken\\Setup.exe\n" + failOne,
         "[AutoLaunch]\nReturnCode_-1=error:{Failed}\n[1033]\nFailed=The setup failed.\n", os, 0, nullptr, 0xFFFFFFFFu, 0},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WizardDriver wizard(Package(L"Way" + std::to_wstring(++index) + L".exe", Settings(c.runtime, c.more, c.os),
                                    {{"Broken\\Setup.exe", "this is not a program"}}));
        HWND sheet = wizard.Sheet();
        ASSERT_NE(sheet, nullptr);
        if (c.place == FINISH_BUTTON_PRESSED) {
            ASSERT_TRUE(wizard.WaitForPage(FINISH, 60000));
            EXPECT_NE(wizard.PageText(FINISH).find(L"Installation will start after Finish button is clicked."),
                      std::wstring::npos);
            wizard.Click(FINISH_BUTTON);
            if (c.started == 0 && c.answer == 0) {
                // The system tells the user that the setup cannot start.
                HWND box = wizard.WaitForDialog(30000);
                ASSERT_NE(box, nullptr);
                WizardDriver::Answer(box, IDOK);
            }
        }
        if (c.answer != 0) {
            HWND box = wizard.WaitForDialog(60000);
            ASSERT_NE(box, nullptr);
            EXPECT_FALSE(IsWindowVisible(sheet)) << "the wizard is hidden under the warning";
            WizardDriver::Answer(box, c.answer);
        }
        if (c.outcome) {
            ASSERT_TRUE(wizard.WaitForPage(FINISH, 60000));
            EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(sheet) != FALSE; }, 10000)) << "shown for its outcome";
            EXPECT_NE(wizard.PageText(FINISH).find(c.outcome), std::wstring::npos) << ToNarrow(wizard.PageText(FINISH));
            wizard.Click(FINISH_BUTTON);
        }
        // A process that stays behind without a window fails here, by this limit.
        ASSERT_TRUE(wizard.WaitForExit(60000)) << "the program still runs";
        EXPECT_EQ(wizard.ExitCode(), c.exitCode);
        EXPECT_TRUE(WaitUntil([&] { return Started().size() == c.started; }, 10000)) << Started().size();
        if (c.answer == IDNO) EXPECT_TRUE(Contains(Log(), "|Current operating system  not supported"));
        if (c.answer == IDYES) EXPECT_TRUE(Contains(Log(), "|Current OS is supported"));
    }
}

TEST_F(WizardLaunchTest, DeleteOnExitReachesTheCleanUpAndTheHandOverFile) {
    {
        SCOPED_TRACE("the program deletes at exit");
        WizardDriver wizard(Package(L"Delete.exe", Settings("AllowChangeTarget=1\nAutoLaunch=Setup\\Setup.exe\n")));
        ASSERT_TRUE(wizard.WaitForPage(LOCATION));
        wizard.ClickPageControl(1043);
        Sleep(300);
        wizard.Click(NEXT);
        ASSERT_TRUE(wizard.WaitForPage(FINISH, 60000));
        wizard.Click(FINISH_BUTTON);
        ASSERT_TRUE(wizard.WaitForExit());
        EXPECT_EQ(wizard.ExitCode(), 0u);
        EXPECT_EQ(Started().size(), 1u);
        EXPECT_FALSE(CUtil::FileExists(target + L"\\Docs\\ReadMe.txt"));
        EXPECT_FALSE(CUtil::FileExists(target + L"\\Setup\\Setup.exe"));
        EXPECT_FALSE(CUtil::FileExists(target + L"\\Docs"));
        EXPECT_TRUE(Contains(Log(), "|Delete extracted file on delete is enabled by user"));
    }
    {
        SCOPED_TRACE("the frame setup is handed the list");
        WizardDriver wizard(Package(L"Frame.exe", Settings("AllowChangeTarget=1\nAutoLaunch=Start.exe\n"),
                                    {{"Start.exe", probe}, {"InstData\\Resources\\Zub2.exe", "zub"}}));
        ASSERT_TRUE(wizard.WaitForPage(LOCATION));
        wizard.ClickPageControl(1043);
        Sleep(300);
        wizard.Click(NEXT);
        ASSERT_TRUE(wizard.WaitForPage(FINISH, 60000));
        wizard.Click(FINISH_BUTTON);
        ASSERT_TRUE(wizard.WaitForExit());
        EXPECT_EQ(wizard.ExitCode(), 0u);
        const std::string list = targetText + "\\ExtractedFilesToDelete.txt";
        auto started = Started();
        ASSERT_EQ(started.size(), 1u);
        EXPECT_NE(started[0].find("/DeleteOnFinish=\"" + list + "\""), std::string::npos) << started[0];
        auto lines = ReadLogLines(FromUtf8(list));
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines.front(), "[FilesToDelete]");
        EXPECT_TRUE(std::find(lines.begin(), lines.end(), targetText + "\\Docs\\ReadMe.txt") != lines.end());
        EXPECT_TRUE(std::find(lines.begin(), lines.end(), list) != lines.end());
        // The frame setup deletes; the program leaves the files.
        EXPECT_TRUE(CUtil::FileExists(target + L"\\Docs\\ReadMe.txt"));
    }
}

}  // namespace
