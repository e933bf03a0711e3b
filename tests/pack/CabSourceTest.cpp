// Collecting a payload folder: stored names, order, attributes and DOS times of its files.

#include <gtest/gtest.h>

#include <ctime>

#include "cab/CabFormat.h"
#include "cab/CabSource.h"
#include "fixtures/cab/CabFixtures.h"

namespace {

using namespace cabtest;

TEST(CabSource, FolderIsCollectedSortedWithBackslashNamesAndFacts) {
    ScratchFolder scratch("collect");
    WritePayload(scratch / "src", {{"b.txt", "bb"}, {"a/z.txt", "z", true}, {"a/b/c.txt", ""}, {u8"ä.txt", "x"}});
    fs::create_directories(scratch / "src/empty/folder");
    fs::create_directory_symlink(scratch / "src/a", scratch / "src/link-to-a");  // not followed

    std::vector<CabSourceFile> files;
    std::string error;
    ASSERT_TRUE(CollectPayloadFolder((scratch / "src").u8string(), files, error)) << error;
    std::vector<std::string> names;
    for (const CabSourceFile& file : files) names.push_back(file.storedName);
    EXPECT_EQ(names, (std::vector<std::string>{"\\a\\b\\c.txt", "\\a\\z.txt", "\\b.txt", u8"\\ä.txt"}));
    EXPECT_EQ(files[1].size, 1u);
    EXPECT_EQ(files[1].attributes, CAB_ATTRIBUTE_READ_ONLY | CAB_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(files[2].attributes, CAB_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(files[2].sourcePath, (scratch / "src/b.txt").u8string());
    // b.txt is the fixture's first file, which gets the fixture's first time.
    EXPECT_EQ(LocalTimeFromDos(files[2].date, files[2].time), 1700000000 + 86400 * 17 * 0);
}

TEST(CabSource, FolderWithNamesTheProgramCannotExtractIsRefused) {
    struct Case {
        const char* name;
        const char* expected;
    } cases[] = {{"back\\slash.txt", "a backslash in a file name"},
                 {"colon:name.txt", "cannot hold"},
                 {"trailing-dot.", "ending in a dot or blank"},
                 {"trailing-blank ", "ending in a dot or blank"},
                 {"dir./x.txt", "ending in a dot or blank"},
                 {"CON", "reserved device name"},
                 {"sub/nul.txt", "reserved device name"},
                 {"Com1.log", "reserved device name"},
                 {"lpt9", "reserved device name"},
                 {"aux .txt", "reserved device name"},
                 {"nul/x.txt", "reserved device name"}};
    for (const Case& c : cases) {
        ScratchFolder scratch("refuse");
        WritePayload(scratch / "src", {{"ok.txt", "ok"}, {c.name, "bad"}});
        std::vector<CabSourceFile> files;
        std::string error;
        EXPECT_FALSE(CollectPayloadFolder((scratch / "src").u8string(), files, error)) << c.name;
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }
    std::vector<CabSourceFile> files;
    std::string error;
    EXPECT_FALSE(CollectPayloadFolder("/nonexistent/payload", files, error));
    EXPECT_NE(error.find("does not exist"), std::string::npos) << error;
}

TEST(CabSource, DosTimesAreLocalTwoSecondStepsClampedTo1980Through2107) {
    auto local = [](int year, int month, int day, int hour, int minute, int second) {
        std::tm t{};
        t.tm_year = year - 1900;
        t.tm_mon = month - 1;
        t.tm_mday = day;
        t.tm_hour = hour;
        t.tm_min = minute;
        t.tm_sec = second;
        t.tm_isdst = -1;
        return std::mktime(&t);
    };
    struct Case {
        std::time_t time;
        uint16_t date, dosTime;
    } cases[] = {
        {local(2024, 2, 29, 13, 45, 31), (44 << 9) | (2 << 5) | 29, (13 << 11) | (45 << 5) | 15},
        {local(1980, 1, 1, 0, 0, 0), (1 << 5) | 1, 0},
        {local(1979, 12, 31, 23, 59, 59), (1 << 5) | 1, 0},
        {local(2107, 12, 31, 23, 59, 59), (127 << 9) | (12 << 5) | 31, (23 << 11) | (59 << 5) | 29},
        {local(2110, 6, 1, 12, 0, 0), (127 << 9) | (12 << 5) | 31, (23 << 11) | (59 << 5) | 29},
    };
    for (const Case& c : cases) {
        uint16_t date = 0, time = 0;
        DosDateTimeFromLocal(c.time, date, time);
        EXPECT_EQ(date, c.date) << c.time;
        EXPECT_EQ(time, c.dosTime) << c.time;
    }
    EXPECT_EQ(LocalTimeFromDos(cases[0].date, cases[0].dosTime), cases[0].time - 1);
    EXPECT_EQ(LocalTimeFromDos(0, 0), -1);  // month 0
}

}  // namespace
