// The launch list built from the package settings over real files in an extraction folder, and
// the command-line decisions of a launch: environment tokens, the program that starts a path,
// the elevation verb.
#include <gtest/gtest.h>

#include <vector>

#include "../common/Environment.h"
#include "../common/Narrow.h"
#include "TestLaunchHost.h"
#include "TestSupport.h"
#include "app/RunMode.h"
#include "launch/AutolaunchList.h"
#include "launch/LaunchApplication.h"
#include "log/BuildLogFile.h"
#include "package/QirvaInitalizer.h"
#include "text/Utf.h"

namespace {

constexpr int kUntouched = 77;

class AutolaunchListTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(temp.c_str(), nullptr);
        CreateDirectoryW(extract.c_str(), nullptr);
        for (const wchar_t* file : {L"Tool.exe", L"StartSetup.exe", L"Start.exe", L"InstData\\Resources\\Zub2.exe",
                                    L"Setup\\Start.exe", L"Setup\\InstData\\Resources\\Zub2.exe", L"Plain\\Start.exe"}) {
            std::wstring path = extractPath + file;
            CUtil::CreateFolderOfFile(path);
            WriteBytes(path, "MZ");
        }
        theLog.InitLog(logPath, LOG_THRESHOLD_NORMAL);
    }
    void TearDown() override {
        theLog.InitLog(L"", LOG_THRESHOLD_NORMAL);
        theInitializer.packageFiles.clear();
        theInitializer.packageFolders.clear();
    }

    void Prepare(const std::string& runtime, const std::string& language, int deleteOnExit) {
        WriteBytes(temp + L"\\Properties_Qirva.ini",
                   EncodeUtf16LeWithBom("[Runtime]\n" + runtime + "[1033]\n" + language));
        theInitializer.SetTempFolder(temp);
        theInitializer.SetExtractPath(extractPath);
        theInitializer.SetSetupLanguage(1033);
        theInitializer.SetPackageResultCode(0);
        theInitializer.SetFrameDeletesOnExit(kUntouched);
        theInitializer.SetWaitForAutoLaunchParam();
        theInitializer.packageFiles.clear();
        theInitializer.packageFolders.clear();
        host.deleteOnExit = deleteOnExit;
        DeleteFileW(handOverPath.c_str());
        DeleteFileW(logPath.c_str());
    }

    ScratchFolder scratch{L"launchlist"};
    std::wstring temp = scratch / L"pkgtemp";
    std::wstring extract = scratch / L"extract";
    std::wstring extractPath = extract + L"\\";
    std::wstring handOverPath = extractPath + L"ExtractedFilesToDelete.txt";
    std::wstring logPath = scratch / L"launch.log";
    TestLaunchHost host;
};

TEST_F(AutolaunchListTest, SettingsToLaunchAndParameterLists) {
    struct Entry {
        std::wstring key, value, parameters;  // "{H}" stands for the hand-over argument
    };
    struct Case {
        const char* label;
        std::string runtime, language;
        int runMode, deleteOnExit;
        std::vector<Entry> entries;  // oldest first
        bool launchListEmptied;
        int resultCode, frameDeletes;
        bool handOverWritten;
    };
    const std::string tooDeep = "Deep\\" + std::string(900, 'a') + "\\Setup.exe";
    // A launch path of 899 characters is not too deep; it is missing (longer than 255).
    const std::string justShallowEnough =
        "Deep\\" + std::string(899 - ToNarrow(extractPath).size() - 1 - 5 - 10, 'a') + "\\Setup.exe";
    ASSERT_EQ(ToNarrow(extractPath).size() + 1 + justShallowEnough.size(), 899u);
    const std::string lang = "LaunchEXEParams=/single\nLaunchEXEParams1=/1\nLaunchEXEParams2=/2\nLaunchEXEParams3=/3\n";
    const std::string qirva = "LaunchEXEParams=/p\nLaunchEXEParamsSilent=/s\nLaunchEXEParamsUnattended=/u\n";
    const Case cases[] = {
        {"numbered list whose first entry is empty", "Multilaunch=1\nAutoLaunch=Tool.exe\nAutoLaunch2=Tool.exe\n", lang,
         MODE_SILENT, 0, {}, false, 0, kUntouched, false},
        {"anything but exactly 1 is one unnumbered entry", "Multilaunch=yes\nAutoLaunch=Tool.exe\nAutoLaunch1=Tool.exe\n",
         lang, MODE_SILENT, 0, {{L"AutoLaunch", L"Tool.exe", L"/single"}}, false, 0, kUntouched, false},
        {"numbered entries up to the first empty number",
         "Multilaunch=1\nAutoLaunch1=Tool.exe\nAutoLaunch2=StartSetup.exe\nAutoLaunch4=Tool.exe\n",
         "LaunchEXEParams1=/1\n", MODE_SILENT, 0,
         {{L"AutoLaunch1", L"Tool.exe", L"/1"}, {L"AutoLaunch2", L"StartSetup.exe", L""}}, false, 0, kUntouched, false},
        {"missing single entry: AutoLaunch1 is examined, nothing launched", "AutoLaunch=Missing.exe\nAutoLaunch1=Tool.exe\n",
         lang, MODE_SILENT, 0, {{L"AutoLaunch1", L"Tool.exe", L"/1"}}, true, 2, kUntouched, false},
        {"launch path of 900 characters: no later entry is read",
         "Multilaunch=1\nAutoLaunch1=" + tooDeep + "\nAutoLaunch2=Tool.exe\n", lang, MODE_SILENT, 0, {}, true, -1,
         kUntouched, false},
        {"launch path of 899 characters is only missing",
         "Multilaunch=1\nAutoLaunch1=" + justShallowEnough + "\nAutoLaunch2=Tool.exe\n", lang, MODE_SILENT, 0,
         {{L"AutoLaunch2", L"Tool.exe", L"/2"}}, true, 2, kUntouched, false},
        {"frame setup with its assistant gets the hand-over argument",
         "Multilaunch=1\nAutoLaunch1=Setup\\Start.exe\n", "LaunchEXEParams1=/lang=1033\n", MODE_FULL_GUI, 1,
         {{L"AutoLaunch1", L"Setup\\Start.exe", L"/lang=1033 {H}"}}, false, 0, 0, true},
        {"START.EXE in any letter case is the frame setup", "AutoLaunch=setup\\START.EXE\n", "", MODE_FULL_GUI, 1,
         {{L"AutoLaunch", L"setup\\START.EXE", L" {H}"}}, false, 0, 0, true},
        {"assistant beside a frame setup in the extraction folder itself", "AutoLaunch=Start.exe\n", lang, MODE_FULL_GUI,
         1, {{L"AutoLaunch", L"Start.exe", L"/single {H}"}}, false, 0, 0, true},
        {"StartSetup.exe is no frame setup", "AutoLaunch=StartSetup.exe\n", lang, MODE_FULL_GUI, 1,
         {{L"AutoLaunch", L"StartSetup.exe", L"/single"}}, false, 0, 1, false},
        {"frame setup without its assistant", "AutoLaunch=Plain\\Start.exe\n", lang, MODE_FULL_GUI, 1,
         {{L"AutoLaunch", L"Plain\\Start.exe", L"/single"}}, false, 0, 1, false},
        {"Qirva mode, Silent: silent arguments and no hand-over", "AutoLaunch=Setup\\Start.exe\nMode=qirva\n", qirva,
         MODE_SILENT, 1, {{L"AutoLaunch", L"Setup\\Start.exe", L"/p /s"}}, false, 0, 1, false},
        {"Qirva mode, Unattended", "AutoLaunch=Setup\\Start.exe\nMode=QIRVA\n", qirva, MODE_UNATTENDED, 0,
         {{L"AutoLaunch", L"Setup\\Start.exe", L"/p /u"}}, false, 0, kUntouched, false},
        {"Qirva mode, Silent, no silent arguments: the blank stays", "AutoLaunch=Tool.exe\nMode=Qirva\n",
         "LaunchEXEParams=/p\n", MODE_SILENT, 0, {{L"AutoLaunch", L"Tool.exe", L"/p "}}, false, 0, kUntouched, false},
        {"Qirva mode, Full GUI: the hand-over rule", "AutoLaunch=Setup\\Start.exe\nMode=Qirva\n", qirva, MODE_FULL_GUI, 1,
         {{L"AutoLaunch", L"Setup\\Start.exe", L"/p {H}"}}, false, 0, 0, true},
        {"no mode, Silent: the hand-over rule", "AutoLaunch=Setup\\Start.exe\n", qirva, MODE_SILENT, 1,
         {{L"AutoLaunch", L"Setup\\Start.exe", L"/p {H}"}}, false, 0, 0, true},
        {"three frame setups, waiting: only the last started keeps the argument",
         "Multilaunch=1\nAutoLaunch1=Setup\\Start.exe\nAutoLaunch2=Start.exe\nAutoLaunch3=setup\\start.exe\n", lang,
         MODE_FULL_GUI, 1,
         {{L"AutoLaunch1", L"Setup\\Start.exe", L"/1"},
          {L"AutoLaunch2", L"Start.exe", L"/2"},
          {L"AutoLaunch3", L"setup\\start.exe", L"/3 {H}"}},
         false, 0, 0, true},
        {"a later entry that is no frame setup: the program deletes at exit",
         "Multilaunch=1\nAutoLaunch1=Setup\\Start.exe\nAutoLaunch2=Tool.exe\n", lang, MODE_FULL_GUI, 1,
         {{L"AutoLaunch1", L"Setup\\Start.exe", L"/1"}, {L"AutoLaunch2", L"Tool.exe", L"/2"}}, false, 0, 1, false},
        {"not waiting: every frame setup keeps the argument, the flag stays",
         "Multilaunch=1\nWaitForAutolaunchFinish=0\nAutoLaunch1=Setup\\Start.exe\nAutoLaunch2=Start.exe\n", lang,
         MODE_FULL_GUI, 1, {{L"AutoLaunch1", L"Setup\\Start.exe", L"/1 {H}"}, {L"AutoLaunch2", L"Start.exe", L"/2 {H}"}},
         false, 0, kUntouched, true},
    };
    const std::wstring handOver = L"/DeleteOnFinish=\"" + handOverPath + L"\"";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Prepare(c.runtime, c.language, c.deleteOnExit);
        TextList launchList, parameterList;
        GetAutolaunchApps(L"1033", c.runMode, host.GetDeleteOnExit(), &host.GetReturnCodes(), launchList, parameterList);

        std::vector<std::wstring> launches(launchList.rbegin(), launchList.rend());
        std::vector<std::wstring> parameters(parameterList.rbegin(), parameterList.rend());
        std::vector<std::wstring> expectedLaunches, expectedParameters;
        for (const auto& entry : c.entries) {
            expectedLaunches.push_back(entry.key + L":" + extractPath + L"\\" + entry.value);
            std::wstring text = entry.parameters;
            size_t at = text.find(L"{H}");
            if (at != std::wstring::npos) text.replace(at, 3, handOver);
            expectedParameters.push_back(text);
        }
        if (c.launchListEmptied) expectedLaunches.clear();
        EXPECT_EQ(launches, expectedLaunches);
        EXPECT_EQ(parameters, expectedParameters);
        EXPECT_EQ(theInitializer.GetPackageResultCode(), c.resultCode);
        EXPECT_EQ(theInitializer.GetFrameDeletesOnExit(), c.frameDeletes);
        EXPECT_EQ(CUtil::FileExists(handOverPath), c.handOverWritten);
        if (c.handOverWritten) {
            // However often it was written, the list names itself once, as its last file.
            auto lines = ReadLogLines(handOverPath);
            ASSERT_EQ(lines.size(), 2u);
            EXPECT_EQ(lines[0], "[FilesToDelete]");
            EXPECT_EQ(lines[1], ToNarrow(handOverPath));
        }
    }
}

TEST_F(AutolaunchListTest, LogLinesOfTheList) {
    Prepare("Multilaunch=1\nAutoLaunch1=Setup\\Start.exe\nAutoLaunch2=Missing.exe\n", "LaunchEXEParams1=/lang=1033\n", 1);
    TextList launchList, parameterList;
    GetAutolaunchApps(L"1033", MODE_FULL_GUI, host.GetDeleteOnExit(), &host.GetReturnCodes(), launchList, parameterList);
    auto log = ReadLogLines(logPath);
    std::string path = ToNarrow(extractPath);
    EXPECT_TRUE(Contains(log, "|GetAutolaunchApps                   |AutoLaunch1 : Setup\\Start.exe"));
    EXPECT_TRUE(Contains(log, "|GetAutolaunchApps                   |Mode - "));
    EXPECT_TRUE(Contains(log, "|GetAutolaunchApps                   |Writing to ExtractedFilesToDelete.txt is success"));
    EXPECT_TRUE(Contains(log, "|ERROR     |File for launching the setup not found :  |" + path + "\\Missing.exe"));
    EXPECT_TRUE(Contains(log, "|GetAutolaunchApps                   |Parameters for Application AutoLaunch1:" + path +
                                  "\\Setup\\Start.exe to be launched is - /lang=1033 /DeleteOnFinish=\"" + path +
                                  "ExtractedFilesToDelete.txt\""));
    // The entry's return-code section is loaded with it.
    EXPECT_EQ(host.GetReturnCodes().FinishMessages().count(L"MessageOnFinish"), 1u);
}

TEST(ExpandLaunchParameters, TokensFollowedByASeparatorAreExpanded) {
    ScratchFolder scratch{L"expand"};
    std::wstring logPath = scratch / L"expand.log";
    const std::wstring temp = TempFolder();
    const std::wstring programFiles = EnvironmentVariable(L"ProgramFiles");
    ASSERT_FALSE(temp.empty());
    SetEnvironmentVariableW(L"MYVAR", L"C:\\Mine");
    SetEnvironmentVariableW(L"PERCENT", L"50%");
    SetEnvironmentVariableW(L"NOSUCHVAR", nullptr);
    struct Case {
        std::wstring text, expanded;
        int warnings;
    };
    const Case cases[] = {
        {L"%temp%\\logs", temp + L"\\logs", 0},
        {L"/log=%temp%\\setup.log", L"/log=" + temp + L"\\setup.log", 0},
        {L"%ProgramFiles%\\App", programFiles + L"\\App", 0},
        {L"%MYVAR%\\x", L"C:\\Mine\\x", 1},
        {L"50% of %temp%\\x", L"50% of %temp%\\x", 0},
        {L"/dir=%temp%", L"/dir=%temp%", 0},
        {L"/a \"%temp%\" /b", L"/a \"" + temp + L"\" /b", 0},
        {L"%temp%\\a %TEMP%\\b %temp%\\c", temp + L"\\a " + temp + L"\\b " + temp + L"\\c", 0},
        {L"%NOSUCHVAR% %temp%\\x", L"%NOSUCHVAR% " + temp + L"\\x", 1},
        // A value holding "%" is not read as the start of the next token.
        {L"%PERCENT%\\x %temp%\\y", L"50%\\x " + temp + L"\\y", 1},
        {L"no tokens at all", L"no tokens at all", 0},
    };
    for (const auto& c : cases) {
        theLog.InitLog(logPath, LOG_THRESHOLD_NORMAL);
        DeleteFileW(logPath.c_str());
        std::wstring text = c.text;
        ExpandLaunchParameters(text);
        EXPECT_EQ(text, c.expanded) << ToNarrow(c.text);
        int warnings = static_cast<int>(CountContaining(
            ReadLogLines(logPath), "|WARNING   |IsEnvVarPresent                     |Env variable not supported.."));
        EXPECT_EQ(warnings, c.warnings) << ToNarrow(c.text);
    }
    theLog.InitLog(L"", LOG_THRESHOLD_NORMAL);
    SetEnvironmentVariableW(L"MYVAR", nullptr);
    SetEnvironmentVariableW(L"PERCENT", nullptr);
}

TEST(LaunchCommand, ProgramAndArgumentsForAPath) {
    struct Case {
        std::wstring path;
        LaunchKind kind;
        std::wstring program, arguments;
    };
    const Case cases[] = {
        {L"C:\\Pkg\\\\Setup.MSI", LaunchKind::Installer, L"msiexec.exe", L"/i \"C:\\Pkg\\\\Setup.MSI\" /qn"},
        {L"C:\\Pkg\\setup.EXE", LaunchKind::Executable, L"C:\\Pkg\\setup.EXE", L"/qn"},
        {L"C:\\Pkg\\Docs", LaunchKind::Shell, L"C:\\Pkg\\Docs", L"/qn"},
        {L"C:\\Pkg.msi\\readme", LaunchKind::Shell, L"C:\\Pkg.msi\\readme", L"/qn"},
    };
    for (const auto& c : cases) {
        CLaunchCommand command = LaunchCommandFor(c.path, L"/qn");
        EXPECT_EQ(command.kind, c.kind) << ToNarrow(c.path);
        EXPECT_EQ(command.program, c.program);
        EXPECT_EQ(command.arguments, c.arguments);
    }
}

TEST(LaunchCommand, ElevationOnlyForTheSystemInstaller) {
    struct Case {
        const wchar_t* program;
        int major, admin;
        const wchar_t* checkAdmin;
        bool runas;
    };
    const Case cases[] = {
        {L"msiexec.exe", 6, 1, L"", true},    {L"MSIEXEC.EXE", 10, 1, L"1", true}, {L"C:\\Setup.exe", 10, 0, L"0", false},
        {L"msiexec.exe", 5, 0, L"0", true},   {L"msiexec.exe", 5, 1, L"0", false}, {L"msiexec.exe", 5, 0, L"1", false},
        {L"msiexec.exe", 5, 0, L"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UseRunasVerb(c.program, c.major, c.admin, c.checkAdmin), c.runas)
            << ToNarrow(c.program) << " " << c.major << " " << c.admin << " " << ToNarrow(c.checkAdmin);
}

}  // namespace
