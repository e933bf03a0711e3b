// The texts of the machine description at the top of the extraction log.
#include <gtest/gtest.h>

#include "log/SystemInformation.h"

namespace {

TEST(SystemInformation, MemoryAndDriveTexts) {
    EXPECT_EQ(RamSizeText(2147483648u), L"2.00");
    EXPECT_EQ(RamSizeText(2147484672u), L"3.00");
    EXPECT_EQ(RamSizeText(0), L"0.00");
    EXPECT_EQ(DriveSpaceText(500107862016ull, 123456789504ull),
              L"Total Space: 465.76 GB\tUsed space: 350.78 GB\tFree space: 114.98 GB");
    EXPECT_EQ(DriveSpaceText(1048576 + 1048576, 1048576), L"Total Space: 2.00 MB\tUsed space: 1024.00 KB\tFree space: 1024.00 KB");
    EXPECT_EQ(DriveSpaceText(1048577, 1048577), L"Total Space: 1.00 MB\tUsed space: 0.00 KB\tFree space: 1.00 MB");
}

TEST(SystemInformation, LabelsAndNames) {
    EXPECT_EQ(DateText(1, 1, 15, 2024), L"Monday, January 15, 2024");
    EXPECT_EQ(DateText(4, 3, 5, 2026), L"Thursday, March 05, 2026");
    EXPECT_EQ(GetUILanguageName(1031), L"German");
    EXPECT_EQ(GetUILanguageName(3098), L"Serbian (Cyrillic)");
    EXPECT_EQ(GetUILanguageName(1039), L"Unknown");
    EXPECT_EQ(GetUILanguageName(-1), L"Unknown");
    EXPECT_EQ(DriveLabel(L"C:\\", L"NTFS"), L"Space Info on Drive: C:\\ (NTFS)");
    EXPECT_EQ(DriveLabel(L"D:\\", L""), L"Space Info on Drive: D:\\");

    using Lines = std::vector<std::pair<std::wstring, std::wstring>>;
    EXPECT_EQ(ProcessorLines({L"CPU A"}), (Lines{{L"Processor", L"CPU A"}}));
    // Written from the last scanned to the first, numbered in the order written; an empty name
    // that ended the scan is written too.
    EXPECT_EQ(ProcessorLines({L"CPU 0", L"CPU 1", L""}),
              (Lines{{L"Processor 1", L""}, {L"Processor 2", L"CPU 1"}, {L"Processor 3", L"CPU 0"}}));
    EXPECT_TRUE(ProcessorLines({}).empty());
}

}  // namespace
