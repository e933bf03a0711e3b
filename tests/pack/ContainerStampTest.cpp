// The container entries and the version stamp that points the program at them.
#include <gtest/gtest.h>

#include "../common/TestData.h"
#include "PackTestSupport.h"
#include "container/Container.h"
#include "container/VersionStamp.h"
#include "io/File.h"

namespace {

using namespace packtest;


using testdata::MakeProgram;

TEST(VersionStamp, FindsTheOneBlockInTheResourceSection) {
    struct Case {
        std::string bytes;
        bool found;
        size_t signature;
        const char* error;
    };
    const Case cases[] = {
        {MakeProgram({0x220}), true, 0x220, ""},
        {MakeProgram({0x200}), true, 0x200, ""},
        {MakeProgram({}), false, 0, "no version information"},
        {MakeProgram({0x220, 0x280}), false, 0, "more than one"},
        {MakeProgram({0x222}), false, 0, "no version information"},  // not aligned: not a block
        {MakeProgram({0x100}), false, 0, "no version information"},  // outside the resource section
        {MakeProgram({0x3F0}), false, 0, "no version information"},  // block would run past the section
        {std::string("not a program"), false, 0, "not a Windows program"},
    };
    for (const auto& c : cases) {
        VersionStampLocation location;
        std::string error;
        EXPECT_EQ(FindVersionStamp(c.bytes, location, error), c.found) << error;
        if (c.found) {
            EXPECT_EQ(location.signatureOffset, c.signature);
            EXPECT_EQ(location.subtypeOffset, c.signature + 40);
        } else {
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
        }
    }
}

TEST(VersionStamp, WritesTheOffsetLittleEndian) {
    std::string program = MakeProgram({0x220});
    VersionStampLocation location;
    std::string error;
    ASSERT_TRUE(FindVersionStamp(program, location, error));
    WriteStamp(program, location, 0x01020304u);
    EXPECT_EQ(program.substr(0x220 + 40, 4), std::string("\x04\x03\x02\x01", 4));
    ASSERT_TRUE(FindVersionStamp(program, location, error));
    EXPECT_EQ(location.subtype, 0x01020304u);
    EXPECT_FALSE(HasSignatureBlock(program));
    EXPECT_TRUE(HasSignatureBlock(MakeProgram({0x220}, true)));
}

TEST(Container, EntriesRoundTripWithTheirLayout) {
    TempDir dir;
    std::string package = dir / "package.exe";
    std::string source = dir / "image.png";
    WriteFile(source, std::string(100000, 'x'));
    {
        FILE* out = OpenFile(package, "wb");
        ASSERT_TRUE(out);
        fputs("PROGRAM", out);
        std::string error;
        ASSERT_TRUE(AppendEntryFromBytes(out, "Properties_Qirva.ini", ENTRY_SUPPORT_FILE, "\xFF\xFE", error)) << error;
        ASSERT_TRUE(AppendEntryFromFile(out, "image.png", ENTRY_SUPPORT_FILE, source, error)) << error;
        ASSERT_TRUE(AppendEntryFromBytes(out, "empty.txt", ENTRY_SUPPORT_FILE, "", error)) << error;
        ASSERT_TRUE(AppendEntryFromBytes(out, "Lizenz_\xC3\xA4.rtf", ENTRY_SUPPORT_FILE, "r", error)) << error;
        ASSERT_TRUE(AppendEntryFromBytes(out, "WebCab1", ENTRY_PAYLOAD, "QRVA", error)) << error;
        fputs("\0\0\0\0SIGNATURE", out);
        fclose(out);
    }
    std::string bytes = ReadFile(package);
    // First entry: marker, name length 40, the name in UTF-16LE, size 2, kind 200, data.
    EXPECT_EQ(bytes.substr(7, 76), ContainerMarker());
    EXPECT_EQ(bytes.substr(7 + 76, 4), std::string("\x28\0\0\0", 4));
    EXPECT_EQ(bytes.substr(7 + 80, 2), std::string("P\0", 2));
    EXPECT_EQ(bytes.substr(7 + 120, 4), std::string("\x02\0\0\0", 4));
    EXPECT_EQ(bytes.substr(7 + 124, 2), std::string("\xC8\0", 2));
    EXPECT_EQ(bytes.substr(7 + 126, 2), "\xFF\xFE");

    std::vector<ContainerEntry> entries;
    std::string error;
    ASSERT_TRUE(ReadContainer(package, 7, entries, error)) << error;
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[1].name, "image.png");
    EXPECT_EQ(entries[1].size, 100000u);
    EXPECT_EQ(entries[2].size, 0u);
    EXPECT_EQ(entries[3].name, "Lizenz_\xC3\xA4.rtf");
    EXPECT_EQ(entries[4].kind, ENTRY_PAYLOAD);
    std::string data;
    ASSERT_TRUE(ReadEntryBytes(package, entries[4], data, error));
    EXPECT_EQ(data, "QRVA");
    ASSERT_TRUE(CopyEntryToFile(package, entries[1], dir / "copy.png", error));
    EXPECT_EQ(ReadFile(dir / "copy.png"), std::string(100000, 'x'));

    // An offset that points elsewhere finds no container; one past the end is an error.
    ASSERT_TRUE(ReadContainer(package, 0, entries, error));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(ReadContainer(package, bytes.size() + 1, entries, error));
}

TEST(Container, CutOffEntriesAreReported) {
    TempDir dir;
    std::string package = dir / "cut.exe";
    FILE* out = OpenFile(package, "wb");
    std::string error;
    ASSERT_TRUE(AppendEntryFromBytes(out, "a.txt", ENTRY_SUPPORT_FILE, std::string(1000, 'a'), error));
    fclose(out);
    std::string bytes = ReadFile(package);
    WriteFile(package, bytes.substr(0, bytes.size() - 10));
    std::vector<ContainerEntry> entries;
    EXPECT_FALSE(ReadContainer(package, 0, entries, error));
    EXPECT_NE(error.find("runs past the end"), std::string::npos);
    // A marker block cut short ends the container normally.
    WriteFile(package, bytes + ContainerMarker().substr(0, 40));
    EXPECT_TRUE(ReadContainer(package, 0, entries, error)) << error;
    EXPECT_EQ(entries.size(), 1u);
}

TEST(Container, OnlyPlainFileNames) {
    const char* bad[] = {"", ".", "..", "sub\\file.txt", "sub/file.txt", "C:file", "a*b", "a?b", "a<b", "a|b", "a.txt.", "a.txt ",
                         "a\"b", "tab\tname"};
    for (const char* name : bad) {
        std::string error;
        EXPECT_FALSE(CheckEntryName(name, error)) << name;
        EXPECT_FALSE(error.empty());
    }
    std::string error;
    EXPECT_TRUE(CheckEntryName("Default1031.ulf", error));
    EXPECT_TRUE(CheckEntryName(std::string(511, 'n'), error));
    EXPECT_FALSE(CheckEntryName(std::string(512, 'n'), error));
    EXPECT_FALSE(CheckEntryName("bad\xFF", error));
}

}  // namespace
