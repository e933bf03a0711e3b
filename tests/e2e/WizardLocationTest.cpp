// The extraction-location page and the two prompts of the wizard, driven from outside: every bad
// folder gives its box and the page stays, a non-empty folder is emptied only after Yes, and the
// overwrite prompt's answers with their log lines.
#include <gtest/gtest.h>

#include "../common/Environment.h"
#include "../common/FileBytes.h"
#include "../common/LogLines.h"
#include "../common/Narrow.h"
#include "../common/ScratchFolder.h"
#include "../common/TestData.h"
#include "ProgramRunner.h"
#include "TestPackage.h"
#include "WizardDriver.h"
#include "WizardSteps.h"

namespace {

constexpr int LOCATION = 1003, PATH_EDIT = 1000, BROWSE = 1001, FINISH = 1033;
constexpr int NEXT = 12324, FINISH_BUTTON = 12325;
constexpr int YES = 1024, YES_TO_ALL = 1027, NO = 1028, NO_TO_ALL = 1029, CANCEL = 2;

std::string Settings(const std::string& more) {
    return "[Package]\nName=Location Test\nNameDispl=Location Test\nVersionString=1.0\n"
           "[LogFiles]\nExtractLogFileName=Location Test.log\n"
           "[Dialogs]\nWelcomeDialog=0\n" +
           more;
}

std::vector<std::string> Log() { return ReadLogLines(ExtractionLogPath(L"Location Test.log")); }

// An edit control's text in another process (GetWindowText gives only its window caption there).
std::wstring EditText(HWND edit) {
    wchar_t text[1024] = {};
    if (edit) SendMessageTimeoutW(edit, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

bool OnLocationPage(WizardDriver& wizard) { return wizard.WaitForPage(LOCATION, 3000); }

class WizardLocationTest : public ::testing::Test {
protected:
    void SetUp() override { CUtil::DeleteTree(target); }
    void TearDown() override { CUtil::DeleteTree(target); }

    ScratchFolder folder{L"location"};
    std::wstring target = TempFolder() + L"\\Wizard Location";
};

TEST_F(WizardLocationTest, BadFoldersGiveTheirBoxAndThePageStays) {
    std::wstring package = MakePackage(folder.Path(), L"Bad.exe",
                                       Settings("[Runtime]\nAllowChangeTarget=1\nExtractPathMaxLength=100\n"
                                                "ExtractPath=%TEMP%\\Wizard Location\n[Size]\nPackageSize=8000000\n"));
    ULARGE_INTEGER smallFree = {};
    const bool smallDrive = GetDiskFreeSpaceExW(L"T:\\", &smallFree, nullptr, nullptr) && smallFree.QuadPart < 4000000;
    struct Case {
        const char* what;
        std::wstring path;
        bool needsSmallDrive;
    };
    const Case cases[] = {
        {"a drive whose root cannot be written", L"S:\\Target", false},
        {"the 2 MiB drive", L"T:\\Target", true},
        {"a wildcard", L"*", false},
        {"blanks only", L"   ", false},
        {"longer than ExtractPathMaxLength", L"C:\\" + std::wstring(110, L'x'), false},
    };
    WizardDriver wizard(package);
    ASSERT_TRUE(wizard.WaitForPage(LOCATION));
    // The %TEMP% default is shown expanded.
    std::wstring shown;
    for (int i = 0; i < 100 && shown.empty(); ++i, Sleep(50)) shown = EditText(wizard.PageItem(PATH_EDIT));
    EXPECT_EQ(shown.find(L'%'), std::wstring::npos) << ToNarrow(shown);
    EXPECT_EQ(shown.rfind(target, 0), 0u) << ToNarrow(shown);
    EXPECT_FALSE(wizard.ButtonVisible(12323));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsSmallDrive && !smallDrive) {
            std::cout << "the small drive T: is not mounted; its case is left out\n";
            continue;
        }
        wizard.SetPageText(PATH_EDIT, c.path);
        wizard.Click(NEXT);
        HWND box = wizard.WaitForDialog();
        ASSERT_NE(box, nullptr);
        EXPECT_GT(WizardDriver::DialogText(box).size(), 10u);
        WizardDriver::Answer(box, IDOK);
        ASSERT_TRUE(WizardDriver::WaitGone(box));
        EXPECT_TRUE(OnLocationPage(wizard));
        EXPECT_TRUE(wizard.NoDialogWithin(300));
    }
    // A good folder typed in goes on.
    wizard.SetPageText(PATH_EDIT, target + L"\\Typed");
    wizard.Click(NEXT);
    ASSERT_TRUE(wizard.WaitForPage(FINISH, 60000));
    wizard.Click(FINISH_BUTTON);
    ASSERT_TRUE(wizard.WaitForExit());
    EXPECT_EQ(wizard.ExitCode(), 0u);
    EXPECT_EQ(ReadBytes(target + L"\\Typed\\readme.txt"), "example payload\r\n");
}

TEST_F(WizardLocationTest, NonEmptyFolderIsEmptiedOnlyAfterYes) {
    std::wstring package = MakePackage(folder.Path(), L"Full.exe",
                                       Settings("[Runtime]\nAllowChangeTarget=1\nExtractPath=%TEMP%\\Wizard Location\n"));
    const std::wstring mine = target + L"\\mine.txt";
    auto prepare = [&] {
        CreateDirectoryW(target.c_str(), nullptr);
        WriteBytes(mine, "the user's own file");
    };
    auto promptAfterNext = [&](WizardDriver& wizard) {
        wizard.Click(NEXT);
        HWND prompt = wizard.WaitForDialog();
        EXPECT_NE(prompt, nullptr);
        if (prompt) {
            std::wstring text = WizardDriver::DialogText(prompt);
            EXPECT_NE(text.find(L"The following destination folder already exists:"), std::wstring::npos);
            EXPECT_NE(text.find(L"Wizard Location"), std::wstring::npos);
            EXPECT_EQ(text.rfind(L"Location Test 1.0", 0), 0u) << "captioned with the package title";
        }
        return prompt;
    };
    {
        SCOPED_TRACE("No, then Cancel declined, then Cancel confirmed");
        prepare();
        WizardDriver wizard(package);
        ASSERT_TRUE(wizard.WaitForPage(LOCATION));
        HWND prompt = promptAfterNext(wizard);
        ASSERT_NE(prompt, nullptr);
        WizardDriver::ClickDialogButton(prompt, NO);
        ASSERT_TRUE(WizardDriver::WaitGone(prompt));
        ASSERT_TRUE(OnLocationPage(wizard));
        HWND browse = wizard.PageItem(BROWSE);
        EXPECT_TRUE(browse && IsWindowVisible(browse) && IsWindowEnabled(browse)) << "Browse is usable again";

        prompt = promptAfterNext(wizard);
        ASSERT_NE(prompt, nullptr);
        WizardDriver::ClickDialogButton(prompt, CANCEL);
        HWND question = wizard.WaitForDialog(15000, prompt);
        ASSERT_NE(question, nullptr);
        WizardDriver::Answer(question, IDNO);
        ASSERT_TRUE(WizardDriver::WaitGone(question));
        EXPECT_TRUE(IsWindow(prompt) && IsWindowVisible(prompt)) << "the prompt stays after No";
        WizardDriver::ClickDialogButton(prompt, CANCEL);
        question = wizard.WaitForDialog(15000, prompt);
        ASSERT_NE(question, nullptr);
        ASSERT_NO_FATAL_FAILURE(ConfirmCancelToTheEnd(wizard, question));
        EXPECT_EQ(ReadBytes(mine), "the user's own file") << "a confirmed cancel leaves the folder intact";
        EXPECT_FALSE(CUtil::FileExists(target + L"\\readme.txt"));
        auto log = Log();
        EXPECT_EQ(CountContaining(log, "|FolderDelete dialog                 |User Clicked on 'No' button"), 1u);
        EXPECT_EQ(CountContaining(log, "User Clicked on 'Cancel' button"), 0u);
    }
    {
        SCOPED_TRACE("Yes");
        prepare();
        WizardDriver wizard(package);
        ASSERT_TRUE(wizard.WaitForPage(LOCATION));
        HWND prompt = promptAfterNext(wizard);
        ASSERT_NE(prompt, nullptr);
        WizardDriver::ClickDialogButton(prompt, YES);
        ASSERT_TRUE(wizard.WaitForPage(FINISH, 60000));
        wizard.Click(FINISH_BUTTON);
        ASSERT_TRUE(wizard.WaitForExit());
        EXPECT_EQ(wizard.ExitCode(), 0u);
        EXPECT_FALSE(CUtil::FileExists(mine));
        EXPECT_EQ(ReadBytes(target + L"\\readme.txt"), "example payload\r\n");
        EXPECT_EQ(CountContaining(Log(), "|FolderDelete dialog                 |User Clicked on 'Yes' button"), 1u);
    }
}

TEST_F(WizardLocationTest, OverwritePromptAnswers) {
    // The public folder is never emptied before an extraction into it, so the files already there
    // meet the overwrite prompt.
    wchar_t publicFolder[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"PUBLIC", publicFolder, MAX_PATH), 0u);
    const std::wstring destination = publicFolder;
    std::wstring package = BuildTestPackage(folder.Path(), L"Again.exe", Settings("[Runtime]\nExtractPath=%PUBLIC%\n"),
                                            {{"a.txt", "new a"}, {"b.txt", "new b"}, {"c.txt", "new c"}});
    struct Case {
        const char* what;
        int button;  // 0: close the prompt's window
        int asked;
        const char *a, *b;  // the contents afterwards
        bool extracted;     // c.txt, after the two existing files, was extracted
        const char* logLine;
    };
    const Case cases[] = {
        {"Yes", YES, 2, "new a", "new b", true, "User Clicked on 'Yes' button"},
        {"No", NO, 2, "old a", "old b", true, "User Clicked on 'No' button"},
        {"Yes to All", YES_TO_ALL, 1, "new a", "new b", true, "User Clicked on 'Yes To All' button"},
        {"No to All", NO_TO_ALL, 1, "old a", "old b", true, "User Clicked on 'No To All' button"},
        {"Cancel", CANCEL, 1, "old a", "old b", false, "User Clicked on 'Cancel' button"},
        {"closing the prompt", 0, 1, "old a", "old b", false, "User Clicked on 'Cancel' button"},
    };
    auto clean = [&] {
        for (const wchar_t* name : {L"\\a.txt", L"\\b.txt", L"\\c.txt"}) DeleteFileW((destination + name).c_str());
    };
    bool escTried = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        clean();
        WriteBytes(destination + L"\\a.txt", "old a");
        WriteBytes(destination + L"\\b.txt", "old b");
        WizardDriver wizard(package);
        for (int i = 0; i < c.asked; ++i) {
            HWND prompt = wizard.WaitForDialog(60000);
            ASSERT_NE(prompt, nullptr);
            std::wstring text = WizardDriver::DialogText(prompt);
            EXPECT_NE(text.find(L"The following file already exists:"), std::wstring::npos);
            EXPECT_NE(text.find(i == 0 ? L"a.txt" : L"b.txt"), std::wstring::npos);
            if (!escTried) {
                // Esc does nothing: only a button ends the prompt.
                escTried = true;
                PostMessageW(prompt, WM_KEYDOWN, VK_ESCAPE, 1);
                PostMessageW(prompt, WM_KEYUP, VK_ESCAPE, 0xC0000001);
                WizardDriver::Answer(prompt, IDCANCEL);
                Sleep(700);
                EXPECT_TRUE(IsWindow(prompt) && IsWindowVisible(prompt));
            }
            if (c.button)
                WizardDriver::ClickDialogButton(prompt, c.button);
            else
                PostMessageW(prompt, WM_CLOSE, 0, 0);
            ASSERT_TRUE(WizardDriver::WaitGone(prompt));
        }
        ASSERT_TRUE(wizard.WaitForPage(FINISH, 60000));
        EXPECT_TRUE(wizard.NoDialogWithin(300)) << "asked no more often";
        wizard.Click(FINISH_BUTTON);
        ASSERT_TRUE(wizard.WaitForExit());
        auto log = Log();
        EXPECT_EQ(CountContaining(log, std::string("|Overwrite dialog                    |") + c.logLine), static_cast<size_t>(c.asked));
        EXPECT_EQ(ReadBytes(destination + L"\\a.txt"), c.a);
        EXPECT_EQ(ReadBytes(destination + L"\\b.txt"), c.b);
        EXPECT_EQ(CUtil::FileExists(destination + L"\\c.txt"), c.extracted);
        if (c.extracted) EXPECT_EQ(wizard.ExitCode(), 0u);
        std::cout << c.what << ": exit code " << static_cast<long>(wizard.ExitCode()) << "\n";
    }
    clean();
}

}  // namespace
