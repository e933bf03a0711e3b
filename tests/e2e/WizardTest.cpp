// The wizard of Full GUI runs, driven from outside as a user would: the pages a package chooses,
// the language switch, the licence acceptance, the password prompt, the requirements with Retry,
// every way of cancelling, and the outcome on the finish page with the exit code.
#include <gtest/gtest.h>

#include "../common/Environment.h"
#include "../common/FileBytes.h"
#include "../common/LogLines.h"
#include "../common/ScratchFolder.h"
#include "../common/TestData.h"
#include "ProgramRunner.h"
#include "TestPackage.h"
#include "WizardDriver.h"
#include "WizardSteps.h"

namespace {

// Controls unique to each page's template.
constexpr int WELCOME = 1047, LANGUAGE = 1013, REQUIREMENTS = 1050, LICENSE = 1059, PROGRESS = 1002, FINISH = 1033;
constexpr int BACK = 12323, NEXT = 12324, CANCEL = 2, FINISH_BUTTON = 12325;
constexpr DWORD kFailed = 0xFFFFFFFFu;

const char* const kGerman =
    "[FileInfo]\nID=1031\nLangName=Deutsch\n"
    "[Buttons]\n110=< &Zur\xC3\xBC" "ck\n111=&Weiter >\n112=&Abbrechen\n113=Wollen Sie wirklich abbrechen?\n"
    "114=Fertig stellen\n"
    "[Texts]\n200=Willkommen beim Setup von [PACKAGEDISPLAYNAME].\n"
    "600=Extraktion von [PRODUCTNAME] erfolgreich.\n";

std::string Settings(const std::string& more = "") {
    return "[Package]\nName=Wizard Test\nNameDispl=Wizard Test\nVersionString=1.0\n"
           "[LogFiles]\nExtractLogFileName=Wizard Test.log\n"
           "[Languages]\nSetupLanguages=1031;1033;\n" +
           more;
}

std::vector<std::string> Log() { return ReadLogLines(ExtractionLogPath(L"Wizard Test.log")); }

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        target = TempFolder() + L"\\Wizard Test";
        CUtil::DeleteTree(target);
    }
    void TearDown() override { CUtil::DeleteTree(target); }

    // A package whose payload is the files, extracting by default to %TEMP%\Wizard Test.
    std::wstring Package(const std::wstring& name, const std::string& more, const std::vector<TestPayloadFile>& files = {},
                         uint64_t partSize = 0) {
        return BuildTestPackage(folder.Path(), name, Settings("[Runtime]\nExtractPath=%TEMP%\\Wizard Test\n" + more),
                                files.empty() ? payload : files, partSize);
    }

    // Cancels on the current page with the Esc key and confirms: the wizard ends on the finish
    // page, Finish ends the run.
    void CancelWithEscAndFinish(WizardDriver& wizard) {
        wizard.PressKey(VK_ESCAPE);
        HWND box = wizard.WaitForDialog();
        ASSERT_NE(box, nullptr);
        WizardDriver::Answer(box, IDYES);
        ASSERT_TRUE(wizard.WaitForPage(FINISH));
        wizard.Click(FINISH_BUTTON);
        ASSERT_TRUE(wizard.WaitForExit());
    }

    ScratchFolder folder{L"wizard"};
    std::wstring target;
    std::vector<TestPayloadFile> payload = {{"Setup.exe", "MZ stand-in setup"}, {"Docs\\ReadMe.txt", "read me\r\n"}};
};

TEST_F(WizardTest, HappyPathInEnglishAndInGerman) {
    const std::string settings =
        Settings("[Runtime]\nExtractPath=%TEMP%\\Wizard Test\n[Dialogs]\nWelcomeDialog=1\nLanguageDialog=1\nLicenseDialog=1\n"
                 "[LicenseFiles]\n1033=License1033.txt\n1031=License1031.txt\n");
    const std::string cabinet = MakeCabinet(folder.Path(), {{"Setup.exe", "MZ stand-in setup"}, {"ReadMe.txt", "read me"}});
    std::wstring package =
        MakePackage(folder.Path(), L"Happy.exe", settings,
                    {{"Default1031.ulf", Utf16File(kGerman)},
                     {"Defaultx.ulf", Utf16File("[RADIOBUTTONSTRING]\n1031=&Deutsch\n1033=&English\n")},
                     {"License1033.txt", "The licence terms.\r\n"},
                     {"License1031.txt", "Die Lizenz.\r\n"}},
                    &cabinet);
    struct Case {
        const char* label;
        int radio;
        const wchar_t* next;
        const wchar_t* success;
        int language;
    };
    const Case cases[] = {{"English", 1007, L"&Next >", L"Extraction successful for Wizard Test 1.0", 1033},
                          {"German", 1006, L"&Weiter >", L"Extraktion von Wizard Test 1.0 erfolgreich", 1031}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        CUtil::DeleteTree(target);
        WizardDriver wizard(package);
        ASSERT_TRUE(wizard.WaitForPage(WELCOME));
        EXPECT_NE(wizard.PageText(WELCOME).find(L"Welcome to the Setup of Wizard Test 1.0"), std::wstring::npos);
        EXPECT_FALSE(wizard.ButtonVisible(BACK));
        wizard.Click(NEXT);
        ASSERT_TRUE(wizard.WaitForPage(LANGUAGE));
        EXPECT_EQ(wizard.PageText(1006), L"&Deutsch");
        EXPECT_EQ(wizard.PageText(1007), L"&English");
        // The language switch changes the captions at once.
        wizard.ClickPageControl(c.radio);
        EXPECT_TRUE(wizard.WaitForButtonText(NEXT, c.next));
        wizard.Click(NEXT);
        ASSERT_TRUE(wizard.WaitForPage(LICENSE));
        // Next waits for the licence to be accepted.
        EXPECT_TRUE(wizard.WaitForButtonEnabled(NEXT, false));
        wizard.ClickPageControl(1020);
        EXPECT_TRUE(wizard.WaitForButtonEnabled(NEXT, true));
        wizard.Click(NEXT);
        ASSERT_TRUE(wizard.WaitForPage(FINISH, 60000));
        EXPECT_NE(wizard.PageText(FINISH).find(c.success), std::wstring::npos);
        EXPECT_TRUE(wizard.ButtonVisible(FINISH_BUTTON));
        EXPECT_FALSE(wizard.ButtonVisible(CANCEL));
        wizard.Click(FINISH_BUTTON);
        ASSERT_TRUE(wizard.WaitForExit());
        EXPECT_EQ(wizard.ExitCode(), 0u);
        EXPECT_EQ(ReadBytes(target + L"\\ReadMe.txt"), "read me");
        auto log = Log();
        EXPECT_TRUE(Contains(log, "|ExtractPackage                      |Return Code for cab extraction : 0"));
        EXPECT_TRUE(Contains(log, "|Language Selected                   |ID of the Language selected : " +
                                      std::to_string(c.language)));
        EXPECT_TRUE(PackageTempFolders().empty());
    }
}

TEST_F(WizardTest, PagesFollowTheSettings) {
    struct Case {
        const char* label;
        std::string more;
        const wchar_t* arguments;
        int firstPage;
    };
    const std::string unmet =
        "[Conditions]\nAction1=Extract\nAction1Condition=Condition1\nAction1Message=MsgPrerequisites\n"
        "Condition1={File};C:\\no\\such\\file.exe;{EXIST};{};{MsgMissing}\n"
        "[1033]\nMsgPrerequisites=The following requirements are not met:\nMsgMissing=The required tool is missing.\n";
    const Case cases[] = {
        {"welcome page when the key is absent", "", L"", WELCOME},
        {"welcome page when the key is 1", "[Dialogs]\nWelcomeDialog=1\n", L"", WELCOME},
        {"language page first", "[Dialogs]\nWelcomeDialog=0\nLanguageDialog=1\n", L"", LANGUAGE},
        {"only an exact 1 adds the language page", "[Dialogs]\nWelcomeDialog=0\nLanguageDialog=yes\nLicenseDialog=1\n", L"",
         LICENSE},
        {"unmet conditions add the requirements page", "[Dialogs]\nWelcomeDialog=0\n" + unmet, L"", REQUIREMENTS},
        {"the command line suppresses the condition check", "[Dialogs]\nWelcomeDialog=0\nLicenseDialog=1\n" + unmet,
         L"-NoConditioncheck", LICENSE},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::wstring package = Package(L"Pages" + std::to_wstring(++index) + L".exe", c.more);
        WizardDriver wizard(package, c.arguments);
        ASSERT_TRUE(wizard.WaitForPage(c.firstPage));
        CancelWithEscAndFinish(wizard);
        EXPECT_EQ(wizard.ExitCode(), 0u);
    }

    // Without any of the optional pages the wizard starts extracting at once.
    std::wstring package = Package(L"Direct.exe", "[Dialogs]\nWelcomeDialog=0\n");
    WizardDriver wizard(package);
    ASSERT_TRUE(wizard.WaitForPage(FINISH, 60000));
    EXPECT_NE(wizard.PageText(FINISH).find(L"Extraction successful for Wizard Test 1.0"), std::wstring::npos);
    wizard.Click(FINISH_BUTTON);
    ASSERT_TRUE(wizard.WaitForExit());
    EXPECT_EQ(wizard.ExitCode(), 0u);
    EXPECT_TRUE(CUtil::FileExists(target + L"\\Setup.exe"));
}

TEST_F(WizardTest, EveryWayOfCancellingAsksOnceAndEndsOnTheFinishPage) {
    std::wstring package =
        Package(L"Cancel.exe", "[Dialogs]\nWelcomeDialog=1\nLanguageDialog=1\n");
    enum Way { BY_BUTTON, BY_ESC, BY_CLOSE };
    struct Case {
        const char* label;
        Way way;
        int page;  // reached with Next from the welcome page when it is the language page
        const char* line;
    };
    const Case cases[] = {
        {"Cancel on the welcome page", BY_BUTTON, WELCOME, "User canceled the Welcome Dialog"},
        {"Esc on the welcome page", BY_ESC, WELCOME, "User canceled the Welcome Dialog"},
        {"Close on the welcome page", BY_CLOSE, WELCOME, "User canceled the Welcome Dialog"},
        {"Cancel on the language page", BY_BUTTON, LANGUAGE, "User canceled the Language Dialog"},
        {"Esc on the language page", BY_ESC, LANGUAGE, "User canceled the Language Dialog"},
        {"Close on the language page", BY_CLOSE, LANGUAGE, "User canceled the Language Dialog"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        WizardDriver wizard(package);
        ASSERT_TRUE(wizard.WaitForPage(WELCOME));
        if (c.page == LANGUAGE) {
            wizard.Click(NEXT);
            ASSERT_TRUE(wizard.WaitForPage(LANGUAGE));
        }
        auto cancel = [&] {
            if (c.way == BY_BUTTON) wizard.Click(CANCEL);
            if (c.way == BY_ESC) wizard.PressKey(VK_ESCAPE);
            if (c.way == BY_CLOSE) wizard.CloseByMouse();
        };
        // No: the question goes and the page stays.
        cancel();
        HWND box = wizard.WaitForDialog();
        ASSERT_NE(box, nullptr);
        EXPECT_NE(WizardDriver::DialogText(box).find(L"Do you really want to cancel?"), std::wstring::npos);
        WizardDriver::Answer(box, IDNO);
        EXPECT_TRUE(WizardDriver::WaitGone(box));
        EXPECT_TRUE(wizard.NoDialogWithin(1000));  // asked once
        EXPECT_NE(wizard.PageItem(c.page), nullptr);
        // Yes: the finish page tells of the cancellation.
        cancel();
        box = wizard.WaitForDialog();
        ASSERT_NE(box, nullptr);
        WizardDriver::Answer(box, IDYES);
        ASSERT_TRUE(wizard.WaitForPage(FINISH));
        EXPECT_TRUE(WizardDriver::WaitGone(box));
        EXPECT_TRUE(wizard.NoDialogWithin(500));
        EXPECT_NE(wizard.PageText(FINISH).find(L"The extraction of Wizard Test 1.0 has been cancelled."), std::wstring::npos);
        // On the finish page Esc clicks Finish without a question.
        wizard.PressKey(VK_ESCAPE);
        ASSERT_TRUE(wizard.WaitForExit());
        EXPECT_EQ(wizard.ExitCode(), 0u);
        EXPECT_TRUE(Contains(Log(), std::string("|ConfirmCancel                       |") + c.line));
        EXPECT_FALSE(CUtil::FileExists(target + L"\\Setup.exe"));
    }
}

TEST_F(WizardTest, PasswordPrompt) {
    // "secret" stored rotated by 5 within the printable codes.
    std::wstring package = Package(
        L"Secret.exe", "ExtractPasswordRequired=1\nExtractionPassword=xjhwjy\n[Temporary]\nNumber=5\n[Dialogs]\nWelcomeDialog=1\n");
    {
        WizardDriver wizard(package);
        ASSERT_TRUE(wizard.WaitForPage(WELCOME));
        wizard.Click(NEXT);
        HWND prompt = wizard.WaitForDialog();
        ASSERT_NE(prompt, nullptr);
        HWND edit = GetDlgItem(prompt, 1054);
        ASSERT_NE(edit, nullptr);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(prompt, IDOK)));  // nothing typed yet
        SetWindowTextW(edit, L"wrong");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(prompt, IDOK)));
        WizardDriver::Answer(prompt, IDOK);
        HWND error = wizard.WaitForDialog(15000, prompt);
        ASSERT_NE(error, nullptr);
        EXPECT_NE(WizardDriver::DialogText(error).find(L"Invalid password."), std::wstring::npos);
        WizardDriver::Answer(error, IDOK);
        EXPECT_TRUE(WizardDriver::WaitGone(error));
        EXPECT_EQ(WizardDriver::DialogText(edit), L"");
        SetWindowTextW(edit, L"secret");
        WizardDriver::Answer(prompt, IDOK);
        ASSERT_TRUE(wizard.WaitForPage(FINISH, 60000));
        wizard.Click(FINISH_BUTTON);
        ASSERT_TRUE(wizard.WaitForExit());
        EXPECT_EQ(wizard.ExitCode(), 0u);
        EXPECT_TRUE(CUtil::FileExists(target + L"\\Setup.exe"));
        auto log = Log();
        EXPECT_TRUE(Contains(log, "|ERROR     |OnBnClickedOk                       |Password provided by user is invalid"));
        EXPECT_TRUE(Contains(log, "|OnBnClickedOk                       |Password provided by user is correct"));
    }
    CUtil::DeleteTree(target);
    {
        // Cancel in the prompt: No keeps it open, Yes ends on the finish page and extracts nothing.
        WizardDriver wizard(package);
        ASSERT_TRUE(wizard.WaitForPage(WELCOME));
        wizard.Click(NEXT);
        HWND prompt = wizard.WaitForDialog();
        ASSERT_NE(prompt, nullptr);
        WizardDriver::Answer(prompt, IDCANCEL);
        HWND question = wizard.WaitForDialog(15000, prompt);
        ASSERT_NE(question, nullptr);
        WizardDriver::Answer(question, IDNO);
        EXPECT_TRUE(WizardDriver::WaitGone(question));
        EXPECT_TRUE(IsWindowVisible(prompt));
        WizardDriver::Answer(prompt, IDCANCEL);
        question = wizard.WaitForDialog(15000, prompt);
        ASSERT_NE(question, nullptr);
        ASSERT_NO_FATAL_FAILURE(ConfirmCancelToTheEnd(wizard, question));
        EXPECT_FALSE(CUtil::FileExists(target + L"\\Setup.exe"));
    }
}

TEST_F(WizardTest, PasswordCancelledWhileAFirstPageStartsIsThatPagesCancel) {
    const std::string password = "ExtractPasswordRequired=1\nExtractionPassword=xjhwjy\n";
    struct Case {
        const char* label;
        std::string runtime, dialogs;
        const char* line;
    };
    const Case cases[] = {
        {"licence page first", "", "LicenseDialog=1\n", "User canceled the License Dialog"},
        {"location page first", "AllowChangeTarget=1\n", "", "User canceled the Browse Dialog"},
        {"progress page first", "", "", "User canceled the extraction process"},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        WizardDriver wizard(Package(L"FirstCancel" + std::to_wstring(++index) + L".exe",
                                    password + c.runtime + "[Temporary]\nNumber=5\n[Dialogs]\nWelcomeDialog=0\n" + c.dialogs));
        HWND prompt = wizard.WaitForDialog(30000);
        ASSERT_NE(prompt, nullptr);
        ASSERT_NE(GetDlgItem(prompt, 1054), nullptr) << "the password prompt";
        WizardDriver::Answer(prompt, IDCANCEL);
        HWND question = wizard.WaitForDialog(15000, prompt);
        ASSERT_NE(question, nullptr);
        ASSERT_NO_FATAL_FAILURE(ConfirmCancelToTheEnd(wizard, question));
        auto log = Log();
        std::string all;
        for (const auto& line : log) all += line + "\n";
        EXPECT_TRUE(Contains(log, std::string("|ConfirmCancel                       |") + c.line)) << all;
        EXPECT_FALSE(Contains(log, "User canceled the Welcome Dialog"));
        EXPECT_FALSE(CUtil::FileExists(target + L"\\Setup.exe"));
    }
}

TEST_F(WizardTest, SetuptypeChoosesTheLayoutOfTheBand) {
    struct Case {
        const char* label;
        std::string setuptype;
        const char* logged;
    };
    const Case cases[] = {
        {"PLUS leaves the title out", "Setuptype=PLUS\n", "PLUS"},
        {"the value is compared exactly", "Setuptype=Plus\n", "Classic"},
        {"absent", "", "Classic"},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::wstring package = BuildTestPackage(
            folder.Path(), L"Layout" + std::to_wstring(++index) + L".exe",
            "[Package]\nName=Wizard Test\nNameDispl=Wizard Test\nVersionString=1.0\n" + c.setuptype +
                "[LogFiles]\nExtractLogFileName=Wizard Test.log\n[Runtime]\nExtractPath=%TEMP%\\Wizard Test\n",
            payload);
        WizardDriver wizard(package);
        ASSERT_TRUE(wizard.WaitForPage(WELCOME));
        CancelWithEscAndFinish(wizard);
        EXPECT_TRUE(Contains(Log(), std::string("|Setuptype                           |") + c.logged));
    }
}

TEST_F(WizardTest, RequirementsPageRetriesUntilTheConditionIsMet) {
    const std::wstring key = L"Software\\TreskWizardTest_" + CUtil::NewGuidText();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
    std::string condition = "{Registry};HKEY_LOCAL_MACHINE\\" + ToUtf8(key) + "\\Ready;{=};{1};{MsgRuntime}";
    std::wstring package = Package(
        L"Requirements.exe",
        "[Dialogs]\nWelcomeDialog=1\n[Conditions]\nAction1=Extract\nAction1Condition=Condition1\n"
        "Action1Message=MsgPrerequisites\nCondition1=" + condition + "\n"
        "[1033]\nMsgPrerequisites=The following requirements are not met:\nMsgRuntime=Example Runtime 4.5 is required.\n");
    WizardDriver wizard(package);
    ASSERT_TRUE(wizard.WaitForPage(WELCOME));
    wizard.Click(NEXT);
    ASSERT_TRUE(wizard.WaitForPage(REQUIREMENTS));
    EXPECT_NE(wizard.PageText(REQUIREMENTS).find(L"Example Runtime 4.5 is required."), std::wstring::npos);
    EXPECT_TRUE(wizard.WaitForButtonText(NEXT, L"&Retry"));
    EXPECT_TRUE(wizard.ButtonVisible(BACK));
    // Retry without a change keeps the page.
    wizard.Click(NEXT);
    Sleep(1000);
    EXPECT_NE(wizard.PageItem(REQUIREMENTS), nullptr);
    // The user installs what is missing; Retry moves on and extraction follows.
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(created, L"Ready", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"1"), 2 * sizeof(wchar_t));
    RegCloseKey(created);
    wizard.Click(NEXT);
    ASSERT_TRUE(wizard.WaitForPage(FINISH, 60000));
    EXPECT_NE(wizard.PageText(FINISH).find(L"Extraction successful"), std::wstring::npos);
    wizard.Click(FINISH_BUTTON);
    ASSERT_TRUE(wizard.WaitForExit());
    EXPECT_EQ(wizard.ExitCode(), 0u);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
}

TEST_F(WizardTest, ExtractionFaults) {
    std::vector<TestPayloadFile> large = payload;
    for (int i = 0; i < 8; ++i) large.push_back({"Data\\large" + std::to_string(i) + ".bin", testdata::Incompressible(8 * 1024 * 1024, 30 + i)});

    // Cancelled while extracting: the finish page tells so, what was written is removed, exit 0.
    {
        std::wstring package = Package(L"Big.exe", "[Dialogs]\nWelcomeDialog=0\n", large);
        WizardDriver wizard(package);
        ASSERT_TRUE(wizard.WaitForPage(PROGRESS));
        // The worker waits at its next safe point while the question is up.
        wizard.Click(CANCEL);
        HWND box = wizard.WaitForDialog();
        ASSERT_NE(box, nullptr);
        EXPECT_NE(WizardDriver::DialogText(box).find(L"Do you really want to cancel?"), std::wstring::npos);
        ASSERT_NO_FATAL_FAILURE(ConfirmCancelToTheEnd(wizard, box));
        EXPECT_TRUE(Contains(Log(), "|ConfirmCancel                       |User canceled the extraction process"));
        EXPECT_FALSE(CUtil::FileExists(target + L"\\Data\\large7.bin"));
        // A cancel that comes while the attached cabinet is being copied leaves no file of the
        // package's temporary folder open, so the folder is gone.
        EXPECT_TRUE(PackageTempFolders().empty());
    }
    CUtil::DeleteTree(target);

    // A corrupt part: the message box, the finish page names the part, exit -1.
    std::wstring parts = Package(L"Parts.exe", "[Dialogs]\nWelcomeDialog=0\n", large, 4 * 1024 * 1024);
    std::wstring part2 = folder / L"Parts.002";
    std::string original = ReadBytes(part2);
    std::string changed = original;
    changed[changed.size() / 2] ^= 0x5A;
    ASSERT_TRUE(WriteBytes(part2, changed));
    {
        WizardDriver wizard(parts);
        HWND box = wizard.WaitForDialog(60000);
        ASSERT_NE(box, nullptr);
        EXPECT_NE(WizardDriver::DialogText(box).find(L"is corrupt."), std::wstring::npos) << ToUtf8(WizardDriver::DialogText(box));
        WizardDriver::Answer(box, IDOK);
        ASSERT_TRUE(wizard.WaitForPage(FINISH));
        EXPECT_NE(wizard.PageText(FINISH).find(L"is corrupt. Please check the log file."), std::wstring::npos);
        wizard.Click(FINISH_BUTTON);
        ASSERT_TRUE(wizard.WaitForExit());
        EXPECT_EQ(wizard.ExitCode(), kFailed);
    }

    // The first part missing: the same with its own text.
    ASSERT_TRUE(WriteBytes(part2, original));
    std::wstring part1 = folder / L"Parts.001";
    ASSERT_TRUE(DeleteFileW(part1.c_str()));
    {
        WizardDriver wizard(parts);
        HWND box = wizard.WaitForDialog(60000);
        ASSERT_NE(box, nullptr);
        WizardDriver::Answer(box, IDOK);
        ASSERT_TRUE(wizard.WaitForPage(FINISH));
        EXPECT_NE(wizard.PageText(FINISH).find(L"not found. Please check the log file."), std::wstring::npos);
        wizard.Click(FINISH_BUTTON);
        ASSERT_TRUE(wizard.WaitForExit());
        EXPECT_EQ(wizard.ExitCode(), kFailed);
    }
}

}  // namespace
