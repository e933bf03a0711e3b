// The contained setups started by real Silent and Unattended runs. The payload holds a stand-in
// setup (tresk_launch_probe.exe) that appends its arguments to the file named by
// TRESK_PROBE_RECORD and ends with the code it is told; exit codes are read with all 32 bits.
#include <gtest/gtest.h>

#include <windows.h>
#include <msi.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "../common/Environment.h"
#include "../common/FileBytes.h"
#include "../common/LogLines.h"
#include "../common/Narrow.h"
#include "../common/ProbeRecords.h"
#include "../common/ScratchFolder.h"
#include "ProgramProcess.h"
#include "ProgramRunner.h"
#include "TestPackage.h"
#include "package/Builder.h"

namespace {

const std::wstring kTarget = L"C:\\LaunchTarget";
const std::string kTargetText = "C:\\LaunchTarget";
const wchar_t* const kProductCode = L"{6B1C2F0E-3D4A-4E5B-9C7D-8E9F0A1B2C3D}";

// A package settings file: the system the prefix reports is supported, so the launch's own
// operating-system check lets the setups start.
std::string Settings(const std::string& runtime, const std::string& more = "") {
    return "[Package]\nName=Launch Test\nNameDispl=Launch Test\nVersionString=1.0\n"
           "[LogFiles]\nExtractLogFileName=Launch Test.log\n"
           "[OS]\nosallowed=Windows7;Windows764;Windows10;Windows1064\n"
           "[Runtime]\n" +
           runtime + more;
}

std::vector<std::string> Log() {
    return ReadLogLines(ExtractionLogPath(L"Launch Test.log"));
}

DWORD RunAndWait(const std::wstring& commandLine) {
    PROCESS_INFORMATION process;
    if (!StartProcess(commandLine, process)) return 0xFFFFFFFFu;
    WaitForSingleObject(process.hProcess, 120000);
    DWORD code = 0xFFFFFFFFu;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        CUtil::DeleteTree(kTarget);
        probe = ReadBytes(TRESK_PROBE_PATH);
        ASSERT_FALSE(probe.empty()) << "the stand-in setup is missing";
        SetEnvironmentVariableW(L"TRESK_PROBE_RECORD", recordPath.c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"TRESK_PROBE_RECORD", nullptr);
        CUtil::DeleteTree(kTarget);
    }

    std::wstring Package(const std::wstring& exeName, const std::string& settings,
                         std::vector<TestPayloadFile> extra = {}) {
        std::vector<TestPayloadFile> payload = {{"Setup\\Setup.exe", probe},
                                                {"Second\\Setup.exe", probe},
                                                {"Third\\Setup.exe", probe},
                                                {"Docs\\ReadMe.txt", "read me\r\n"}};
        payload.insert(payload.end(), extra.begin(), extra.end());
        return BuildTestPackage(folder.Path(), exeName, settings, payload);
    }

    ProgramRun Run(const std::wstring& package, const std::wstring& arguments) {
        CUtil::DeleteTree(kTarget);
        DeleteFileW(recordPath.c_str());
        ProgramRun run = RunExe(package, arguments + L" -extractpath=" + kTarget, 120000);
        EXPECT_TRUE(run.finished);
        return run;
    }

    // What the stand-in setups recorded, in the order they started.
    std::vector<ProbeRecord> Records() { return ReadProbeRecords(recordPath); }

    std::vector<std::string> Programs() {
        std::vector<std::string> programs;
        for (const auto& record : Records()) programs.push_back(record.program);
        return programs;
    }

    ScratchFolder folder{L"launch"};
    std::wstring recordPath = folder / L"record.txt";
    std::string probe;
};

TEST_F(LaunchTest, SilentRunStartsTheSetupAfterRemovingThePackageTemporaryFolder) {
    std::wstring package = Package(L"One.exe", Settings("AutoLaunch=Setup\\Setup.exe\n",
                                                        "[AutoLaunch]\nReturnCode_0=success:{Done}\n"
                                                        "[1033]\nLaunchEXEParams=/quiet /log=%temp%\\setup.log\n"
                                                        "Done=Installed.\n"));
    ProgramRun run = Run(package, L"-silent");
    EXPECT_EQ(run.exitCode, 0u);
    auto records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].program, kTargetText + "\\Setup\\Setup.exe");
    EXPECT_EQ(records[0].arguments, "/quiet /log=" + ToNarrow(TempFolder()) + "\\setup.log");
    // No package temporary folder existed any more when the setup started.
    EXPECT_EQ(records[0].packageTempFolders, "0");
    EXPECT_TRUE(PackageTempFolders().empty());

    auto log = Log();
    size_t removed = IndexOf(log, Column("Deleting folder : ") + "C:\\{");
    size_t launching = IndexOf(log, Column("LaunchMultipleApplications") + "Launching - " + kTargetText + "\\\\Setup\\Setup.exe");
    EXPECT_LT(removed, launching);
    EXPECT_LT(launching, log.size());
    EXPECT_TRUE(Contains(log, "|NonameFunction" + std::string(21, ' ') + "|Current OS is supported"));
    EXPECT_TRUE(Contains(log, Column("LaunchMultipleApplications") + "Return code of - " + kTargetText +
                                  "\\\\Setup\\Setup.exe is 0"));
    EXPECT_TRUE(Contains(log, Column("SetFinishMessage") + "Message Configuerd : Installed."));
}

TEST_F(LaunchTest, ThreeSetupsOldestFirstAndTheStopOnFailure) {
    const std::string runtime =
        "Multilaunch=1\nAutoLaunch1=Setup\\Setup.exe\nAutoLaunch2=Second\\Setup.exe\nAutoLaunch3=Third\\Setup.exe\n";
    const std::string more = "[AutoLaunch1]\nReturnCode_1603=error:{Failed}\n"
                             "[1033]\nLaunchEXEParams1=/exitcode=1603\nLaunchEXEParams2=/second\n"
                             "LaunchEXEParams3=/third /exitcode=3\nFailed=The first setup failed.\n";
    struct Case {
        const wchar_t* exe;
        std::string runtime;
        DWORD exitCode;
        std::vector<std::string> programs;
    };
    const Case cases[] = {
        {L"Stop.exe", runtime + "ExitOnAutolaunchFailure=1\n", 1603u, {kTargetText + "\\Setup\\Setup.exe"}},
        {L"GoOn.exe", runtime, 0u,
         {kTargetText + "\\Setup\\Setup.exe", kTargetText + "\\Second\\Setup.exe", kTargetText + "\\Third\\Setup.exe"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToNarrow(c.exe));
        ProgramRun run = Run(Package(c.exe, Settings(c.runtime, more)), L"-silent");
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(Programs(), c.programs);
        EXPECT_TRUE(Contains(Log(), "|ERROR     " + Column("SetFinishMessage") + "Error while installation. "
                                    "Message Configuerd : The first setup failed."));
    }
}

TEST_F(LaunchTest, QirvaModeArgumentsInSilentAndUnattendedRuns) {
    std::wstring package = Package(L"Qirva.exe", Settings("AutoLaunch=Setup\\Setup.exe\nMode=Qirva\n",
                                                          "[1033]\nLaunchEXEParams=/base\nLaunchEXEParamsSilent=/s\n"
                                                          "LaunchEXEParamsUnattended=/u\n"));
    struct Case {
        const wchar_t* mode;
        const char* arguments;
        std::string line;
    };
    const Case cases[] = {
        {L"-silent", "/base /s", Column("GetAutolaunchApps") + "Silent Mode identified for web Package"},
        {L"-unattended", "/base /u", Column("GetAutolaunchApps") + "Unattended Mode identified for web Package"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToNarrow(c.mode));
        ProgramRun run = Run(package, c.mode);
        EXPECT_EQ(run.exitCode, 0u);
        auto records = Records();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].arguments, c.arguments);
        EXPECT_TRUE(Contains(Log(), c.line));
    }
}

TEST_F(LaunchTest, NothingIsLaunched) {
    struct Case {
        const wchar_t* exe;
        std::string settings;
        const wchar_t* arguments;
        std::string line;
    };
    const Case cases[] = {
        {L"NoLaunch.exe", Settings("AutoLaunch=Setup\\Setup.exe\n"), L"-silent -autolaunch=no",
         Column("ValidateAndSetAutolaunchFromCommandLine") + "Autolaunch disabled"},
        // A missing program fails the whole list (result code 2): the valid AutoLaunch1 is not
        // started either.
        {L"Missing.exe", Settings("AutoLaunch=Setup\\Missing.exe\nAutoLaunch1=Setup\\Setup.exe\n"), L"-silent",
         "|ERROR     " + Column("File for launching the setup not found : ") + kTargetText + "\\\\Setup\\Missing.exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToNarrow(c.exe));
        ProgramRun run = Run(Package(c.exe, c.settings), c.arguments);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_TRUE(Records().empty());
        EXPECT_TRUE(CUtil::FileExists(kTarget + L"\\Docs\\ReadMe.txt"));
        auto log = Log();
        EXPECT_TRUE(Contains(log, c.line)) << c.line;
        EXPECT_FALSE(Contains(log, Column("LaunchMultipleApplications") + "Launching - "));
    }
}

TEST_F(LaunchTest, ProgramThatCannotStartIsAFailedStart) {
    const std::string runtime = "Multilaunch=1\nAutoLaunch1=Setup\\Broken.exe\nAutoLaunch2=Second\\Setup.exe\n";
    const std::string more = "[AutoLaunch1]\nReturnCode_-1=error:{NotStarted}\n[1033]\nNotStarted=Not started.\n";
    struct Case {
        const wchar_t* exe;
        std::string runtime;
        DWORD exitCode;
        size_t started;
    };
    const Case cases[] = {
        {L"BrokenStop.exe", runtime + "ExitOnAutolaunchFailure=1\n", 0xFFFFFFFFu, 0},
        {L"BrokenGoOn.exe", runtime, 0u, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToNarrow(c.exe));
        ProgramRun run = Run(Package(c.exe, Settings(c.runtime, more), {{"Setup\\Broken.exe", "this is no program"}}),
                             L"-silent");
        // The run ends by itself: no error box of the system waits for an answer.
        EXPECT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(Records().size(), c.started);
        auto log = Log();
        EXPECT_TRUE(Contains(log, "|ERROR     " + Column("LaunchMultipleApplications") + kTargetText +
                                      "\\\\Setup\\Broken.exe could not be started : "));
        EXPECT_TRUE(Contains(log, "|ERROR     " + Column("SetFinishMessage") + "Error while installation. "
                                  "Message Configuerd : Not started."));
    }
}

TEST_F(LaunchTest, SetupNotWaitedForIsRecordedAsStillRunning) {
    std::wstring package = Package(
        L"NoWait.exe", Settings("AutoLaunch=Setup\\Setup.exe\nWaitForAutolaunchFinish=0\nExitOnAutolaunchFailure=1\n",
                                "[AutoLaunch]\nReturnCode_259=error:{Running}\n"
                                "[1033]\nLaunchEXEParams=/sleep=2000\nRunning=Still running.\n"));
    ProgramRun run = Run(package, L"-silent");
    // 259 is the platform's still-active code: the setup had not ended when its code was read.
    EXPECT_EQ(run.exitCode, 259u);
    EXPECT_EQ(Records().size(), 1u);
    EXPECT_FALSE(Contains(Log(), Column("LaunchMultipleApplications") + "Return code of - "));
    for (int i = 0; i < 1000 && ReadBytes(recordPath).find("\tend") == std::string::npos; ++i) Sleep(10);
}

// [Runtime] ReturnSetupExitCode=1: the last setup's own code reaches the deployment tool, 3010 and
// 1641 (restart required, restart started) above all.
TEST_F(LaunchTest, SetupsOwnExitCodeWhenThePackageAsksForIt) {
    const std::string pass = "ReturnSetupExitCode=1\n";
    const std::string two = "Multilaunch=1\nAutoLaunch1=Setup\\Setup.exe\nAutoLaunch2=Second\\Setup.exe\n";
    struct Case {
        const wchar_t* exe;
        std::string runtime;
        std::string more;
        const wchar_t* mode;
        DWORD exitCode;
    };
    const Case cases[] = {
        {L"Restart.exe", "AutoLaunch=Setup\\Setup.exe\n" + pass, "[1033]\nLaunchEXEParams=/exitcode=3010\n", L"-silent",
         3010u},
        {L"Rebooting.exe", "AutoLaunch=Setup\\Setup.exe\n" + pass, "[1033]\nLaunchEXEParams=/exitcode=1641\n",
         L"-unattended", 1641u},
        // A failure code the package does not configure reaches the tool too.
        {L"Unconfigured.exe", "AutoLaunch=Setup\\Setup.exe\n" + pass, "[1033]\nLaunchEXEParams=/exitcode=1603\n",
         L"-silent", 1603u},
        {L"WithoutSetting.exe", "AutoLaunch=Setup\\Setup.exe\n", "[1033]\nLaunchEXEParams=/exitcode=3010\n", L"-silent",
         0u},
        // The last setup's code: the second one's.
        {L"TwoSetups.exe", two + pass, "[1033]\nLaunchEXEParams1=/exitcode=3010\nLaunchEXEParams2=/exitcode=1641\n",
         L"-silent", 1641u},
        // A setup marked as failure stops the launching with its code, as without the setting.
        {L"Stopped.exe", two + pass + "ExitOnAutolaunchFailure=1\n",
         "[AutoLaunch1]\nReturnCode_1603=error:{Failed}\n[1033]\nLaunchEXEParams1=/exitcode=1603\n"
         "LaunchEXEParams2=/exitcode=3010\nFailed=Failed.\n",
         L"-silent", 1603u},
        // No setup to pass a code on: missing, or not waited for.
        {L"SetupMissing.exe", "AutoLaunch=Setup\\Missing.exe\n" + pass, "", L"-silent", 0xFFFFFFFFu},
        {L"NotWaited.exe", "AutoLaunch=Setup\\Setup.exe\nWaitForAutolaunchFinish=0\n" + pass,
         "[1033]\nLaunchEXEParams=/exitcode=3010\n", L"-silent", 0u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToNarrow(c.exe));
        ProgramRun run = Run(Package(c.exe, Settings(c.runtime, c.more)), c.mode);
        EXPECT_EQ(run.exitCode, c.exitCode);
        const bool passes = c.runtime.find(pass) != std::string::npos;
        EXPECT_EQ(Contains(Log(), Column("ExitInstance") + "Exit code of the package : " +
                                      std::to_string(static_cast<int>(c.exitCode))),
                  passes);
    }
}

// The example package as the README's deployment section sets it out: built from
// examples/ExampleProduct, started by its install script through the command interpreter as a
// deployment tool starts it, and the code its setup answers (a restart needed, started, a failure)
// comes back to the caller; the extraction log lies where the README says.
TEST_F(LaunchTest, ExamplePackageTellsTheDeploymentToolAboutARestart) {
    namespace fs = std::filesystem;
    const fs::path example = TRESK_EXAMPLE_FOLDER;
    const fs::path payload = fs::path(folder.Path()) / L"example_payload";
    std::error_code code;
    fs::copy(example / L"payload", payload, fs::copy_options::recursive, code);
    ASSERT_FALSE(code) << code.message();
    ASSERT_TRUE(CopyFileW(TRESK_EXAMPLE_SETUP, (payload / L"Setup.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((example / L"deploy" / L"Install.cmd").c_str(), (folder / L"Install.cmd").c_str(), FALSE));
    BuildOptions options;
    options.programPath = ToUtf8(TRESK_PROGRAM_PATH);
    options.settingsPath = (example / L"Properties_Qirva.ini").u8string();
    options.supportInputs = {(example / L"support").u8string()};
    options.payloadFolder = payload.u8string();
    options.outputPath = ToUtf8(folder / L"ExampleProduct_V1_2.exe");
    BuildResult result;
    std::string error;
    ASSERT_TRUE(BuildPackage(options, result, error)) << error;

    wchar_t programData[MAX_PATH] = {};
    GetEnvironmentVariableW(L"ProgramData", programData, MAX_PATH);
    const std::wstring log = std::wstring(programData) + L"\\Velmora\\Automation\\Logfiles\\Example Product.log";
    std::string arguments = "/quiet";
    for (const char* answer : {"", "/exitcode=3010", "/exitcode=1641", "/exitcode=1603"}) {
        SCOPED_TRACE(answer);
        // The example setup ends with the code its arguments name.
        RewritePackageSettings(folder / L"ExampleProduct_V1_2.exe", [&](std::string text) {
            for (size_t at = text.find("LaunchEXEParams=" + arguments); at != std::string::npos;
                 at = text.find("LaunchEXEParams=" + arguments, at + 1))
                text.replace(at, 16 + arguments.size(), "LaunchEXEParams=/quiet " + std::string(answer));
            return text;
        });
        arguments = "/quiet " + std::string(answer);
        DeleteFileW(log.c_str());
        DWORD exitCode = RunAndWait(L"cmd.exe /c \"" + (folder / L"Install.cmd") + L"\"");
        const int expected = *answer ? std::atoi(answer + 10) : 0;
        EXPECT_EQ(exitCode, static_cast<DWORD>(expected));
        auto lines = ReadLogLines(log);
        EXPECT_TRUE(Contains(lines, Column("ExitInstance") + "Exit code of the package : " + std::to_string(expected)));
    }
}

TEST_F(LaunchTest, WindowsInstallerPackageThroughTheSystemInstaller) {
#ifndef TRESK_PROBE_MSI_PATH
    GTEST_SKIP() << "wixl was not found when the tests were configured; scripts/setup installs it";
#else
    std::string product = ReadBytes(TRESK_PROBE_MSI_PATH);
    ASSERT_FALSE(product.empty());
    RunAndWait(std::wstring(L"msiexec.exe /x ") + kProductCode + L" /qn");
    ASSERT_NE(MsiQueryProductStateW(kProductCode), INSTALLSTATE_DEFAULT);

    // A damaged package: whatever the system installer answers comes back as the exit code.
    const std::string damaged = "this is no installer package";
    std::wstring damagedPath = folder / L"Damaged.msi";
    WriteBytes(damagedPath, damaged);
    DWORD damagedCode = RunAndWait(L"msiexec.exe /i \"" + damagedPath + L"\" /qn");
    ASSERT_NE(damagedCode, 0u);

    const std::string codeKey = "ReturnCode_" + std::to_string(damagedCode);
    std::wstring package = Package(
        L"Installer.exe",
        Settings("Multilaunch=1\nExitOnAutolaunchFailure=1\nAutoLaunch1=Product.msi\nAutoLaunch2=Damaged.MSI\n",
                 "[AutoLaunch1]\nReturnCode_0=success:{Installed}\n[AutoLaunch2]\n" + codeKey +
                     "=error:{Damaged}\n[1033]\nLaunchEXEParams1=/qn\nLaunchEXEParams2=/qn\n"
                     "Installed=Product installed.\nDamaged=Damaged package.\n"),
        {{"Product.msi", product}, {"Damaged.MSI", damaged}});
    ProgramRun run = Run(package, L"-silent");
    EXPECT_EQ(run.exitCode, damagedCode);
    EXPECT_EQ(MsiQueryProductStateW(kProductCode), INSTALLSTATE_DEFAULT);
    // The test product is a 32-bit installer package: on 64-bit Windows it goes to the 32-bit
    // program-files folder, whichever build of the program launched it.
    wchar_t programFiles[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"ProgramFiles(x86)", programFiles, MAX_PATH))
        GetEnvironmentVariableW(L"ProgramFiles", programFiles, MAX_PATH);
    EXPECT_TRUE(CUtil::FileExists(std::wstring(programFiles) + L"\\TreskLaunchTestProduct\\installed.txt"));
    auto log = Log();
    EXPECT_TRUE(Contains(log, Column("LaunchMultipleApplications") + "Return code of - " + kTargetText +
                                  "\\\\Product.msi is 0"));
    EXPECT_TRUE(Contains(log, Column("SetFinishMessage") + "Message Configuerd : Product installed."));
    EXPECT_TRUE(Contains(log, Column("LaunchMultipleApplications") + "Return code of - " + kTargetText +
                                  "\\\\Damaged.MSI is " + std::to_string(damagedCode)));

    RunAndWait(std::wstring(L"msiexec.exe /x ") + kProductCode + L" /qn");
    EXPECT_NE(MsiQueryProductStateW(kProductCode), INSTALLSTATE_DEFAULT);
#endif
}

}  // namespace
