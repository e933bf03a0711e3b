// The writer refuses, with a clear message and without leaving any output behind, what the
// format or the program's readers cannot hold, and input files that change while being packed.

#include <gtest/gtest.h>

#include <functional>

#include "cab/CabFolderPlan.h"
#include "cab/CabFormat.h"
#include "cab/CabWriter.h"
#include "fixtures/cab/CabFixtures.h"

namespace {

using namespace cabtest;

struct LimitCase {
    const char* name;
    // Adjusts the sources (one file "\a.txt" of 100 bytes at first) and the options.
    std::function<void(std::vector<CabSourceFile>&, CabWriteOptions&, std::string& base)> setUp;
    const char* expected;  // part of the error message
};

CabSourceFile Renamed(CabSourceFile file, const std::string& name) {
    file.storedName = name;
    return file;
}

const LimitCase kLimitCases[] = {
    {"NoFiles", [](auto& files, auto&, auto&) { files.clear(); }, "holds no files"},
    {"TooManyFilesForOneCabinet",
     [](auto& files, auto&, auto&) {
         CabSourceFile file = files[0];
         files.clear();
         for (uint32_t i = 0; i <= CAB_MAX_FILES; ++i) files.push_back(Renamed(file, "\\f" + std::to_string(i)));
     },
     "65536 files do not fit one cabinet"},
    {"FileLargerThanAFolder", [](auto& files, auto&, auto&) { files[0].size = uint64_t(CAB_MAX_FOLDER_BYTES) + 1; },
     "more than a cabinet holds in one file"},
    {"FileLargerThanASetHolds",
     [](auto& files, auto& options, auto&) {
         files[0].size = CAB_MAX_SET_FILE_BYTES + 1;
         options.partSize = 100 << 20;
     },
     "more than a cabinet set holds in one file"},
    {"PartSizeTooSmall", [](auto&, auto& options, auto&) { options.partSize = CAB_MIN_PART_SIZE - 1; },
     "is not between 65536 and 2147483647"},
    {"PartSizeTooLarge", [](auto&, auto& options, auto&) { options.partSize = CAB_MAX_PART_SIZE + 1; },
     "is not between 65536 and 2147483647"},
    {"PartNameTooLong",
     [](auto&, auto& options, auto& base) {
         options.partSize = CAB_MIN_PART_SIZE;
         base += std::string(250, 'p');
     },
     "longer than 255 bytes"},
    {"NameTooLong", [](auto& files, auto&, auto&) { files[0].storedName = "\\" + std::string(255, 'n'); },
     "longer than 255 bytes"},
    {"NameWithoutLeadingBackslash", [](auto& files, auto&, auto&) { files[0].storedName = "a.txt"; },
     "must start with a backslash"},
    {"NameClimbsOut", [](auto& files, auto&, auto&) { files[0].storedName = "\\sub\\..\\..\\a.txt"; }, "'..'"},
    {"NameWithDrive", [](auto& files, auto&, auto&) { files[0].storedName = "\\C:\\a.txt"; },
     "character Windows file names cannot hold"},
    {"NameTwiceInDifferentCase",
     [](auto& files, auto&, auto&) { files.push_back(Renamed(files[0], "\\A.TXT")); }, "two files would be stored"},
    {"CompressionLevelOutOfRange", [](auto&, auto& options, auto&) { options.level = 10; }, "compression level 10"},
    {"FileShrankWhilePacking", [](auto& files, auto&, auto&) { files[0].size = 200; }, "became shorter"},
    {"FileGrewWhilePacking", [](auto& files, auto& options, auto&) {
         files[0].size = 50;
         options.partSize = CAB_MIN_PART_SIZE;
     },
     "became longer"},
};

class CabLimits : public testing::TestWithParam<LimitCase> {};

TEST_P(CabLimits, RefusedWithAClearMessageAndNoOutput) {
    const LimitCase& c = GetParam();
    ScratchFolder scratch(std::string("limit") + c.name);
    std::vector<CabSourceFile> files = WritePayload(scratch / "src", {{"a.txt", Text(100)}});
    ASSERT_EQ(files.size(), 1u);
    CabWriteOptions options;
    fs::create_directories(scratch / "out");
    std::string base = (scratch / "out/pkg").u8string();
    c.setUp(files, options, base);

    CabWriteResult result;
    std::string error;
    bool written = options.partSize ? WriteCabinetSet(files, base, options, result, error)
                                    : WriteCabinet(files, base, options, result, error);
    EXPECT_FALSE(written);
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    EXPECT_TRUE(fs::is_empty(scratch / "out")) << "output left behind";
}

INSTANTIATE_TEST_SUITE_P(Writer, CabLimits, testing::ValuesIn(kLimitCases),
                         [](const testing::TestParamInfo<LimitCase>& info) { return info.param.name; });

}  // namespace
