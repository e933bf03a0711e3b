// The reader behind the packager's verify command takes cabinets as untrusted input: damaged or
// hostile cabinets end in a clear error, never in a crash or a file outside the target folder,
// and parts that do not form a whole set are refused.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "cab/CabFormat.h"
#include "cab/CabReader.h"
#include "cab/CabWriter.h"
#include "fixtures/cab/CabFixtures.h"

namespace {

using namespace cabtest;

constexpr char kName[] = "\\ab\\cd.txt";  // the stored name the damage cases rewrite

struct Damage {
    const char* name;
    std::function<void(std::string& bytes, const CabHeader& header)> apply;
    const char* expected;
};

void Put32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}
void Put16(std::string& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}
void Rename(std::string& bytes, const char* to) {
    ASSERT_EQ(std::strlen(to), std::strlen(kName));
    size_t at = bytes.find(kName);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, std::strlen(kName), to);
}
// Offset of the first file record, and of the first data block.
size_t FirstRecord(const CabHeader& header) { return header.filesOffset; }
size_t FirstBlock(const CabHeader& header) { return header.folders[0].dataOffset; }

const Damage kDamage[] = {
    {"StandardSignature", [](std::string& b, const CabHeader&) { b.replace(0, 4, "MSCF"); }, "a standard cabinet"},
    {"OtherSignature", [](std::string& b, const CabHeader&) { b.replace(0, 4, "PK\3\4"); }, "not a cabinet of this package"},
    {"ShorterThanAHeader", [](std::string& b, const CabHeader&) { b.resize(30); }, "too short"},
    {"Truncated", [](std::string& b, const CabHeader&) { b.resize(b.size() / 2); }, "truncated"},
    {"NameClimbsOut", [](std::string& b, const CabHeader&) { Rename(b, "\\..\\cd.txt"); }, "'..'"},
    {"NameWithDrive", [](std::string& b, const CabHeader&) { Rename(b, "C:\\b\\d.txt"); }, "drive, colon"},
    {"NameOfANetworkPath", [](std::string& b, const CabHeader&) { Rename(b, "\\\\b\\cd.txt"); }, "empty"},
    {"NameAbsoluteWithSlashes", [](std::string& b, const CabHeader&) { Rename(b, "/etc/x.txt"); }, "slash"},
    {"NameNotTerminated",
     [](std::string& b, const CabHeader& h) {
         size_t at = FirstRecord(h) + CAB_FILE_BYTES;
         b.replace(at, b.size() - at, std::string(b.size() - at, 'x'));
     },
     "no terminated name"},
    {"FileInAFolderThatDoesNotExist", [](std::string& b, const CabHeader& h) { Put16(b, FirstRecord(h) + 8, 7); },
     "names folder 7 of 1"},
    {"FolderStartsBeyondTheEnd",
     [](std::string& b, const CabHeader&) { Put32(b, CAB_HEADER_BYTES, static_cast<uint32_t>(b.size() + 1)); },
     "starts beyond the end"},
    {"BlockLargerThanAllowed",
     [](std::string& b, const CabHeader& h) { Put16(b, FirstBlock(h) + 6, CAB_BLOCK_BYTES + 1); }, "impossible sizes"},
    {"BlockRunsPastTheEnd",
     [](std::string& b, const CabHeader& h) { Put16(b, FirstBlock(h) + 4, 60000); }, "impossible sizes"},
    {"DataDamaged", [](std::string& b, const CabHeader& h) { b[FirstBlock(h) + 20] ^= 0x55; }, "checksum mismatch"},
    {"DataDamagedWithoutChecksum",
     [](std::string& b, const CabHeader& h) {
         Put32(b, FirstBlock(h), 0);  // a zero checksum is not checked
         b.replace(FirstBlock(h) + CAB_DATA_HEADER_BYTES + 2, 8, std::string(8, '\xFF'));
     },
     "is corrupt"},
    {"NoMszipSignature",
     [](std::string& b, const CabHeader& h) {
         Put32(b, FirstBlock(h), 0);
         b[FirstBlock(h) + CAB_DATA_HEADER_BYTES] = 'X';
     },
     "no CK signature"},
    {"FileLongerThanTheData",
     [](std::string& b, const CabHeader&) { Put32(b, b.find("\\ef.bin") - CAB_FILE_BYTES, 10 << 20); },
     "data ends before the files do"},
    {"FilesOverlap",
     [](std::string& b, const CabHeader&) { Put32(b, b.find("\\ef.bin") - CAB_FILE_BYTES + 4, 100); },
     "overlaps the file before it"},
};

class CabReaderDamage : public testing::TestWithParam<Damage> {};

TEST_P(CabReaderDamage, EndsInAnErrorAndWritesNothingOutside) {
    const Damage& d = GetParam();
    ScratchFolder scratch(std::string("damage") + d.name);
    std::vector<CabSourceFile> files =
        WritePayload(scratch / "src", {{"ab/cd.txt", Text(70000)}, {"ef.bin", Incompressible(100, 1)}});
    ASSERT_EQ(files.size(), 2u);
    CabWriteResult written;
    std::string error;
    fs::path cabinet = scratch / "payload.cab";
    ASSERT_TRUE(WriteCabinet(files, cabinet.u8string(), CabWriteOptions(), written, error)) << error;
    CabHeader header;
    ASSERT_TRUE(ReadCabinetHeader(cabinet.u8string(), header, error)) << error;
    std::string bytes = ReadBytes(cabinet);
    d.apply(bytes, header);
    WriteBytes(cabinet, bytes);

    CabExtractResult result;
    EXPECT_FALSE(ExtractCabinets({cabinet.u8string()}, (scratch / "target/in").u8string(), CabExtractOptions(),
                                 result, error));
    EXPECT_NE(error.find(d.expected), std::string::npos) << error;
    for (const char* outside : {"cd.txt", "x.txt", "target/cd.txt", "b/cd.txt", "target/b/d.txt"})
        EXPECT_FALSE(fs::exists(scratch / outside)) << outside;
}

INSTANTIATE_TEST_SUITE_P(Cabinets, CabReaderDamage, testing::ValuesIn(kDamage),
                         [](const testing::TestParamInfo<Damage>& info) { return info.param.name; });

// Parts given out of order, with one missing, without their end, or from two sets.
TEST(CabReaderSet, PartsThatDoNotFormAWholeSetAreRefused) {
    ScratchFolder scratch("sets");
    std::vector<CabSourceFile> files = WritePayload(
        scratch / "src", {{"a.bin", Incompressible(100000, 1)}, {"b.bin", Incompressible(100000, 2)}});
    CabWriteOptions options;
    options.partSize = CAB_MIN_PART_SIZE;
    CabWriteResult one, other;
    std::string error;
    fs::create_directories(scratch / "one");
    fs::create_directories(scratch / "other");
    ASSERT_TRUE(WriteCabinetSet(files, (scratch / "one/pkg").u8string(), options, one, error)) << error;
    options.setId = 2;
    ASSERT_TRUE(WriteCabinetSet(files, (scratch / "other/pkg").u8string(), options, other, error)) << error;
    ASSERT_GE(one.cabinets.size(), 3u);
    auto part = [](const CabWriteResult& set, size_t i) { return set.cabinets[i].path; };

    struct Case {
        std::vector<std::string> parts;
        const char* expected;
    } cases[] = {
        {{part(one, 1), part(one, 0), part(one, 2)}, "not the first"},
        {{part(one, 0), part(one, 2)}, "where cabinet 1 of set 0 belongs"},
        {{part(one, 0), part(other, 1), part(other, 2)}, "of set 2 where cabinet 1 of set 0 belongs"},
        {{part(one, 0)}, "into a next cabinet that was not given"},
        {{part(one, 1), part(one, 2)}, "not the first"},
    };
    for (const Case& c : cases) {
        CabExtractResult result;
        EXPECT_FALSE(ExtractCabinets(c.parts, (scratch / "target").u8string(), CabExtractOptions(), result, error));
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }

    // The whole set, found from its first part by the stored names.
    std::vector<std::string> found;
    ASSERT_TRUE(FindCabinetSet(part(one, 0), found, error)) << error;
    CabExtractResult result;
    EXPECT_TRUE(ExtractCabinets(found, (scratch / "target").u8string(), CabExtractOptions(), result, error)) << error;
    EXPECT_EQ(result.files.size(), 2u);
}

}  // namespace
