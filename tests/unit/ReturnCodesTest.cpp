// The messages a package attaches to its setups' return codes, the finish message, and the
// clean-up after a cancelled extraction.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/ReturnCodes.h"
#include "app/TreskSelfExtractorUIApp.h"
#include "cleanup/DeleteOnExit.h"
#include "package/QirvaInitalizer.h"
#include "text/Utf.h"

namespace {

class ReturnCodesTest : public ::testing::Test {
protected:
    void SetUp() override {
        theInitializer.SetTempFolder(folder.Path());
        theInitializer.SetSetupLanguage(1033);
        theInitializer.SetPackageResultCode(0);
        WriteBytes(folder / L"Properties_Qirva.ini",
                   EncodeUtf16LeWithBom("[AutoLaunch1]\n"
                                        "ReturnCode_0=success:{Done}\n"
                                        "ReturnCode_1603=error:{Failed}\n"
                                        "ReturnCode_5=Error: { Failed } \n"
                                        "ReturnCode_7=error:\n"
                                        "ReturnCode_8=success:Done\n"
                                        "ReturnCode_9={Done}\n"
                                        "ReturnCode_-1=error:{NoSuchKey}\n"
                                        "Other=ignored\n"
                                        "[1033]\nDone=All set\nFailed=It failed\nMessageOnFinish=Thank you\n"));
    }
    ScratchFolder folder{L"returncodes"};
};

TEST_F(ReturnCodesTest, ResolvedMessagesAndOutcomes) {
    CReturnCodeMessages messages;
    messages.LoadReturnCodeMessages(L"AutoLaunch1");
    const auto& loaded = messages.ReturnCodeMessages();
    EXPECT_EQ(loaded.at(L"autolaunch1:returncode_0"), L"success:All set");
    EXPECT_EQ(loaded.at(L"autolaunch1:returncode_5"), L"Error:It failed");
    EXPECT_EQ(loaded.at(L"autolaunch1:returncode_7"), L"error:");
    EXPECT_EQ(loaded.at(L"autolaunch1:returncode_8"), L"success:");
    EXPECT_EQ(loaded.at(L"autolaunch1:returncode_9"), L"All set");
    EXPECT_EQ(loaded.at(L"autolaunch1:returncode_-1"), L"error:");
    EXPECT_EQ(loaded.count(L"autolaunch1:other"), 0u);
    EXPECT_EQ(messages.FinishMessages().at(L"MessageOnFinish"), L"Thank you");

    struct Case {
        int code;
        int result;
        int packageResult;
    };
    const Case cases[] = {{0, 0, 0}, {1603, -1, -6}, {5, -1, -6}, {7, -1, -6}, {8, 0, 0}, {9, 0, 0}, {42, 0, 0}, {-1, -1, -6}};
    for (const auto& c : cases) {
        theInitializer.SetPackageResultCode(0);
        EXPECT_EQ(messages.SetFinishMessage(c.code, L"AutoLaunch1"), c.result) << c.code;
        EXPECT_EQ(theInitializer.GetPackageResultCode(), c.packageResult) << c.code;
    }
    EXPECT_EQ(messages.GetSetupReturnCode(), -1);  // the last failing code
}

TEST_F(ReturnCodesTest, FinishMessageChoice) {
    struct Step {
        int code;
        const wchar_t* key;
    };
    struct Case {
        const char* label;
        std::vector<Step> steps;
        const wchar_t* message;
        bool notConfigured;
    };
    const Case cases[] = {
        {"configured success", {{0, L"AutoLaunch1"}}, L"All set", false},
        {"success then unconfigured", {{0, L"AutoLaunch1"}, {42, L"AutoLaunch1"}}, L"Thank you", true},
        {"failure wins", {{1603, L"AutoLaunch1"}, {0, L"AutoLaunch1"}, {42, L"AutoLaunch1"}}, L"It failed", false},
        {"no section", {{0, L"AutoLaunch2"}}, L"Thank you", true},
        {"nothing launched", {}, L"Thank you", false},
    };
    for (const auto& c : cases) {
        CReturnCodeMessages messages;
        messages.LoadReturnCodeMessages(L"AutoLaunch1");
        for (const auto& step : c.steps) messages.SetFinishMessage(step.code, step.key);
        EXPECT_EQ(messages.GetFinishMessage(), c.message) << c.label;
        EXPECT_EQ(messages.IsResultNotConfigured(), c.notConfigured) << c.label;
    }
    CReturnCodeMessages empty;
    EXPECT_EQ(empty.GetFinishMessage(), L"");
}

TEST(CancelCleanUp, RemovesWhatThisRunWroteAndCreated) {
    ScratchFolder folder(L"cancel");
    std::wstring created = folder / L"created";
    CreateDirectoryW(created.c_str(), nullptr);
    CreateDirectoryW((created + L"\\inner").c_str(), nullptr);
    WriteBytes(created + L"\\inner\\a.txt", "a");
    WriteBytes(folder / L"kept.txt", "kept by the user's answer");
    WriteBytes(folder / L"readonly.txt", "r");
    SetFileAttributesW((folder / L"readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    theInitializer.writtenFiles = {folder / L"readonly.txt", created + L"\\inner\\a.txt"};
    theInitializer.packageFiles = {folder / L"kept.txt", folder / L"readonly.txt", created + L"\\inner\\a.txt"};
    theInitializer.createdFolders = {created + L"\\inner\\", created + L"\\"};
    DeleteExtractedContents();
    EXPECT_FALSE(CUtil::FileExists(folder / L"readonly.txt"));
    EXPECT_FALSE(CUtil::FileExists(created));
    EXPECT_TRUE(CUtil::FileExists(folder / L"kept.txt"));  // not written by this run
    EXPECT_TRUE(theInitializer.writtenFiles.empty());
    EXPECT_TRUE(theInitializer.createdFolders.empty());
}

}  // namespace
