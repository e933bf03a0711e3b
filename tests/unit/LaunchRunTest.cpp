// The launch run in process with real programs: a stand-in setup (tresk_launch_probe.exe, built
// beside this test) records its arguments; the frame setup gets the hand-over file and a wizard
// follows the launch. (A program that cannot start is tested end to end: in this process's Full
// GUI mode the system shows its own error box.)
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "../common/Narrow.h"
#include "../common/ProbeRecords.h"
#include "LaunchTestSupport.h"
#include "TestLaunchHost.h"
#include "app/WorkerThread.h"
#include "launch/Launcher.h"
#include "log/BuildLogFile.h"
#include "text/Utf.h"

namespace {

// A window that remembers every position a progress bar is set to.
std::vector<int> barPositions;
LRESULT CALLBACK RecordingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PBM_SETPOS) barPositions.push_back(static_cast<int>(wParam));
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateRecordingWindow() {
    return CreateClassWindow(L"TreskLaunchTestWindow", RecordingWindowProc, WS_OVERLAPPEDWINDOW);
}

class FakeWizard : public CLaunchWizard {
public:
    FakeWizard() : window(CreateRecordingWindow()), page(CreateRecordingWindow()), bar(CreateRecordingWindow()) {}
    ~FakeWizard() override {
        DestroyWindow(window);
        DestroyWindow(page);
        DestroyWindow(bar);
    }
    HWND GetWizardWindow() override { return window; }
    HWND GetAutolaunchPageWindow() override { return page; }
    HWND GetAutolaunchProgressBar() override { return bar; }
    void OnLaunchFinished() override { ++launchFinishedCalls; }
    int GetLaunchImmediately() override { return launchImmediately; }
    void MoveToFinishPage() override { ++finishPageMoves; }

    HWND window, page, bar;
    int launchImmediately = 0;
    int launchFinishedCalls = 0;
    int finishPageMoves = 0;
};

class LaunchRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(temp.c_str(), nullptr);
        CreateDirectoryW(extract.c_str(), nullptr);
        theInitializer.SetExtractPath(extractPath);
        ClearExtractionRecords();
        std::string probe = ReadBytes(CUtil::GetProgramFolder() + L"\\tresk_launch_probe.exe");
        ASSERT_FALSE(probe.empty());
        ExtractLikeTheEngine(extractPath, {L"Setup\\Start.exe", L"Second\\Setup.exe", L"Third\\Setup.exe",
                                           L"Setup\\InstData\\Resources\\Zub2.exe"},
                             probe);
        SetEnvironmentVariableW(L"TRESK_PROBE_RECORD", recordPath.c_str());
        theLog.InitLog(logPath, LOG_THRESHOLD_NORMAL);
    }
    void TearDown() override {
        theLog.InitLog(L"", LOG_THRESHOLD_NORMAL);
        SetEnvironmentVariableW(L"TRESK_PROBE_RECORD", nullptr);
        workerStopFlag = 0;
        ClearExtractionRecords();
    }

    void Prepare(const std::string& settings) {
        WriteBytes(temp + L"\\Properties_Qirva.ini", EncodeUtf16LeWithBom(settings));
        theInitializer.SetTempFolder(temp);
        theInitializer.SetSetupLanguage(1033);
        theInitializer.SetPackageResultCode(0);
        theInitializer.SetSetupReturnCodeValid(0);
        theInitializer.SetWaitForAutoLaunchParam();
        DeleteFileW(recordPath.c_str());
        DeleteFileW(logPath.c_str());
    }

    // What the stand-in setups recorded, in the order they started (end lines left out).
    std::vector<ProbeRecord> Records() { return ReadProbeRecords(recordPath); }

    ScratchFolder scratch{L"launchrun"};
    std::wstring temp = scratch / L"pkgtemp";
    std::wstring extract = scratch / L"extract";
    std::wstring extractPath = extract + L"\\";
    std::wstring recordPath = scratch / L"record.txt";
    std::wstring logPath = scratch / L"launch.log";
    TestLaunchHost host;
};

TEST_F(LaunchRunTest, FrameSetupGetsTheHandOverFileWithItsArguments) {
    Prepare("[Runtime]\nMultilaunch=1\nAutoLaunch1=Setup\\Start.exe\nWaitForAutolaunchFinish=1\n"
            "[1033]\nLaunchEXEParams1=/lang=1033\n");
    host.deleteOnExit = 1;
    EXPECT_EQ(HandleLaunchSetup(host), 0);

    const std::string root = ToNarrow(extractPath);
    auto records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].program, root + "Setup\\Start.exe");
    EXPECT_EQ(records[0].arguments, "/lang=1033 /DeleteOnFinish=\"" + root + "ExtractedFilesToDelete.txt\"");
    EXPECT_EQ(ReadBytes(extractPath + L"ExtractedFilesToDelete.txt"),
              "[FilesToDelete]\r\n" + root + "Setup\\Start.exe\r\n" + root + "Second\\Setup.exe\r\n" + root +
                  "Third\\Setup.exe\r\n" + root + "Setup\\InstData\\Resources\\Zub2.exe\r\n" + root +
                  "ExtractedFilesToDelete.txt\r\n" + root + "Setup\r\n" + root + "Second\r\n" + root + "Third\r\n" +
                  root + "Setup\\InstData\\Resources\r\n" + root + "Setup\\InstData\r\n");
    // The frame setup deletes; the program leaves the files alone at exit.
    EXPECT_EQ(theInitializer.GetFrameDeletesOnExit(), 0);
    auto messages = LogMessages(logPath, "LaunchMultipleApplications");
    EXPECT_NE(std::find(messages.begin(), messages.end(),
                        "Return code of - " + root + "\\Setup\\Start.exe is 0"),
              messages.end());
}

TEST_F(LaunchRunTest, WizardFollowsTheLaunch) {
    const std::string three = "[Runtime]\nMultilaunch=1\nAutoLaunch1=Setup\\Start.exe\nAutoLaunch2=Second\\Setup.exe\n"
                              "AutoLaunch3=Third\\Setup.exe\n";
    struct Case {
        const char* label;
        std::string settings;
        int launchImmediately;
        bool cancel;
        int result;
        std::vector<int> bar;
        size_t started;
        bool visible;
        int finishPageMoves, launchFinishedCalls;
    };
    const Case cases[] = {
        {"two entries with the installation dialog",
         "[Runtime]\nMultilaunch=1\nAutoLaunch1=Setup\\Start.exe\nAutoLaunch2=Second\\Setup.exe\n"
         "AutoLaunchInstallationDialog=1\n",
         1, false, 10, {50, 100}, 2, true, 0, 0},
        {"three entries with the installation dialog", three + "AutoLaunchInstallationDialog=1\n", 1, false, 10,
         {33, 66, 99}, 3, true, 0, 0},
        {"one entry waited for: the wizard comes back and moves on",
         "[Runtime]\nAutoLaunch=Second\\Setup.exe\n", 1, false, 0, {}, 1, true, 1, 0},
        {"one entry waited for, no immediate move", "[Runtime]\nAutoLaunch=Second\\Setup.exe\n", 0, false, 0, {}, 1,
         true, 0, 0},
        {"one entry not waited for: the wizard stays hidden and closes",
         "[Runtime]\nAutoLaunch=Second\\Setup.exe\nWaitForAutolaunchFinish=0\n"
         "[1033]\nLaunchEXEParams=/sleep=1500\n",
         1, false, 10, {}, 1, false, 0, 0},
        {"cancel confirmed while the first of three runs", three, 0, true, 10, {}, 1, false, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Prepare(c.settings);
        FakeWizard wizard;
        wizard.launchImmediately = c.launchImmediately;
        barPositions.clear();
        // The wizard's Cancel sets the flag while a setup runs; the launch sees it when it returns.
        workerStopFlag = c.cancel ? 1 : 0;
        EXPECT_EQ(HandleLaunchSetup(host, &wizard), c.result);
        workerStopFlag = 0;
        EXPECT_EQ(barPositions, c.bar);
        // A setup not waited for records its start on its own time; a loaded machine may take a while.
        for (int i = 0; i < 1000 && Records().size() < c.started; ++i) Sleep(10);
        EXPECT_EQ(Records().size(), c.started);
        EXPECT_EQ(IsWindowVisible(wizard.window) != FALSE, c.visible);
        EXPECT_EQ(wizard.finishPageMoves, c.finishPageMoves);
        EXPECT_EQ(wizard.launchFinishedCalls, c.launchFinishedCalls);
        auto messages = LogMessages(logPath, "LaunchMultipleApplications");
        bool stopped = false, returnCodeLogged = false;
        for (const auto& message : messages) {
            stopped = stopped || message == "Launch process is stopped";
            returnCodeLogged = returnCodeLogged || message.rfind("Return code of - ", 0) == 0;
        }
        EXPECT_EQ(stopped, c.cancel);
        // Without waiting there is no exit code to speak of: it is not logged.
        EXPECT_EQ(returnCodeLogged, theInitializer.GetWaitForAutolaunchFinish() == 1 && !c.cancel);
        // A setup that was not waited for is still running; let it end before its folder goes.
        for (int i = 0; i < 500 && ReadBytes(recordPath).find("\tend") == std::string::npos &&
                        theInitializer.GetWaitForAutolaunchFinish() == 0;
             ++i)
            Sleep(10);
    }
}

TEST_F(LaunchRunTest, NotWaitedForSetupIsRecordedAsStillRunning) {
    Prepare("[Runtime]\nAutoLaunch=Second\\Setup.exe\nWaitForAutolaunchFinish=0\n"
            "[AutoLaunch]\nReturnCode_259=error:{Running}\n"
            "[1033]\nLaunchEXEParams=/sleep=1500\nRunning=Still running\n");
    EXPECT_EQ(HandleLaunchSetup(host), 10);
    EXPECT_EQ(host.GetReturnCodes().GetFinishMessage(), L"Still running");
    EXPECT_EQ(host.GetReturnCodes().GetSetupReturnCode(), 259);
    for (int i = 0; i < 500 && ReadBytes(recordPath).find("\tend") == std::string::npos; ++i) Sleep(10);
}

TEST_F(LaunchRunTest, ProgramMissingAtLaunchTimeIsSkipped) {
    Prepare("[Runtime]\nMultilaunch=1\n");
    TextList launchList = {L"AutoLaunch2:" + extractPath + L"\\Second\\Setup.exe",
                           L"AutoLaunch1:" + extractPath + L"\\Gone\\Setup.exe"};
    TextList parameterList = {L"/two", L"/one"};
    EXPECT_EQ(LaunchMultipleApplications(host, L"1033", launchList, parameterList, L""), -1);
    EXPECT_EQ(theInitializer.GetPackageResultCode(), -4);
    auto records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].arguments, "/two");
}

}  // namespace
