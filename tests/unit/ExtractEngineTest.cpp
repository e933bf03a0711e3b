// The cabinet engine over the system's cabinet library, on cabinets written by the packager.
#include <gtest/gtest.h>

#include <deque>

#include <windows.h>
#include <wincrypt.h>

#include "CabTestSupport.h"
#include "app/WorkerMessages.h"
#include "app/WorkerThread.h"
#include "extract/CabDecompressor.h"
#include "extract/FileHash.h"
#include "extract/OutputWriter.h"
#include "extract/WindowNotices.h"
#include "util/PromptAnswer.h"
#include "log/BuildLogFile.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <iostream>
#include "package/ExtractorValidator.h"
#include "package/QirvaInitalizer.h"

namespace {

// A window that answers the engine's overwrite prompts from a script.
std::deque<int> g_answers;
int g_prompts = 0;
int g_progress = 0;
// Runs when a prompt arrives, before it is answered (what the prompt sees of earlier files).
std::function<void()> g_onPrompt;

LRESULT CALLBACK PromptWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_OVERWRITE_PROMPT) {
        ++g_prompts;
        if (g_onPrompt) g_onPrompt();
        const int answer = g_answers.empty() ? -1 : g_answers.front();
        if (!g_answers.empty()) g_answers.pop_front();
        return answer;
    }
    if (message == WM_EXTRACT_PROGRESS) {
        g_progress += lParam > 0 ? static_cast<int>(lParam) : 1;
        return 1;
    }
    if (message == WM_WORKER_LOG) return HandleWorkerLog(wParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

// Progress steps and log records are posted: they arrive once the test thread reads its queue.
void DeliverPosted() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

HWND PromptWindow() {
    return CreateClassWindow(L"TreskPromptTestWindow", PromptWindowProc);
}

std::vector<std::wstring> ListOf(const CPathList& list) {
    return std::vector<std::wstring>(list.begin(), list.end());
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        theInitializer.SetTempFolder(settingsFolder.Path());
        theValidator.SetSettingsPath(theInitializer.GetSettingsPath());
        Settings("[Package]\nMultiPartDownload=0\n");
        target = folder / L"out\\";
        theInitializer.SetExtractPath(target);
        theInitializer.writtenFiles.clear();
        theInitializer.packageFiles.clear();
        theInitializer.createdFolders.clear();
        theInitializer.packageFolders.clear();
        workerStopFlag = 0;
        g_answers.clear();
        g_prompts = 0;
        g_progress = 0;
        g_onPrompt = nullptr;
        window = PromptWindow();
        theLog.InitLog(logPath, LOG_THRESHOLD_NORMAL);
    }
    void TearDown() override {
        DeliverPosted();
        DestroyWindow(window);
        g_onPrompt = nullptr;
        workerStopFlag = 0;
        theLog.InitLog(L"", LOG_THRESHOLD_NORMAL);
    }
    // The engine's log lines so far (they reach the log through the window).
    std::vector<std::string> LogLines() {
        DeliverPosted();
        return ReadLogLines(logPath);
    }
    bool Logged(const std::string& text) { return Contains(LogLines(), text); }
    void Settings(const std::string& text) {
        WriteBytes(settingsFolder / L"Properties_Qirva.ini", EncodeUtf16LeWithBom(text));
        theInitializer.SetMultiPart();
    }
    ScratchFolder folder{L"engine"};
    ScratchFolder settingsFolder{L"engineset"};
    std::wstring logPath = settingsFolder / L"engine.log";
    std::wstring target;
    HWND window = nullptr;
};

TEST_F(EngineTest, SingleCabinetWithTimesAttributesAndRecords) {
    auto cabinets = WriteTestCabinets(folder.Path(), L"single",
                                      {{"top.txt", "top"},
                                       {"sub\\deeper\\data.bin", Incompressible(100000)},
                                       {"sub\\readonly.txt", "ro", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN},
                                       {"empty.txt", ""},
                                       {"caf\xC3\xA9.txt", "utf8 name"}});
    ASSERT_EQ(cabinets.size(), 1u);
    CCabDecompressor engine(window);
    EXPECT_EQ(engine.ExtractCabinet(cabinets[0], target), 0) << Utf8Of(engine.GetErrorText());
    EXPECT_EQ(engine.GetErrorText(), L"Success");
    EXPECT_EQ(ReadBytes(target + L"top.txt"), "top");
    EXPECT_EQ(ReadBytes(target + L"sub\\deeper\\data.bin"), Incompressible(100000));
    EXPECT_EQ(ReadBytes(target + L"empty.txt"), "");
    EXPECT_EQ(ReadBytes(target + L"caf\xE9.txt"), "utf8 name");
    DWORD attributes = GetFileAttributesW((target + L"sub\\readonly.txt").c_str());
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    DeliverPosted();
    EXPECT_EQ(g_progress, 5);

    // The stored date and time (local) come back as the file's last-write time.
    WIN32_FILE_ATTRIBUTE_DATA source, extracted;
    GetFileAttributesExW((folder / L"payload_single\\top.txt").c_str(), GetFileExInfoStandard, &source);
    GetFileAttributesExW((target + L"top.txt").c_str(), GetFileExInfoStandard, &extracted);
    WORD sourceDate, sourceTime, date, time;
    FILETIME local;
    FileTimeToLocalFileTime(&source.ftLastWriteTime, &local);
    FileTimeToDosDateTime(&local, &sourceDate, &sourceTime);
    FileTimeToLocalFileTime(&extracted.ftLastWriteTime, &local);
    FileTimeToDosDateTime(&local, &date, &time);
    EXPECT_EQ(date, sourceDate);
    EXPECT_EQ(time, sourceTime);

    // Records: every file written, every folder created and every folder of the package.
    EXPECT_EQ(theInitializer.writtenFiles.size(), 5u);
    EXPECT_EQ(ListOf(theInitializer.writtenFiles), ListOf(theInitializer.packageFiles));
    auto folders = ListOf(theInitializer.packageFolders);
    EXPECT_NE(std::find(folders.begin(), folders.end(), target + L"sub"), folders.end());
    EXPECT_NE(std::find(folders.begin(), folders.end(), target + L"sub\\deeper"), folders.end());
    EXPECT_EQ(std::find(folders.begin(), folders.end(), target.substr(0, target.size() - 1)), folders.end());
    auto created = ListOf(theInitializer.createdFolders);
    EXPECT_NE(std::find(created.begin(), created.end(), target), created.end());
    EXPECT_NE(std::find(created.begin(), created.end(), target + L"sub\\deeper\\"), created.end());
}

TEST_F(EngineTest, StoredTimeAsUtcAndAttributesMasked) {
    auto cabinets = WriteTestCabinets(folder.Path(), L"utc", {{"utc.txt", "u"}, {"local.txt", "l"}});
    std::string bytes = ReadBytes(cabinets[0]);
    size_t utc = AttributesOffset(bytes, "\\utc.txt");
    ASSERT_NE(utc, std::string::npos);
    // UTC bit plus bits outside read-only, hidden, system and archive.
    bytes[utc] = static_cast<char>(0x01 | 0x40);
    bytes[utc + 1] = 0x01;
    WriteBytes(cabinets[0], bytes);
    CCabDecompressor engine(window);
    ASSERT_EQ(engine.ExtractCabinet(cabinets[0], target), 0);
    WIN32_FILE_ATTRIBUTE_DATA utcData, localData;
    GetFileAttributesExW((target + L"utc.txt").c_str(), GetFileExInfoStandard, &utcData);
    GetFileAttributesExW((target + L"local.txt").c_str(), GetFileExInfoStandard, &localData);
    EXPECT_EQ(utcData.dwFileAttributes & 0x07, DWORD(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(utcData.dwFileAttributes & 0x40, 0u);
    // The same stored date and time, one read as UTC and one as local time.
    ULARGE_INTEGER a, b;
    a.LowPart = utcData.ftLastWriteTime.dwLowDateTime;
    a.HighPart = utcData.ftLastWriteTime.dwHighDateTime;
    b.LowPart = localData.ftLastWriteTime.dwLowDateTime;
    b.HighPart = localData.ftLastWriteTime.dwHighDateTime;
    TIME_ZONE_INFORMATION zone;
    DWORD mode = GetTimeZoneInformation(&zone);
    LONG bias = zone.Bias + (mode == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : 0);
    EXPECT_EQ(static_cast<int64_t>(b.QuadPart - a.QuadPart) / 600000000LL, bias);
}

TEST_F(EngineTest, RefusedCabinets) {
    auto cabinets = WriteTestCabinets(folder.Path(), L"plain", {{"a.txt", "a"}});
    std::string bytes = ReadBytes(cabinets[0]);
    bytes.replace(0, 4, "MSCF");
    WriteBytes(cabinets[0], bytes);
    CCabDecompressor standard(window);
    EXPECT_EQ(standard.ExtractCabinet(cabinets[0], target), 2);
    EXPECT_EQ(standard.GetErrorText(), L"The file is not a cabinet");

    CCabDecompressor missing(window);
    EXPECT_EQ(missing.ExtractCabinet(folder / L"missing.cab", target), 1);
    CCabDecompressor parameters(window);
    EXPECT_EQ(parameters.ExtractCabinet(folder / L"a.cab", L"C"), 1002);
    CCabDecompressor shortName(window);
    EXPECT_EQ(shortName.ExtractCabinet(L"C:\\x", target), 1002);

    CCabDecompressor fresh(window);
    EXPECT_EQ(fresh.GetErrorCode(), -1);
    EXPECT_EQ(fresh.GetErrorText(), L"Unknown error");
    EXPECT_TRUE(IsSafeStoredName(L"\\a\\b.txt"));
    for (const wchar_t* name : {L"\\..\\a.txt", L"\\a\\..\\b", L"C:\\a", L"\\\\server\\x", L"\\a:b", L"\\.\\a", L"", L"\\"})
        EXPECT_FALSE(IsSafeStoredName(name)) << Utf8Of(name);
}

TEST_F(EngineTest, NameThatLeavesTheFolderEndsTheExtraction) {
    auto cabinets = WriteTestCabinets(folder.Path(), L"evil", {{"aa\\evil.txt", "x"}, {"first.txt", "1"}});
    std::string bytes = ReadBytes(cabinets[0]);
    size_t name = bytes.find("\\aa\\evil.txt");
    ASSERT_NE(name, std::string::npos);
    bytes.replace(name + 1, 2, "..");
    WriteBytes(cabinets[0], bytes);
    CCabDecompressor engine(window);
    EXPECT_EQ(engine.ExtractCabinet(cabinets[0], target), 4);
    EXPECT_EQ(engine.GetErrorText(), L"Corrupt cabinet");
    EXPECT_FALSE(CUtil::FileExists(folder / L"evil.txt"));
}

TEST_F(EngineTest, PathLengthLimitIs260) {
    // Folder chosen so that the file's full path is exactly 260 characters, then one more.
    std::wstring base = folder.Path() + L"\\";
    std::wstring name = L"\\f.txt";
    std::wstring padding(260 - base.size() - name.size(), L'p');
    auto cabinets = WriteTestCabinets(folder.Path(), L"long", {{"f.txt", "x"}});
    CCabDecompressor fits(window);
    std::wstring exact = base + padding + L"\\";
    ASSERT_EQ((exact + L"f.txt").size(), 260u);
    EXPECT_EQ(fits.ExtractCabinet(cabinets[0], exact), 0) << Utf8Of(fits.GetErrorText());
    CCabDecompressor tooLong(window);
    EXPECT_EQ(tooLong.ExtractCabinet(cabinets[0], base + padding + L"q\\"), 1005);
    EXPECT_EQ(tooLong.GetErrorText(), L"The path is too long. (Max 260 characters are allowed).");
}

TEST_F(EngineTest, OverwriteAnswers) {
    auto cabinets = WriteTestCabinets(folder.Path(), L"over", {{"a.txt", "new a"}, {"b.txt", "new b"}, {"c.txt", "new c"}});
    auto prepare = [&] {
        CUtil::DeleteTree(target);
        CreateDirectoryW(target.c_str(), nullptr);
        for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) WriteBytes(target + name, "old");
        theInitializer.writtenFiles.clear();
        theInitializer.packageFiles.clear();
        g_prompts = 0;
    };
    struct Case {
        const char* label;
        std::deque<int> answers;
        int result;
        int prompts;
        const char* contents[3];
        size_t written;
    };
    const Case cases[] = {
        {"yes, no, yes", {ANSWER_YES, ANSWER_NO, ANSWER_YES}, 0, 3, {"new a", "old", "new c"}, 2},
        {"yes to all", {ANSWER_YES_TO_ALL}, 0, 1, {"new a", "new b", "new c"}, 3},
        {"no, then yes to all", {ANSWER_NO, ANSWER_YES_TO_ALL}, 0, 2, {"old", "new b", "new c"}, 2},
        {"no to all", {ANSWER_NO_TO_ALL}, 0, 1, {"old", "old", "old"}, 0},
        {"cancel", {ANSWER_YES, ANSWER_CANCEL}, 11, 2, {"new a", "old", "old"}, 1},
        {"no answer overwrites", {}, 0, 3, {"new a", "new b", "new c"}, 3},
    };
    for (const auto& c : cases) {
        prepare();
        g_answers = c.answers;
        CCabDecompressor engine(window);
        EXPECT_EQ(engine.ExtractCabinet(cabinets[0], target), c.result) << c.label;
        EXPECT_EQ(g_prompts, c.prompts) << c.label;
        EXPECT_EQ(ReadBytes(target + L"a.txt"), c.contents[0]) << c.label;
        EXPECT_EQ(ReadBytes(target + L"b.txt"), c.contents[1]) << c.label;
        EXPECT_EQ(ReadBytes(target + L"c.txt"), c.contents[2]) << c.label;
        EXPECT_EQ(theInitializer.writtenFiles.size(), c.written) << c.label;
        if (c.result == 0) {
            EXPECT_EQ(theInitializer.packageFiles.size(), 3u) << c.label;
        }
    }
    EXPECT_EQ(CCabDecompressor(window).GetErrorCode(), -1);
}

TEST_F(EngineTest, ReadOnlyFileReplacedLockedFileReportsSharingViolation) {
    auto cabinets = WriteTestCabinets(folder.Path(), L"locked", {{"a.txt", "new"}});
    CreateDirectoryW(target.c_str(), nullptr);
    WriteBytes(target + L"a.txt", "old");
    SetFileAttributesW((target + L"a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    g_answers = {ANSWER_YES};
    CCabDecompressor engine(window);
    EXPECT_EQ(engine.ExtractCabinet(cabinets[0], target), 0);
    EXPECT_EQ(ReadBytes(target + L"a.txt"), "new");

    HANDLE lock = CreateFileW((target + L"a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    g_answers = {ANSWER_YES};
    CCabDecompressor locked(window);
    EXPECT_NE(locked.ExtractCabinet(cabinets[0], target), 0);
    EXPECT_EQ(locked.GetLastSystemError(), 32u);
    EXPECT_EQ(GetCurrentFilePath(), target + L"a.txt");
    CloseHandle(lock);
}

// No other handle on the file: it can be opened without sharing (and so be removed).
bool IsClosed(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

TEST_F(EngineTest, StopFlagAbortsBeforeTheNextFile) {
    auto cabinets = WriteTestCabinets(folder.Path(), L"stop", {{"a.txt", "a"}});
    workerStopFlag = 1;
    CCabDecompressor engine(window);
    EXPECT_EQ(engine.ExtractCabinet(cabinets[0], target), 11);
    EXPECT_EQ(engine.GetErrorText(), L"User aborted extraction");
    workerStopFlag = 0;
}

TEST_F(EngineTest, NoFileStaysOpenHoweverTheExtractionEnds) {
    // The package's temporary folder (the single-file package's cabinet copy among it) is removed
    // when the program ends: neither the cabinet nor an output file may stay open, also when the
    // extraction stopped or failed half-way.
    struct Case {
        const char* label;
        bool stop;        // the worker stop flag is set before the extraction
        size_t cutAfter;  // the cabinet ends after this many bytes (0: whole)
        bool succeeds;
    };
    const Case cases[] = {
        {"complete", false, 0, true},
        {"stopped before the first file", true, 0, false},
        // The extraction ends inside b.bin: what it got of it is not the stored file and goes.
        {"cabinet cut off inside a file", false, 256 * 1024, false},
    };
    for (const auto& c : cases) {
        CUtil::DeleteTree(target);
        auto cabinets = WriteTestCabinets(folder.Path(), L"handles",
                                          {{"a.txt", "a"}, {"b.bin", Incompressible(1024 * 1024, 9)}, {"c.txt", "c"}});
        if (c.cutAfter) {
            std::string bytes = ReadBytes(cabinets[0]);
            ASSERT_GT(bytes.size(), c.cutAfter);
            WriteBytes(cabinets[0], bytes.substr(0, c.cutAfter));
        }
        workerStopFlag = c.stop ? 1 : 0;
        {
            CCabDecompressor engine(window);
            int result = engine.ExtractCabinet(cabinets[0], target);
            EXPECT_EQ(result == 0, c.succeeds) << c.label << ": " << result;
            // Closed when the extraction returns, not only when the engine goes.
            EXPECT_TRUE(IsClosed(cabinets[0])) << c.label;
            for (const wchar_t* name : {L"a.txt", L"b.bin", L"c.txt"}) {
                if (CUtil::FileExists(target + name)) {
                    EXPECT_TRUE(IsClosed(target + name)) << c.label;
                }
            }
            if (c.cutAfter) {
                EXPECT_EQ(ReadBytes(target + L"a.txt"), "a") << c.label;
                EXPECT_FALSE(CUtil::FileExists(target + L"b.bin")) << c.label;
                EXPECT_TRUE(Logged("|WARNING   " + Column("ExtractCabinet") + "Incomplete file removed : " +
                                   Utf8Of(target + L"b.bin")))
                    << c.label;
            }
        }
        workerStopFlag = 0;
    }
}

// The file's last-write time as the cabinet stores it (local DOS date and time).
std::pair<WORD, WORD> DosTimeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    FILETIME local;
    WORD date = 0, time = 0;
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    FileTimeToDosDateTime(&local, &date, &time);
    return {date, time};
}

TEST_F(EngineTest, NameThatComesTwiceIsPromptedAfterTheFirstIsComplete) {
    // The second file of the cabinet gets the first one's name (in the same or another case):
    // written into a folder this run creates, it exists by the time its second copy comes.
    struct Case {
        const char* label;
        const char* secondName;
    };
    const Case cases[] = {{"same name", "\\dir\\first.txt"}, {"other case", "\\DIR\\FIRST.TXT"}};
    for (const auto& c : cases) {
        CUtil::DeleteTree(target);
        auto cabinets = WriteTestCabinets(folder.Path(), L"twice", {{"dir\\first.txt", "first copy"}, {"dir\\other.txt", "second copy"}});
        std::string bytes = ReadBytes(cabinets[0]);
        size_t name = bytes.find("\\dir\\other.txt");
        ASSERT_NE(name, std::string::npos);
        bytes.replace(name, std::strlen(c.secondName), c.secondName);
        WriteBytes(cabinets[0], bytes);
        auto stored = DosTimeOf(folder / L"payload_twice\\dir\\first.txt");
        g_prompts = 0;
        g_answers = {ANSWER_NO};
        std::string seen;
        bool closed = false;
        std::pair<WORD, WORD> stamped;
        g_onPrompt = [&] {
            seen = ReadBytes(target + L"dir\\first.txt");
            closed = IsClosed(target + L"dir\\first.txt");
            stamped = DosTimeOf(target + L"dir\\first.txt");
        };
        CCabDecompressor engine(window);
        EXPECT_EQ(engine.ExtractCabinet(cabinets[0], target), 0) << c.label;
        EXPECT_EQ(g_prompts, 1) << c.label;
        EXPECT_EQ(seen, "first copy") << c.label;
        EXPECT_TRUE(closed) << c.label;
        EXPECT_EQ(stamped, stored) << c.label;
        EXPECT_EQ(ReadBytes(target + L"dir\\first.txt"), "first copy") << c.label;
        // Which two entries landed on one file is said, in their own spellings.
        EXPECT_TRUE(Logged("|WARNING   " + Column("FileOverwrite") + "Two files of the package land on the same file : " +
                           Utf8Of(target + L"dir\\first.txt") + " and " +
                           Utf8Of(target.substr(0, target.size() - 1) + std::wstring(c.secondName, c.secondName + std::strlen(c.secondName)))))
            << c.label;
    }
}

TEST_F(EngineTest, OutputThatFailsEndsTheExtractionWhereItFailed) {
    // The files go to the output writer's thread; its failure must end the extraction as a
    // failure on the spot would: the same code, system error and file, nothing after it written
    // or listed, and no file left open.
    struct Case {
        const char* label;
        const wchar_t* cabinet;
        std::wstring target;
        std::function<bool()> prepare;  // false: the case cannot run here
        std::vector<CabTestFile> files;
        int result;
        bool systemError;
        std::wstring failedFile;
        bool cutOff;  // the failed file got part of its bytes: it is removed and no longer listed
    };
    const std::wstring smallDrive = L"T:\\EngineFull\\";
    const Case cases[] = {
        // A write that fails inside a large file: the small drive T: (2 MiB) is full.
        {"drive full inside a file", L"full", smallDrive,
         [&] {
             ULARGE_INTEGER available, total, free;
             if (!GetDiskFreeSpaceExW(L"T:\\", &available, &total, &free) || total.QuadPart > 16u * 1024 * 1024)
                 return false;
             CUtil::DeleteTree(smallDrive);
             return true;
         },
         {{"a.txt", "before"}, {"b.bin", Incompressible(4 * 1024 * 1024, 11)}, {"c.txt", "after"}, {"later\\d.txt", "after"}},
         8, false, L"b.bin", true},
        // A file that cannot be created: a file stands where its folder should be.
        {"file cannot be created", L"blocked", target,
         [&] {
             CreateDirectoryW(target.c_str(), nullptr);
             return WriteBytes(target + L"b", "a file, not a folder");
         },
         {{"a.txt", "before"}, {"b\\x.txt", "inside"}, {"c.txt", "after"}, {"later\\d.txt", "after"}},
         11, true, L"b\\x.txt", false},
    };
    for (const auto& c : cases) {
        if (!c.prepare()) {
            std::cout << "[ SKIPPED  ] " << c.label << ": the small drive T: is not mounted\n";
            continue;
        }
        theInitializer.SetExtractPath(c.target);
        theInitializer.writtenFiles.clear();
        auto cabinets = WriteTestCabinets(folder.Path(), c.cabinet, c.files);
        CCabDecompressor engine(window);
        EXPECT_EQ(engine.ExtractCabinet(cabinets[0], c.target), c.result) << c.label;
        EXPECT_EQ(engine.GetLastSystemError() != 0, c.systemError) << c.label;
        EXPECT_EQ(GetCurrentFilePath(), c.target + c.failedFile) << c.label;
        EXPECT_EQ(ReadBytes(c.target + L"a.txt"), "before") << c.label;
        // Nor is anything after it left on the disk, a folder of its own included, although the
        // files and folders are created ahead of the writer.
        EXPECT_FALSE(CUtil::FileExists(c.target + L"c.txt")) << c.label;
        EXPECT_FALSE(CUtil::FileExists(c.target + L"later")) << c.label;
        std::vector<std::wstring> listed = {c.target + c.failedFile, c.target + L"a.txt"};
        if (c.cutOff) listed.erase(listed.begin());
        EXPECT_EQ(ListOf(theInitializer.writtenFiles), listed) << c.label;
        EXPECT_FALSE(CUtil::FileExists(c.target + c.failedFile)) << c.label;
        EXPECT_EQ(Logged("|WARNING   " + Column("ExtractCabinet") + "Incomplete file removed : " +
                         Utf8Of(c.target + c.failedFile)),
                  c.cutOff)
            << c.label;
        EXPECT_TRUE(IsClosed(cabinets[0])) << c.label;
        CUtil::DeleteTree(c.target);
    }
}

TEST_F(EngineTest, StopRemovesWhatWasCreatedAheadOfTheWriter) {
    // Folders and files are created as soon as they are handed over, before the writer comes to
    // them. A stop before it does leaves the files written until then, and nothing else.
    CreateDirectoryW(target.c_str(), nullptr);
    const std::wstring written = target + L"written.txt", ahead = target + L"ahead\\", file = ahead + L"file.txt";
    {
        CWindowNotices notices(nullptr);
        COutputWriter writer(notices);
        writer.Start();
        writer.NewFile(written);
        writer.Write("one", 3);
        writer.CloseFile(0x5A21, 0x6000, FILE_ATTRIBUTE_ARCHIVE, false);
        writer.Drain();
        bool folderNoted = false;
        writer.CreateFolder(ahead, [&] { folderNoted = true; });
        writer.NewFile(file);
        writer.Write("two", 3);
        // Nothing of this went to the writer yet (its buffer is not full), but it is created.
        for (int i = 0; i < 500 && !CUtil::FileExists(file); ++i) Sleep(10);
        ASSERT_TRUE(CUtil::FileExists(file));
        workerStopFlag = 1;
        writer.Finish();
        EXPECT_TRUE(writer.WasStopped());
        EXPECT_FALSE(folderNoted);
    }
    EXPECT_EQ(ReadBytes(written), "one");
    EXPECT_TRUE(IsClosed(written));
    EXPECT_FALSE(CUtil::FileExists(file));
    EXPECT_FALSE(CUtil::FileExists(ahead));
}

TEST_F(EngineTest, WriterRemovesAFileThatLostBytesAndKeepsAWholeOne) {
    // A file that did not get all of its bytes is not the stored file: the writer closes and
    // removes it and reports it. One whose bytes were all written before a stop stays as it is.
    struct Case {
        const char* label;
        std::function<void(COutputWriter&)> end;  // what comes after the file's first bytes
        bool removed;
    };
    const Case cases[] = {
        {"stop before its last bytes",
         [](COutputWriter& writer) {
             workerStopFlag = 1;
             writer.Write("rest", 4);
             writer.CloseFile(0x5A21, 0x6000, FILE_ATTRIBUTE_ARCHIVE, false);
         },
         true},
        {"the extraction ends inside it", [](COutputWriter& writer) { writer.AbandonFile(); }, true},
        {"stop after its last bytes",
         [](COutputWriter& writer) {
             workerStopFlag = 1;
             writer.CloseFile(0x5A21, 0x6000, FILE_ATTRIBUTE_ARCHIVE, false);
         },
         false},
    };
    CreateDirectoryW(target.c_str(), nullptr);
    const std::wstring file = target + L"file.txt";
    for (const auto& c : cases) {
        DeleteFileW(file.c_str());
        std::vector<COutputWriter::CutOffFile> cut;
        {
            CWindowNotices notices(nullptr);
            COutputWriter writer(notices);
            writer.Start();
            writer.NewFile(file);
            writer.Write("first", 5);
            writer.Drain();
            c.end(writer);
            writer.Finish();
            cut = writer.GetCutOffFiles();
        }
        workerStopFlag = 0;
        EXPECT_EQ(CUtil::FileExists(file), !c.removed) << c.label;
        ASSERT_EQ(cut.size(), c.removed ? 1u : 0u) << c.label;
        if (c.removed) {
            EXPECT_EQ(cut[0].path, file) << c.label;
            EXPECT_TRUE(cut[0].removed) << c.label;
        } else {
            EXPECT_EQ(ReadBytes(file), "first") << c.label;
            EXPECT_TRUE(IsClosed(file)) << c.label;
        }
    }
}

TEST_F(EngineTest, StopWhileThePromptIsAnsweredLeavesNoCutOffFile) {
    auto cabinets = WriteTestCabinets(folder.Path(), L"stopped",
                                      {{"a.bin", Incompressible(3 * 1024 * 1024, 5)}, {"b.txt", "new b"}, {"c.txt", "c"}});
    CreateDirectoryW(target.c_str(), nullptr);
    WriteBytes(target + L"b.txt", "old b");
    // The user cancels while the prompt is up, then answers Yes.
    g_answers = {ANSWER_YES};
    g_onPrompt = [] { workerStopFlag = 1; };
    CCabDecompressor engine(window);
    EXPECT_EQ(engine.ExtractCabinet(cabinets[0], target), 11);
    EXPECT_EQ(engine.GetErrorText(), L"User aborted extraction");
    EXPECT_EQ(ReadBytes(target + L"a.bin"), Incompressible(3 * 1024 * 1024, 5));
    EXPECT_TRUE(IsClosed(target + L"a.bin"));
    // The old b.txt was deleted for the new one, which the stop cut off before its bytes.
    EXPECT_FALSE(CUtil::FileExists(target + L"b.txt"));
    EXPECT_FALSE(CUtil::FileExists(target + L"c.txt"));
    EXPECT_EQ(ListOf(theInitializer.writtenFiles), (std::vector<std::wstring>{target + L"a.bin"}));
}

// Multi-part sets lie beside the running program, where the program looks for them.
class PartSetTest : public EngineTest {
protected:
    void TearDown() override {
        for (const auto& path : written) DeleteFileW(path.c_str());
        EngineTest::TearDown();
    }
    // Packs the files as a set under base, then renames the parts to onDisk.001, .002, ...
    std::vector<std::wstring> WriteSet(const std::wstring& base, const std::wstring& onDisk,
                                       const std::vector<CabTestFile>& files, uint64_t partSize, uint16_t setId) {
        std::vector<std::wstring> parts = WriteTestCabinets(folder.Path(), base, files, partSize, setId);
        std::vector<std::wstring> moved;
        for (size_t i = 0; i < parts.size(); ++i) {
            std::wstring path = CUtil::GetProgramFolder() + L"\\" + onDisk + FormatWide(L".%03d", int(i + 1));
            MoveFileExW(parts[i].c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
            moved.push_back(path);
            written.push_back(path);
        }
        return moved;
    }
    std::vector<std::wstring> written;
};

TEST_F(PartSetTest, FileSpanningThreePartsUnderRenamedPartFiles) {
    struct Case {
        const wchar_t* stored;  // base name the cabinets store for their next part
        const wchar_t* onDisk;  // base name of the part files on disk
    };
    // Longer and shorter names than the stored ones reach the library by different ways.
    const Case cases[] = {{L"abc", L"Setup_engine_test"}, {L"A_long_stored_base_name", L"S"}};
    for (const auto& c : cases) {
        Settings(Utf8Of(FormatWide(L"[Package]\nMultiPartDownload=1\nMultipartFileName=%s\n[Qirva]\nGUID2=777\n", c.onDisk)));
        std::string big = Incompressible(200000, 7);
        theInitializer.SetCabinetSetId(777);
        auto parts = WriteSet(c.stored, c.onDisk, {{"big.bin", big}, {"small.txt", "small"}}, 80 * 1024, 777);
        ASSERT_GE(parts.size(), 3u);
        std::wstring missing;
        TextList status;
        ASSERT_FALSE(theValidator.GetValidPartName(missing, status).empty());
        EXPECT_EQ(theValidator.GetFirstPartName(), std::wstring(c.onDisk) + L".001");
        CUtil::DeleteTree(target);
        CCabDecompressor engine(window);
        EXPECT_EQ(engine.ExtractCabinet(parts[0], target), 0) << Utf8Of(engine.GetErrorText());
        EXPECT_EQ(ReadBytes(target + L"big.bin"), big);
        EXPECT_EQ(ReadBytes(target + L"small.txt"), "small");
        for (const auto& path : written) DeleteFileW(path.c_str());
        written.clear();
    }
}

TEST_F(PartSetTest, MissingLaterPartEndsWithCodeOne) {
    Settings("[Package]\nMultiPartDownload=1\nMultipartFileName=engine_missing\n[Qirva]\nGUID2=778\n");
    theInitializer.SetCabinetSetId(778);
    auto parts = WriteSet(L"engine_missing", L"engine_missing", {{"big.bin", Incompressible(200000, 9)}}, 80 * 1024, 778);
    ASSERT_GE(parts.size(), 3u);
    DeleteFileW(parts[2].c_str());
    std::wstring missing;
    TextList status;
    theValidator.GetValidPartName(missing, status);
    CCabDecompressor engine(window);
    EXPECT_EQ(engine.ExtractCabinet(parts[0], target), 1);
    EXPECT_EQ(engine.GetNextCabinetName(), L"engine_missing.003");
}

// The SHA-256 of a file through the system's crypto provider: a second implementation to hold the
// program's own against.
std::wstring ProviderSha256(const std::wstring& path) {
    std::string bytes = ReadBytes(path);
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    std::wstring text;
    if (CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) &&
        CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash) &&
        CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), 0)) {
        BYTE value[32];
        DWORD size = sizeof(value);
        if (CryptGetHashParam(hash, HP_HASHVAL, value, &size, 0))
            for (DWORD i = 0; i < size; ++i) text += FormatWide(L"%02x", value[i]);
    }
    if (hash) CryptDestroyHash(hash);
    if (provider) CryptReleaseContext(provider, 0);
    return text;
}

// What [HashCode256] holds in the settings of a test.
enum class Sha256Entries { None, Right, WrongForLastPart, MissingForLastPart, UpperCase };

// Settings that list the parts with their hashes, as the packager writes them.
std::string PartSettings(const std::wstring& base, const std::vector<std::wstring>& parts, uint16_t setId,
                         bool upperCase = false, Sha256Entries sha256 = Sha256Entries::None) {
    std::string info = "[PartFileIno]\n", hashes = "[HashCode]\n", wholeHashes = "[HashCode256]\n";
    for (size_t i = 0; i < parts.size(); ++i) {
        std::wstring hash, error, whole;
        ComputeFileHash(parts[i], hash, error, &whole);
        if (upperCase) std::transform(hash.begin(), hash.end(), hash.begin(), ::towupper);
        std::string key = Utf8Of(FormatWide(L"%03d", int(i + 1)));
        info += key + "=Y2025:M3:D5:H10:M24:S47:MS0\n";
        hashes += key + "=" + Utf8Of(hash) + "\n";
        const bool last = i + 1 == parts.size();
        if (sha256 == Sha256Entries::UpperCase)
            std::transform(whole.begin(), whole.end(), whole.begin(), ::towupper);
        if (last && sha256 == Sha256Entries::WrongForLastPart) whole[5] = whole[5] == L'0' ? L'1' : L'0';
        if (!(last && sha256 == Sha256Entries::MissingForLastPart)) wholeHashes += key + "=" + Utf8Of(whole) + "\n";
    }
    return Utf8Of(FormatWide(L"[Package]\nMultiPartDownload=1\nMultipartFileName=%s\n[Qirva]\nGUID2=%d\n", base, setId)) +
           info + hashes + (sha256 == Sha256Entries::None ? std::string() : wholeHashes);
}

TEST(FileHashes, SideBySideInTheOrderGiven) {
    ScratchFolder folder(L"hashes");
    std::vector<std::wstring> paths = {folder / L"a.bin", folder / L"empty.bin", folder / L"missing.bin",
                                       folder / L"c.bin", folder / L"d.bin"};
    WriteBytes(paths[0], Incompressible(3 * 1024 * 1024, 1));
    WriteBytes(paths[1], "");
    WriteBytes(paths[3], Incompressible(100, 3));
    WriteBytes(paths[4], Incompressible(2 * 1024 * 1024 + 1, 4));
    std::vector<CFileHash> hashes = ComputeFileHashes(paths);
    std::vector<CFileHash> both = ComputeFileHashes(paths, true);
    ASSERT_EQ(hashes.size(), paths.size());
    ASSERT_EQ(both.size(), paths.size());
    for (size_t i = 0; i < paths.size(); ++i) {
        std::wstring alone, errorText;
        unsigned long code = ComputeFileHash(paths[i], alone, errorText);
        EXPECT_EQ(hashes[i].code, code) << i;
        EXPECT_EQ(hashes[i].hash, alone) << i;
        EXPECT_EQ(hashes[i].errorText, errorText) << i;
        EXPECT_TRUE(hashes[i].sha256.empty()) << i;
        // Asked for the SHA-256 too: the same SHA-1 prefix, and the SHA-256 the provider computes.
        EXPECT_EQ(both[i].code, code) << i;
        EXPECT_EQ(both[i].hash, alone) << i;
        if (code == 0) {
            EXPECT_EQ(both[i].sha256, ProviderSha256(paths[i])) << i;
        }
    }
    EXPECT_EQ(hashes[2].code, static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(both[2].sha256.empty());
    EXPECT_EQ(hashes[1].hash.size(), 32u);
    EXPECT_EQ(both[1].sha256, L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_TRUE(ComputeFileHashes({}).empty());
}

std::vector<std::wstring> StatusInOrder(const TextList& status) {
    return std::vector<std::wstring>(status.rbegin(), status.rend());
}

TEST_F(PartSetTest, ValidationOfPartFiles) {
    const std::wstring base = L"engine_valid";
    auto parts = WriteSet(base, base, {{"big.bin", Incompressible(150000, 3)}}, 80 * 1024, 779);
    ASSERT_EQ(parts.size(), 2u);
    struct Case {
        const char* label;
        std::function<std::string()> prepare;
        int result;
        std::wstring missing;
        const wchar_t* statusText;
    };
    std::string good = PartSettings(base, parts, 779);
    std::string badCopy = ReadBytes(parts[1]);
    const Case cases[] = {
        {"valid", [&] { return good; }, 0, L"", L"Hash code for : "},
        // Both parts fail; the last failing part is reported.
        {"upper-case hash", [&] { return PartSettings(base, parts, 779, true); }, -5, parts[1], L"File is corrupt  : "},
        {"part 2 missing",
         [&] {
             std::string settings = good;
             MoveFileW(parts[1].c_str(), (parts[1] + L".away").c_str());
             return settings;
         },
         -2, parts[1], L"Multi part File not found : "},
        {"part 2 corrupt",
         [&] {
             MoveFileW((parts[1] + L".away").c_str(), parts[1].c_str());
             std::string bytes = badCopy;
             bytes[bytes.size() / 2] ^= 0x55;
             WriteBytes(parts[1], bytes);
             return good;
         },
         -5, parts[1], L"File is corrupt  : "},
        {"part 2 restored, SHA-256 recorded",
         [&] {
             WriteBytes(parts[1], badCopy);
             return PartSettings(base, parts, 779, false, Sha256Entries::Right);
         },
         0, L"", L"SHA-256 Hash code for : "},
        // The SHA-1 prefix matches; the SHA-256 does not, as for a part forged to collide in SHA-1.
        {"SHA-256 of part 2 differs", [&] { return PartSettings(base, parts, 779, false, Sha256Entries::WrongForLastPart); },
         -5, parts[1], L"File is corrupt  : "},
        {"SHA-256 of part 2 missing",
         [&] { return PartSettings(base, parts, 779, false, Sha256Entries::MissingForLastPart); }, -5, parts[1],
         L"File is corrupt  : "},
        {"SHA-256 in upper case", [&] { return PartSettings(base, parts, 779, false, Sha256Entries::UpperCase); }, -5,
         parts[1], L"File is corrupt  : "},
    };
    for (const auto& c : cases) {
        std::string settings = c.prepare();
        Settings(settings);
        std::wstring missing;
        TextList status;
        theInitializer.SetCabinetSetId(779);
        EXPECT_EQ(theValidator.ValidateParts(missing, status), c.result) << c.label;
        EXPECT_EQ(missing, c.missing) << c.label;
        auto lines = StatusInOrder(status);
        ASSERT_FALSE(lines.empty()) << c.label;
        EXPECT_EQ(lines[0], L"Validating cabinet : " + parts[0]) << c.label;
        bool found = false;
        for (const auto& line : lines) found = found || line.find(c.statusText) != std::wstring::npos;
        EXPECT_TRUE(found) << c.label;
    }
    WriteBytes(parts[1], badCopy);
}

TEST_F(PartSetTest, WrongCabinetNumberAndUnreadablePart) {
    const std::wstring base = L"engine_number";
    auto parts = WriteSet(base, base, {{"big.bin", Incompressible(150000, 5)}}, 80 * 1024, 780);
    ASSERT_EQ(parts.size(), 2u);
    // A third part that is a copy of the second: its header says cabinet 1, its name says 3.
    std::wstring third = CUtil::GetProgramFolder() + L"\\" + base + L".003";
    CopyFileW(parts[1].c_str(), third.c_str(), FALSE);
    written.push_back(third);
    Settings(PartSettings(base, {parts[0], parts[1], third}, 780));
    theInitializer.SetCabinetSetId(780);
    std::wstring missing;
    TextList status;
    EXPECT_EQ(theValidator.ValidateParts(missing, status), -3);
    EXPECT_EQ(missing, third);
    EXPECT_EQ(StatusInOrder(status).back(), L"Could not get the file status of the file : " + third);

    // A part that cannot be opened: the error is reported, no hash is compared, the cabinet
    // check still runs (and fails).
    HANDLE lock = CreateFileW(parts[1].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    status.clear();
    Settings(PartSettings(base, {parts[0], parts[1]}, 780));
    EXPECT_EQ(theValidator.ValidateParts(missing, status), -3);
    auto lines = StatusInOrder(status);
    bool reported = false;
    for (const auto& line : lines) reported = reported || line.find(L"Error opening file ") != std::wstring::npos;
    EXPECT_TRUE(reported);
    CloseHandle(lock);
}

TEST_F(PartSetTest, AlternativeNamingAfterRenaming) {
    // The parts carry the program's name without its last five characters ("extract_te").
    std::wstring program = CUtil::GetProgramFileName();
    std::wstring alternative = program.substr(0, program.size() - 5);
    auto parts = WriteSet(L"renamed", alternative, {{"a.txt", "a"}}, 80 * 1024, 781);
    Settings("[Package]\nMultiPartDownload=1\nMultipartFileName=NotOnDisk\n[Qirva]\nGUID2=781\n");
    theInitializer.SetCabinetSetId(781);
    std::wstring missing;
    TextList status;
    EXPECT_EQ(theValidator.GetValidPartName(missing, status), parts[0]);
    EXPECT_EQ(theValidator.GetFirstPartName(), alternative + L".001");
    // Without a set identifier the alternative naming is not trusted.
    theInitializer.SetCabinetSetId(0);
    EXPECT_EQ(theValidator.GetValidPartName(missing, status), L"");
    EXPECT_EQ(missing, CUtil::GetProgramFolder() + L"\\NotOnDisk.001");
    EXPECT_EQ(StatusInOrder(status).back(), L"Multi part File not found : " + missing);
}

}  // namespace
