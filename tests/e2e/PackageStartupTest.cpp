// Start-up with real packages: attached support files, settings, extraction log, password,
// setup language and the choice of the extraction folder.
#include <gtest/gtest.h>

#include <algorithm>

#include "../common/FileBytes.h"
#include "../common/LogLines.h"
#include "../common/Narrow.h"
#include "../common/ScratchFolder.h"
#include "ProgramRunner.h"
#include "TestPackage.h"
#include "WizardDriver.h"

namespace {

const char kSettings[] =
    "[Package]\n"
    "Name=Demo Product\n"
    "NameDispl=Demo Product\n"
    "VersionString=V1.0\n"
    "[Languages]\n"
    "SetupLanguages=1031;1033;\n"
    "[LogFiles]\n"
    "ExtractLogFileName=Demo.log\n"
    "[Qirva]\n"
    "FrameVersion=01.02.03\n";

const std::wstring kLog = L"Demo.log";

std::string German() {
    return Utf16File("[FileInfo]\nProduct=Demo\nID=1031\nLangName=Deutsch\n// texts\n405=&OK-DE\n509=Datei[NEWLINE]belegt\n"
                     "507=Paketinhalt wird gelesen...\n508=Paket wird extrahiert...\n514=Zielordner wird geleert...\n");
}

// Every text appears, in this order.
void ExpectInOrder(const std::vector<std::string>& lines, const std::vector<std::string>& texts) {
    size_t at = 0;
    for (const auto& text : texts) {
        size_t found = IndexOf(lines, text, at);
        EXPECT_NE(found, std::string::npos) << "missing or out of order: " << text;
        if (found != std::string::npos) at = found + 1;
    }
}

class PackageStartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteFileW(MasterLogPath().c_str());
        CUtil::DeleteTree(LogFolder());
    }
    ScratchFolder folder{L"pkg"};
};

TEST_F(PackageStartupTest, SilentStartUpWritesBothLogsInOrder) {
    std::wstring package = MakePackage(folder.Path(), L"Demo.exe", kSettings,
                                       {{"Default1031.ulf", German()}, {"Defaultx.ulf", Utf16File("[RADIOBUTTONSTRING]\n1031=&Deutsch\n")}});
    ProgramRun run = RunExe(package, L"-silent");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);

    auto master = ReadLogLines(MasterLogPath());
    ExpectInOrder(master, {
        "|SetAppFileSize                      |Opening file : " + ToNarrow(package),
        "|SetQirvaTempDir                     |Searching space for extraction of Setting files",
        "|SetQirvaTempDir                     |Directory created : C:\\{",
        "------------------------------------------ Extraction ------------------------------------------",
        "}\\Properties_Qirva.ini",  // Extracting ...
        "}\\Properties_Qirva.ini",  // Closing ...
        "|ExtractFile                         |Extracting file : C:\\{",
        "}\\Default1031.ulf",
        "}\\Defaultx.ulf",
        "|ExtractIntermediateFiles            |Extracted Setting files to C:\\{",
        "|CreateExtractionLogFile             |Creating Extraction Log File",
        "|CreateExtractionLogFile             |%ALLUSERSPROFILE%\\Velmora\\Automation\\Logfiles\\Demo.log",
    });
    ExpectMasterLogHandedOver(ExtractionLogPath(kLog));

    auto log = ReadLogLines(ExtractionLogPath(kLog));
    ExpectInOrder(log, {
        "|Qirva Masterframe Version           |01.02.03",
        "|GUI Mode                            |Silent",
        "|CQirvaInitalizer::Init              |Initializing the package settings",
        "|PackageName                         |Demo Product",
        "|Date                                |",
        "-------------------------------------- System Information --------------------------------------",
        "|RAM Size                            |",
        "|Computer name                       |",
        "|Space Info on Drive: C:\\",
        "|OSVersion                           |OS Version : ",
        "|System Language                     |",
        "|UI Language                         |",
        std::string(95, '-'),
        "|InitAutolaunch                      |AutoLaunch is not enabled",
        "|ValidatePathAndSpaceAvailable       |Validating the Extract path : ",
        "\\Temp\\Demo Product\\",
        "|File Overwriting                    |Overwriting of the extracted files is enabled in Silent and Unattended mode",
        "|Display Name                        |Demo Product V1.0",
        "|DeletePackageTempFolder             |Temp directory : C:\\{",
    });
    ExpectFinalFrame(ExtractionLogPath(kLog), "Success", 0, 0);
    EXPECT_TRUE(PackageTempFolders().empty());

    // A second run moves the first run's extraction log aside under its date and time.
    run = RunExe(package, L"-silent");
    EXPECT_EQ(run.exitCode, 0u);
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((LogFolder() + L"\\Demo_*_*-*-*.log").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    ExpectFinalFrame(ExtractionLogPath(kLog), "Success", 0, 0);
}

TEST_F(PackageStartupTest, PasswordFromTheCommandLine) {
    // "secret" rotated upward by 5 within the printable codes.
    std::string settings = std::string(kSettings) +
                           "[Runtime]\nExtractPasswordRequired=1\nExtractionPassword=xjhwjy\n[Temporary]\nNumber=5\n";
    std::wstring package = MakePackage(folder.Path(), L"Secret.exe", settings);
    struct Case {
        const wchar_t* arguments;
        const char* line;
    };
    const Case cases[] = {
        {L"-silent", "|ERROR     |CheckPassword                       |Please provide the Password from the command line parameter : -ExtractionPassword"},
        {L"-silent -extractionpassword=Secret", "|ERROR     |CheckPassword                       |Password provided by user is invalid"},
        {L"-unattended -extractionpassword=wrong=secret", "|          |CheckPassword                       |Password provided by user is correct"},
        {L"-silent -extractionpassword=secret", "|          |CheckPassword                       |Password provided by user is correct"},
    };
    for (const auto& c : cases) {
        ProgramRun run = RunExe(package, c.arguments);
        ASSERT_TRUE(run.finished);
        auto log = ReadLogLines(ExtractionLogPath(kLog));
        EXPECT_TRUE(Contains(log, c.line)) << ToNarrow(c.arguments);
        bool refused = std::string(c.line).find("ERROR") != std::string::npos;
        // A missing or wrong password ends the run as failed.
        EXPECT_EQ(run.exitCode, refused ? 0xFFFFFFFFu : 0u) << ToNarrow(c.arguments);
        // A refused run stops before the front end.
        EXPECT_EQ(Contains(log, "|ExtractPath                         |"), !refused) << ToNarrow(c.arguments);
        EXPECT_TRUE(PackageTempFolders().empty());
    }
}

TEST_F(PackageStartupTest, UnattendedSetupLanguage) {
    std::wstring package = MakePackage(folder.Path(), L"Lang.exe", kSettings, {{"Default1031.ulf", German()}});
    struct Case {
        const wchar_t* arguments;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    };
    const std::string invalid = "Invalid Command line parameter for SetupLanguage. English taken as default SetupLanguage";
    const std::string unsupported = "Language not supported. Default English taken as Setup language";
    const Case cases[] = {
        {L"-unattended -setupLanguage=1031", {"Command line parameter for SetupLanguage : 1031"}, {invalid, unsupported}},
        {L"-unattended -setupLanguage=abc", {"|Command Line Parameters             |" + invalid}, {unsupported}},
        {L"-unattended -setupLanguage=1036", {"|WARNING   |SetLanguaeForProgressBar            |" + unsupported}, {invalid}},
        {L"-silent -setupLanguage=1036", {}, {"SetupLanguage", unsupported}},  // Silent mode ignores it
    };
    for (const auto& c : cases) {
        ProgramRun run = RunExe(package, c.arguments);
        EXPECT_EQ(run.exitCode, 0u);
        auto log = ReadLogLines(ExtractionLogPath(kLog));
        for (const auto& line : c.present) EXPECT_TRUE(Contains(log, line)) << ToNarrow(c.arguments) << ": " << line;
        for (const auto& line : c.absent) EXPECT_FALSE(Contains(log, line)) << ToNarrow(c.arguments) << ": " << line;
    }
}

TEST_F(PackageStartupTest, UnattendedWindowSpeaksTheCommandLineLanguage) {
    std::wstring package = MakePackage(folder.Path(), L"German.exe", kSettings, {{"Default1031.ulf", German()}});
    std::wstring status;
    ProgramRun run = RunExe(package, L"-unattended -setupLanguage=1031", 60000, [&](HWND window) { status += WindowTexts(window); });
    EXPECT_EQ(run.exitCode, 0u);
    // The status line is in German whichever phase it showed.
    EXPECT_TRUE(status.find(L"Paketinhalt wird gelesen...") != std::wstring::npos ||
                status.find(L"Zielordner wird geleert...") != std::wstring::npos ||
                status.find(L"Paket wird extrahiert...") != std::wstring::npos)
        << ToUtf8(status);
    EXPECT_EQ(status.find(L"Extracting the package..."), std::wstring::npos) << ToUtf8(status);
    EXPECT_NE(status.find(L"Demo Product V1.0"), std::wstring::npos);  // the window's title
}

TEST_F(PackageStartupTest, DebugOptionWritesDetailLinesToTheExtractionLogOnly) {
    std::wstring package = MakePackage(folder.Path(), L"Debug.exe", kSettings);
    const std::string detail = "|SetBufferSize                       |BufferSize in ToolSettings : 5242880";
    ProgramRun run = RunExe(package, L"-silent -debug");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(Contains(ReadLogLines(ExtractionLogPath(kLog)), detail));
    EXPECT_FALSE(Contains(ReadLogLines(MasterLogPath()), "BufferSize"));
    run = RunExe(package, L"-silent");
    EXPECT_FALSE(Contains(ReadLogLines(ExtractionLogPath(kLog)), detail));
}

TEST_F(PackageStartupTest, ExtractPathCandidatesFallThroughInOrder) {
    // R: is a CD-ROM drive, Q: does not exist, S: cannot be written.
    std::string settings = std::string(kSettings) + "[Runtime]\nExtractPath=S:\\Pkg\nExtractPathMaxLength=80\n";
    std::wstring package = MakePackage(folder.Path(), L"Path.exe", settings);
    struct Case {
        std::wstring commandLine;
        std::vector<std::string> lines;
    };
    // A refused command-line folder is named at warning level with the reason and the folder
    // that is used instead.
    const std::string notUsed = "|WARNING   |GetFinalExtractPathParam            |The folder from the command line is not used ";
    const Case cases[] = {
        {L"R:\\Pkg",
         {"|GetFinalExtractPathParam            |Extract path from command line : R:\\Pkg",
          "|WARNING   |ErrorMessagesForInvalidPath         |Invalid path : R:\\Pkg",
          "|GetFinalExtractPathParam            |Extract path from the Web Package properties : S:\\Pkg",
          "|WARNING   |ErrorMessagesForInvalidPath         |Please check the permission of the path : S:\\Pkg",
          "|ValidatePathAndSpaceAvailable       |Validating the Extract path : C:\\users\\",
          "|ValidatePathAndSpaceAvailable       |Extract Path : C:\\users\\",
          notUsed + "(not a valid folder path) : R:\\Pkg. Extracting to : C:\\users\\"}},
        {L"Q:\\Missing",
         {"|WARNING   |ErrorMessagesForInvalidPath         |Invalid path : Q:\\Missing",
          notUsed + "(not a valid folder path) : Q:\\Missing. Extracting to : C:\\users\\"}},
        {L"C:\\" + std::wstring(90, L'x'),
         {"|ERROR     |ValidatePathAndSpaceAvailable       |Extract path length exceeded. Maximum path length is : 80",
          notUsed + "(the path is too long) : C:\\" + std::string(90, 'x') + ". Extracting to : C:\\users\\"}},
        {L"S:/Pkg/",
         {"|WARNING   |ErrorMessagesForInvalidPath         |Please check the permission of the path : S:\\Pkg",
          notUsed + "(the folder cannot be created or written) : S:\\Pkg. Extracting to : C:\\users\\"}},
        {L"%TRESK_NOT_SET%\\Pkg",
         {notUsed + "(its environment variable is not set) : %TRESK_NOT_SET%\\Pkg. Extracting to : C:\\users\\"}},
        // Blanks and doubled separators are taken off before the folder is validated and logged.
        {L"\" C:\\ Target \\\\Pkg \"",
         {"|ValidatePathAndSpaceAvailable       |Validating the Extract path : C:\\Target\\Pkg",
          "|ValidatePathAndSpaceAvailable       |Extract Path : C:\\Target\\Pkg\\"}},
    };
    for (const auto& c : cases) {
        ProgramRun run = RunExe(package, L"-silent -extractpath=" + c.commandLine);
        EXPECT_EQ(run.exitCode, 0u);
        auto log = ReadLogLines(ExtractionLogPath(kLog));
        ExpectInOrder(log, c.lines);
        EXPECT_TRUE(Contains(log, "|ExtractPath                         |")) << ToNarrow(c.commandLine);
    }
    CUtil::DeleteTree(L"C:\\Target");
}

TEST_F(PackageStartupTest, CommandLineFolderInEverySpellingWindowsAccepts) {
    std::wstring package = MakePackage(folder.Path(), L"Spelled.exe", kSettings);
    const std::wstring intended = L"C:\\SpelledTarget\\Pkg";
    const std::wstring spellings[] = {
        L"C:/SpelledTarget/Pkg",      L"C:\\SpelledTarget/Pkg/",       L"C:\\\\SpelledTarget\\\\Pkg\\\\",
        L"\\\\?\\C:\\SpelledTarget\\Pkg", L"\\\\?\\C:\\SpelledTarget\\Pkg\\", L"//?/C:/SpelledTarget/Pkg",
    };
    for (const auto& spelling : spellings) {
        SCOPED_TRACE(ToUtf8(spelling));
        CUtil::DeleteTree(L"C:\\SpelledTarget");
        ProgramRun run = RunExe(package, L"-silent -extractpath=" + spelling);
        EXPECT_EQ(run.exitCode, 0u);
        auto log = ReadLogLines(ExtractionLogPath(kLog));
        ExpectInOrder(log, {"|ValidatePathAndSpaceAvailable       |Validating the Extract path : C:\\SpelledTarget\\Pkg",
                            "|ValidatePathAndSpaceAvailable       |Extract Path : C:\\SpelledTarget\\Pkg\\",
                            "|ExtractPackage                      |Extracting the Setup to : C:\\SpelledTarget\\Pkg\\"});
        EXPECT_FALSE(Contains(log, "The folder from the command line is not used"));
        EXPECT_EQ(ReadBytes(intended + L"\\readme.txt"), "example payload\r\n");
    }
    CUtil::DeleteTree(L"C:\\SpelledTarget");
}

TEST_F(PackageStartupTest, SettingsAndLanguageFilesNotInUtf16AreNamedInTheLog) {
    // Both in UTF-8 without byte-order mark, as packages made by other means carry them.
    std::string settings = std::string(kSettings) + "[Package]\nNameDispl=D\xC3\xA9mo Product\n";
    std::string german = "[FileInfo]\nProduct=Demo\nID=1031\nLangName=Deutsch\n507=Paketinhalt wird gelesen...\n";
    std::wstring package =
        MakePackageWithSettingsBytes(folder.Path(), L"Utf8.exe", settings, {{"Default1031.ulf", german}});
    ProgramRun run = RunExe(package, L"-unattended -setupLanguage=1031");
    EXPECT_EQ(run.exitCode, 0u);
    auto log = ReadLogLines(ExtractionLogPath(kLog));
    EXPECT_TRUE(Contains(log, "|WARNING   |CQirvaInitalizer::Init              |The settings file is not UTF-16LE with "
                              "byte-order mark but UTF-8 without byte-order mark: the system reads it in its 8-bit code "
                              "page, where characters outside ASCII come out wrong : C:\\{"));
    EXPECT_TRUE(Contains(log, "|WARNING   |LoadLanguageFile                    |The language file is not UTF-16LE with "
                              "byte-order mark but ASCII text without byte-order mark"));
    // The package's own files in UTF-16 are read without a word.
    std::wstring unicode = MakePackage(folder.Path(), L"Utf16.exe", kSettings, {{"Default1031.ulf", German()}});
    run = RunExe(unicode, L"-unattended -setupLanguage=1031");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(Contains(ReadLogLines(ExtractionLogPath(kLog)), "is not UTF-16LE"));
}

TEST_F(PackageStartupTest, NoFolderWithRoomEndsSilentRunWithMinusOne) {
    std::string settings = std::string(kSettings) + "[Size]\nPackageSize=999999999999999\n";
    std::wstring package = MakePackage(folder.Path(), L"Huge.exe", settings);
    ProgramRun run = RunExe(package, L"-silent");
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);
    auto log = ReadLogLines(ExtractionLogPath(kLog));
    EXPECT_TRUE(Contains(log, "|WARNING   |CheckFreeSpace                      |Space on drive "));
    EXPECT_TRUE(Contains(log, "|ERROR     |CQirvaInitalizer::InitDisplay       |Valid Extract path could not be found"));
    EXPECT_FALSE(Contains(log, "|ExtractPath                         |"));
    EXPECT_TRUE(PackageTempFolders().empty());
}

TEST_F(PackageStartupTest, DamagedContainerEndsWithMinusOne) {
    std::wstring package = MakePackage(folder.Path(), L"Cut.exe", kSettings, {{"Default1031.ulf", German()}});
    // Cut the file inside the language file's data, just before the payload entry.
    std::string bytes = ReadBytes(package);
    std::string marker = Utf16File("{20726377-9F91-41b8-B514-20AE00AA235D}").substr(2);
    size_t payloadEntry = bytes.rfind(marker);
    ASSERT_NE(payloadEntry, std::string::npos);
    ASSERT_TRUE(WriteBytes(package, bytes.substr(0, payloadEntry - 10)));
    ProgramRun run = RunExe(package, L"-silent");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);
    auto master = ReadLogLines(MasterLogPath());
    EXPECT_TRUE(Contains(master, "|ERROR     |ExtractIntermediateFiles            |An error occured during extraction of Setting files"));
    EXPECT_TRUE(PackageTempFolders().empty());

    // A name with a folder part would write outside the temporary folder: refused the same way.
    package = MakePackage(folder.Path(), L"Evil.exe", kSettings, {});
    bytes = ReadBytes(package);
    size_t name = bytes.rfind(std::string("P\0r\0o\0p\0", 8));
    ASSERT_NE(name, std::string::npos);
    bytes[name + 2] = '\\';  // "P\operties_Qirva.ini"
    ASSERT_TRUE(WriteBytes(package, bytes));
    run = RunExe(package, L"-silent");
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);
    EXPECT_TRUE(Contains(ReadLogLines(MasterLogPath()), "|ERROR     |ExtractFile                         |Error creating file : "));
}

}  // namespace

namespace {

// Full GUI start-up stops at the question about an unsupported system; while it is shown the
// test looks at the package temporary folder and the settings file the program holds.
TEST_F(PackageStartupTest, UnsupportedSystemQuestionInFullGui) {
    std::string settings = "[Package]\nName=Demo Product\nCheckOs=1\n" + std::string(kSettings).substr(10) +
                           "[Runtime]\nAutoLaunch=Setup.exe\nExtractPasswordRequired=1\nExtractionPassword=xjhwjy\n"
                           "[Temporary]\nNumber=5\n"
                           "[OS]\nosallowed=WindowsXP\n";
    std::wstring package = MakePackage(folder.Path(), L"Gui.exe", settings, {{"Default1031.ulf", German()}});
    struct Case {
        int answer;
        DWORD exitCode;
        const char* line;
    };
    const Case cases[] = {
        {IDNO, 0xFFFFFFFFu, "|ValidateOSBeforeExtraction          |User confirmed to cancel the extraction"},
        {IDYES, 0u, "|ValidateOSBeforeExtraction          |User confirmed to continue the extraction"},
    };
    for (const auto& c : cases) {
        std::wstring question;
        std::vector<std::wstring> tempFiles;
        std::string settingsText;
        bool lockHeld = false;
        ProgramRun run = RunExe(package, L"", 60000, [&](HWND box) {
            // Going on after the question shows the wizard, which this test closes again.
            if (IsWizardSheet(box)) {
                CancelWizard(box);
                return;
            }
            question = WindowTexts(box);
            auto folders = PackageTempFolders();
            if (folders.size() == 1) {
                WIN32_FIND_DATAW found;
                HANDLE find = FindFirstFileW((folders[0] + L"\\*").c_str(), &found);
                if (find != INVALID_HANDLE_VALUE) {
                    do {
                        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) tempFiles.push_back(found.cFileName);
                    } while (FindNextFileW(find, &found));
                    FindClose(find);
                }
                std::wstring ini = folders[0] + L"\\Properties_Qirva.ini";
                std::string bytes = ReadBytes(ini);
                settingsText = ToUtf8(std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2));
                HANDLE writer = CreateFileW(ini.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr);
                lockHeld = writer == INVALID_HANDLE_VALUE;
                if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
            }
            SendMessageW(box, WM_COMMAND, c.answer, 0);
        });
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_NE(question.find(L" is not supported. Do you want to continue?"), std::wstring::npos) << ToUtf8(question);
        std::sort(tempFiles.begin(), tempFiles.end());
        EXPECT_EQ(tempFiles, (std::vector<std::wstring>{L"Default1031.ulf", L"Properties_Qirva.ini"}));
        // The password keys were moved out of the extracted settings file, which is locked.
        EXPECT_EQ(settingsText.find("ExtractionPassword"), std::string::npos) << settingsText;
        EXPECT_EQ(settingsText.find("ExtractPasswordRequired"), std::string::npos);
        EXPECT_EQ(settingsText.find("Number="), std::string::npos);
        EXPECT_NE(settingsText.find("Required=1"), std::string::npos);
        EXPECT_TRUE(lockHeld);
        auto log = ReadLogLines(ExtractionLogPath(kLog));
        EXPECT_TRUE(Contains(log, "|ERROR     |ValidateOSBeforeExtraction          |Current operating system not supported"));
        EXPECT_TRUE(Contains(log, c.line));
        EXPECT_TRUE(PackageTempFolders().empty());
    }
}

}  // namespace
