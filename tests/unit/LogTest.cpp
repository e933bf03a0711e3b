// The log writer and the frame of a log file, written to real files in the prefix.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <thread>

#include "TestSupport.h"
#include "log/BuildLogFile.h"

namespace {

const std::regex kTime("^\\d\\d:\\d\\d:\\d\\d$");

class LogTest : public ::testing::Test {
protected:
    ScratchFolder folder{L"log"};
    std::wstring path = folder / L"test.log";
    CBuildLogFile log;
    void SetUp() override { log.InitLog(path, LOG_THRESHOLD_NORMAL); }
    std::vector<std::string> Read() const { return ReadLogLines(path); }
};

TEST_F(LogTest, LineLayoutAndCrLf) {
    log.Log(LOG_INFO, L"CreateExtractionLogFile", L"Creating Extraction Log File");
    log.Log(LOG_ERROR, L"F", L"value %d and %s", 42, std::wstring(L"text"));
    log.Log(LOG_WARNING, L"F", L"careful");
    std::string bytes = ReadBytes(path);
    auto lines = SplitCrLfLines(bytes);
    ASSERT_EQ(lines.size(), 3u);
    // Every line feed is stored as CR LF and nothing else.
    EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1);
    EXPECT_TRUE(std::regex_match(lines[0].substr(0, 8), kTime));
    EXPECT_EQ(lines[0].substr(8), "|          |CreateExtractionLogFile             |Creating Extraction Log File");
    EXPECT_EQ(lines[1].substr(8), "|ERROR     |F                                   |value 42 and text");
    EXPECT_EQ(lines[2].substr(8), "|WARNING   |F                                   |careful");
}

TEST(FormatWide, AcceptsStdWstringArguments) {
    EXPECT_EQ(FormatWide(L"%.02f %s|%-4s|%d", 912.734, std::wstring(L"KB"), L"ab", -3), L"912.73 KB|ab  |-3");
    EXPECT_EQ(FormatWide(L"no arguments"), L"no arguments");
}

TEST_F(LogTest, FunctionColumnWidensToFortyFiveAndCuts) {
    std::wstring forty(40, L'a'), fifty(50, L'b');
    log.Log(LOG_INFO, forty.c_str(), L"x");
    log.Log(LOG_INFO, fifty.c_str(), L"y");
    auto lines = Read();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(20), std::string(40, 'a') + " |x");
    EXPECT_EQ(lines[1].substr(20), std::string(45, 'b') + " |y");
}

TEST_F(LogTest, LevelFilterAndCounters) {
    struct Case {
        int threshold;
        int level;
        bool written;
    };
    const Case cases[] = {
        {9, LOG_DETAIL, false}, {11, LOG_DETAIL, true}, {9, LOG_INFO, true},  {9, 10, false},
        {0, LOG_ERROR, true},   {0, 6, true},           {0, 7, false},        {9, 12, false},
    };
    for (const auto& c : cases) {
        DeleteFileW(path.c_str());
        log.InitLog(path, c.threshold);
        unsigned before = CLogFile::GetLevelCount(c.level);
        log.Log(c.level, L"Filter", L"line");
        auto lines = Read();
        EXPECT_EQ(lines.size(), c.written ? 1u : 0u) << "threshold " << c.threshold << " level " << c.level;
        if (c.level < LOG_LEVEL_COUNT) {
            EXPECT_EQ(CLogFile::GetLevelCount(c.level), before + (c.written ? 1 : 0)) << "level " << c.level;
        }
        if (c.written && c.level == LOG_DETAIL) {
            EXPECT_EQ(lines[0].substr(8, 12), "|          |");
        }
    }
}

TEST_F(LogTest, LogUnnamedTurnsCommasIntoBars) {
    log.LogUnnamed(LOG_INFO, L"a, b,c");
    auto lines = Read();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(8), "|          |NonameFunction                     |a| b|c");
}

TEST_F(LogTest, WriteRawIsUnchangedAndUncounted) {
    unsigned before = CLogFile::GetLevelCount(LOG_ERROR);
    log.WriteRaw(L"abc %s\ndef", std::wstring(L"x"));
    EXPECT_EQ(ReadBytes(path), "abc x\r\ndef");
    EXPECT_EQ(CLogFile::GetLevelCount(LOG_ERROR), before);
}

TEST_F(LogTest, MissingFolderLosesLogLinesButRawAndUnnamedRecreateIt) {
    std::wstring deep = folder / L"gone\\deeper\\test.log";
    log.InitLog(deep, LOG_THRESHOLD_NORMAL);
    unsigned before = CLogFile::GetLevelCount(LOG_INFO);
    log.Log(LOG_INFO, L"F", L"lost");
    EXPECT_FALSE(CUtil::FileExists(deep));
    // A line that could not be written still counts.
    EXPECT_EQ(CLogFile::GetLevelCount(LOG_INFO), before + 1);

    log.WriteRaw(L"raw\n");
    log.LogUnnamed(LOG_INFO, L"unnamed");
    CUtil::DeleteTree(folder / L"gone");
    log.LogUnnamed(LOG_INFO, L"again");
    auto lines = ReadLogLines(deep);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("|again"), std::string::npos);
}

TEST_F(LogTest, TwoThreadsWritingAtOnceLoseNoLine) {
    // The window thread and a worker log at the same moment; each line is whole and none is lost.
    constexpr int kLines = 300;
    auto writer = [&](const wchar_t* name) {
        for (int i = 0; i < kLines; ++i) log.Log(LOG_INFO, name, L"line %d of %s", i, std::wstring(name));
    };
    std::thread first(writer, L"First"), second(writer, L"Second");
    first.join();
    second.join();
    auto lines = Read();
    ASSERT_EQ(lines.size(), 2u * kLines);
    std::map<std::string, int> next = {{"First", 0}, {"Second", 0}};
    const std::regex whole("^\\d\\d:\\d\\d:\\d\\d\\|          \\|(First|Second) +\\|line (\\d+) of (First|Second)$");
    for (const auto& line : lines) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, whole)) << line;
        ASSERT_EQ(match[1], match[3]) << line;
        // Each thread's lines stay in its own order.
        EXPECT_EQ(std::stoi(match[2]), next[match[1]]++) << line;
    }
}

TEST_F(LogTest, ALogHeldOpenByAnotherWriterForAMomentStillGetsTheLine) {
    log.Log(LOG_INFO, L"F", L"before");
    // Another process (a second instance refusing to start) has the file open for its own line.
    HANDLE held = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread release([&] {
        Sleep(100);
        CloseHandle(held);
    });
    log.Log(LOG_INFO, L"F", L"after");
    release.join();
    auto lines = Read();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("|after"), std::string::npos);
}

TEST_F(LogTest, CharactersWithoutAnsiFormBecomeQuestionMarks) {
    log.WriteRaw(L"%s", std::wstring(L"C:\\\x4E2D\x6587\\caf\xE9\\\xFF3C"));
    std::string expected = GetACP() == 1252 ? "C:\\??\\caf\xE9\\?" : "";
    std::string bytes = ReadBytes(path);
    if (!expected.empty()) {
        EXPECT_EQ(bytes, expected);
    }
    // The full-width backslash must never turn into a real one.
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\\?");
}

TEST_F(LogTest, DeleteLogFileReportsFailure) {
    log.WriteRaw(L"x");
    EXPECT_EQ(log.DeleteLogFile(), 0);
    EXPECT_EQ(log.DeleteLogFile(), -1);
}

TEST_F(LogTest, HeaderAndSummaryLayout) {
    log.WriteHeader();
    std::string stamp(log.GetRunStamp().begin(), log.GetRunStamp().end());
    ASSERT_TRUE(std::regex_match(stamp, std::regex("^\\d{14}$")));
    unsigned errors = log.GetErrorCount();
    unsigned warnings = log.GetWarningCount();
    log.Log(LOG_ERROR, L"F", L"broken");
    log.Log(LOG_INFO, L"F", L"info");
    log.InitLog(path, LOG_THRESHOLD_DEBUG);
    log.Log(LOG_DETAIL, L"F", L"detail");
    log.Finish();
    log.WriteRaw(L"%s\n", LOG_END_BANNER);

    auto lines = Read();
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0], "############################## --------- START" + stamp +
                            " --------- ##############################");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "");
    std::string start = "######## --------- START SUMMARY " + stamp + std::string(11, ' ') +
                        "##############################";
    EXPECT_EQ(start.size(), 88u);
    EXPECT_EQ(lines[6], start);
    EXPECT_TRUE(std::regex_match(lines[7].substr(0, 8), kTime));
    EXPECT_EQ(lines[7].substr(8), "|RETURN    |STATUS                                |Fail");
    EXPECT_EQ(lines[8].substr(8), "|RETURN    |ERRORS                                |" + std::to_string(errors + 1));
    EXPECT_EQ(lines[9].substr(8),
              "|RETURN    |WARNINGS                              |" + std::to_string(warnings) + "  ");
    EXPECT_EQ(lines[10], std::to_string(errors + 1) + " Errors found and " + std::to_string(warnings) +
                             " Warnings found");
    EXPECT_EQ(lines[11], "");
    EXPECT_EQ(lines[12], "######## --------- END SUMMARY " + stamp + std::string(13, ' ') +
                             "##############################");
    EXPECT_EQ(lines[13], "############################## --------- End --------- ##############################");
    EXPECT_EQ(ReadBytes(path).substr(ReadBytes(path).size() - 2), "\r\n");
}

TEST_F(LogTest, WarningsCountLevelsOneToSix) {
    unsigned before = log.GetWarningCount();
    for (int level = 1; level <= 6; ++level) log.Log(level, L"F", L"w");
    log.Log(7, L"F", L"not a warning");
    log.Log(LOG_INFO, L"F", L"not a warning");
    EXPECT_EQ(log.GetWarningCount(), before + 6);
}

}  // namespace
