// Delete-on-exit over a real extraction folder, and the hand-over file that a frame setup gets.
#include <gtest/gtest.h>

#include "../common/Narrow.h"
#include "LaunchTestSupport.h"
#include "cleanup/DeleteOnExit.h"
#include "log/BuildLogFile.h"

namespace {

class DeleteOnExitTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearExtractionRecords();
        theLog.InitLog(logPath, LOG_THRESHOLD_NORMAL);
    }
    void TearDown() override {
        theLog.InitLog(L"", LOG_THRESHOLD_NORMAL);
        ClearExtractionRecords();
    }
    void UseExtractionFolder(const std::wstring& folder) {
        extractPath = folder + L"\\";
        CreateDirectoryW(folder.c_str(), nullptr);
        theInitializer.SetExtractPath(extractPath);
    }

    ScratchFolder scratch{L"deleteonexit"};
    std::wstring logPath = scratch / L"cleanup.log";
    std::wstring extractPath;
};

TEST_F(DeleteOnExitTest, PackageFilesOldestFirstAndFoldersThatHoldNothingForeign) {
    UseExtractionFolder(scratch / L"extract");
    const std::vector<std::wstring> files = {L"Setup.exe", L"Docs\\ReadMe.txt", L"Docs\\Deep\\Notes.txt", L"Data\\a.bin",
                                             L"Data\\Sub\\b.bin"};
    ExtractLikeTheEngine(extractPath, files);
    SetFileAttributesW((extractPath + L"Docs\\ReadMe.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    // A file of the user's own in an extracted folder.
    WriteBytes(extractPath + L"Data\\Sub\\mine.txt", "keep me");

    DeleteExtractedFilesAndFolders();

    std::vector<std::string> deleted;
    for (const auto& message : LogMessages(logPath, "DeleteExtractedFilesAndFolders"))
        if (message.rfind("Deleting file : ", 0) == 0) deleted.push_back(message.substr(16));
    std::vector<std::string> expected;
    for (const auto& file : files) expected.push_back(ToNarrow(extractPath + file));
    EXPECT_EQ(deleted, expected);
    for (const auto& file : files) EXPECT_FALSE(CUtil::FileExists(extractPath + file)) << ToNarrow(file);

    EXPECT_FALSE(IsFolder(extractPath + L"Docs"));
    EXPECT_EQ(ReadBytes(extractPath + L"Data\\Sub\\mine.txt"), "keep me");
    EXPECT_TRUE(IsFolder(extractPath + L"Data"));
    EXPECT_TRUE(IsFolder(extractPath));  // it existed before, so it is not the run's to remove
    auto messages = LogMessages(logPath, "DeleteExtractedFilesAndFolders");
    auto logged = [&](const std::string& text) {
        return std::find(messages.begin(), messages.end(), text) != messages.end();
    };
    EXPECT_TRUE(logged("Could not delete folder : " + ToNarrow(extractPath + L"Data")));
    EXPECT_TRUE(logged("Could not delete folder : " + ToNarrow(extractPath + L"Data\\Sub")));
    EXPECT_FALSE(logged("Could not delete folder : " + ToNarrow(extractPath + L"Docs")));
    EXPECT_TRUE(theInitializer.packageFiles.empty());
    EXPECT_TRUE(theInitializer.packageFolders.empty());

    // The lists are used up: a second call finds nothing to do.
    DeleteFileW(logPath.c_str());
    DeleteExtractedFilesAndFolders();
    EXPECT_TRUE(LogMessages(logPath, "DeleteExtractedFilesAndFolders").empty());
}

TEST_F(DeleteOnExitTest, FoldersThatThePathTestCreatedGoOnlyWhenEmpty) {
    // The extraction folder lies in folders that the path test created for this run; a file of
    // the user's own in it keeps it and them.
    for (bool foreignFile : {true, false}) {
        SCOPED_TRACE(foreignFile ? "with a foreign file" : "package content only");
        std::wstring created = scratch / (foreignFile ? L"NewA" : L"NewB");
        std::wstring root;
        ASSERT_EQ(theUtil.ValidatePath(created + L"\\Product\\Pkg", root), 0);
        ASSERT_EQ(theUtil.GetTestCreatedFolder(), created);
        CreateDirectoryW(created.c_str(), nullptr);
        CreateDirectoryW((created + L"\\Product").c_str(), nullptr);
        UseExtractionFolder(created + L"\\Product\\Pkg");
        ExtractLikeTheEngine(extractPath, {L"Setup.exe", L"Bin\\Tool.dll"});
        if (foreignFile) WriteBytes(extractPath + L"mine.txt", "keep me");
        DeleteFileW(logPath.c_str());

        DeleteExtractedFilesAndFolders();

        auto messages = LogMessages(logPath, "DeleteExtractedFilesAndFolders");
        EXPECT_NE(std::find(messages.begin(), messages.end(), "Deleting folder : " + ToNarrow(created)), messages.end());
        EXPECT_FALSE(CUtil::FileExists(extractPath + L"Setup.exe"));
        EXPECT_FALSE(IsFolder(extractPath + L"Bin"));
        EXPECT_EQ(IsFolder(created), foreignFile);
        if (foreignFile) {
            EXPECT_EQ(ReadBytes(extractPath + L"mine.txt"), "keep me");
            EXPECT_NE(std::find(messages.begin(), messages.end(), "Could not delete folder : " + ToNarrow(created)),
                      messages.end());
        }
    }
}

TEST_F(DeleteOnExitTest, HandOverFileListsPackageContentAndItself) {
    UseExtractionFolder(scratch / L"extract");
    ExtractLikeTheEngine(extractPath, {L"Setup\\Start.exe", L"Setup\\InstData\\Resources\\Zub2.exe", L"Docs\\ReadMe.txt",
                                       L"Docs\\Old\\x.txt"});
    // A file of the user's own keeps its folder and the folder above it off the list.
    WriteBytes(extractPath + L"Docs\\Old\\mine.txt", "keep me");
    // A folder that extraction did not make keeps its parent off the list too.
    CreateDirectoryW((extractPath + L"Setup\\InstData\\Own").c_str(), nullptr);

    ASSERT_EQ(WriteToDeletetxt(), 1);
    const std::string root = ToNarrow(extractPath);
    const std::string expected = "[FilesToDelete]\r\n" + root + "Setup\\Start.exe\r\n" + root +
                                 "Setup\\InstData\\Resources\\Zub2.exe\r\n" + root + "Docs\\ReadMe.txt\r\n" + root +
                                 "Docs\\Old\\x.txt\r\n" + root + "ExtractedFilesToDelete.txt\r\n" + root +
                                 "Setup\\InstData\\Resources\r\n";
    EXPECT_EQ(ReadBytes(extractPath + L"ExtractedFilesToDelete.txt"), expected);
    // Written again (a second frame setup): the same file, the list file named once.
    ASSERT_EQ(WriteToDeletetxt(), 1);
    EXPECT_EQ(ReadBytes(extractPath + L"ExtractedFilesToDelete.txt"), expected);
    auto messages = LogMessages(logPath, "WriteToDeletetxt");
    EXPECT_NE(std::find(messages.begin(), messages.end(),
                        "writing folder name to ExtractedFilesToDelete.txt: " + root + "Docs"),
              messages.end());

    // A folder the file cannot be created in.
    theInitializer.SetExtractPath(scratch / L"missing\\");
    EXPECT_EQ(WriteToDeletetxt(), 0);
}

TEST_F(DeleteOnExitTest, HandOverFileEncodingFollowsThePaths) {
    struct Case {
        const wchar_t* folder;
        bool utf16;
    };
    const Case cases[] = {{L"Plain", false}, {L"Caf\u00E9", false}, {L"\u03A9mega", true}, {L"\u30C7\u30FC\u30BF", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(ToNarrow(c.folder));
        ClearExtractionRecords();
        UseExtractionFolder(scratch / c.folder);
        ExtractLikeTheEngine(extractPath, {L"Setup.exe"});
        ASSERT_EQ(WriteToDeletetxt(), 1);
        std::vector<std::wstring> lines = {L"[FilesToDelete]", extractPath + L"Setup.exe",
                                           extractPath + L"ExtractedFilesToDelete.txt"};
        std::string expected;
        if (c.utf16) {
            expected = "\xFF\xFE";
            for (const auto& line : lines)
                for (wchar_t ch : line + L"\r\n") expected += {static_cast<char>(ch & 0xFF), static_cast<char>(ch >> 8)};
        } else {
            for (const auto& line : lines) {
                for (wchar_t ch : line) expected += static_cast<char>(ch);
                expected += "\r\n";
            }
        }
        EXPECT_EQ(ReadBytes(extractPath + L"ExtractedFilesToDelete.txt"), expected);
    }
}

}  // namespace
