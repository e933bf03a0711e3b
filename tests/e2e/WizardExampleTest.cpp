// The example package, built by the packager from examples/ExampleProduct, through the whole
// wizard as a user goes through it: welcome, language, licence, a folder typed on the location
// page, the setup run from the autolaunch page, and the finish page with the setup's outcome.
#include <gtest/gtest.h>

#include "../common/FileBytes.h"
#include "../common/Narrow.h"
#include "../common/ScratchFolder.h"
#include "ProgramRunner.h"
#include "TestPackage.h"
#include "WizardDriver.h"
#include "package/Builder.h"

namespace {

constexpr int WELCOME = 1047, LANGUAGE = 1013, LICENSE = 1059, LOCATION = 1003, AUTOLAUNCH = 1062, FINISH = 1033;
constexpr int NEXT = 12324, FINISH_BUTTON = 12325;

// Copies a folder tree; false when anything fails.
bool CopyTree(const std::wstring& from, const std::wstring& to) {
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((from + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = CopyTree(from + L"\\" + name, to + L"\\" + name) && ok;
        else
            ok = CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE) && ok;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return ok;
}

TEST(WizardExample, TypedFolderAutolaunchPageAndOutcome) {
    ScratchFolder folder{L"example"};
    const std::wstring example = TRESK_EXAMPLE_FOLDER;
    const std::wstring payload = folder / L"payload";
    ASSERT_TRUE(CopyTree(example + L"\\payload", payload));
    ASSERT_TRUE(CopyFileW(TRESK_EXAMPLE_SETUP, (payload + L"\\Setup.exe").c_str(), FALSE));
    BuildOptions options;
    options.programPath = ToUtf8(TRESK_PROGRAM_PATH);
    options.settingsPath = ToUtf8(example + L"\\Properties_Qirva.ini");
    options.supportInputs = {ToUtf8(example + L"\\support")};
    options.payloadFolder = ToUtf8(payload);
    options.outputPath = ToUtf8(folder / L"ExampleProduct_V1_2.exe");
    BuildResult result;
    std::string error;
    ASSERT_TRUE(BuildPackage(options, result, error)) << error;

    const std::wstring typed = L"C:\\Typed Example Folder";
    CUtil::DeleteTree(typed);
    WizardDriver wizard(folder / L"ExampleProduct_V1_2.exe");
    ASSERT_TRUE(wizard.WaitForPage(WELCOME));
    wizard.Click(NEXT);
    ASSERT_TRUE(wizard.WaitForPage(LANGUAGE));
    wizard.ClickPageControl(1007);  // English
    wizard.Click(NEXT);
    ASSERT_TRUE(wizard.WaitForPage(LICENSE));
    wizard.ClickPageControl(1020);
    ASSERT_TRUE(wizard.WaitForButtonEnabled(NEXT, true));
    wizard.Click(NEXT);
    ASSERT_TRUE(wizard.WaitForPage(LOCATION));
    wizard.SetPageText(1000, typed);
    wizard.Click(NEXT);
    ASSERT_TRUE(wizard.WaitForPage(AUTOLAUNCH, 60000));
    ASSERT_TRUE(wizard.WaitForPage(FINISH, 60000));
    EXPECT_NE(wizard.PageText(FINISH).find(L"Installation complete: Example Product V1.2.0.0"), std::wstring::npos)
        << ToNarrow(wizard.PageText(FINISH));
    EXPECT_NE(wizard.PageText(1061).find(L"Example Product has been installed."), std::wstring::npos);
    wizard.Click(FINISH_BUTTON);
    ASSERT_TRUE(wizard.WaitForExit());
    EXPECT_EQ(wizard.ExitCode(), 0u);
    // The example setup records how it was started beside itself.
    std::string record = ReadBytes(typed + L"\\SetupRan.txt");
    EXPECT_NE(record.find("/quiet"), std::string::npos) << record;
    EXPECT_EQ(ReadBytes(typed + L"\\Docs\\ReadMe.txt"), ReadBytes(example + L"\\payload\\Docs\\ReadMe.txt"));
    EXPECT_TRUE(PackageTempFolders().empty());
    CUtil::DeleteTree(typed);
}

}  // namespace
