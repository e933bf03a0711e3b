// What the cabinet writer produces comes back byte for byte, with names, dates and the read-only
// attribute, through the packager's own reader and through cabextract (on a copy with the
// standard signature), for one cabinet and for sets with files continued across parts. The
// set's structure is checked against what the program's readers need.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>

#include "cab/CabReader.h"
#include "cab/CabWriter.h"
#include "fixtures/cab/CabFixtures.h"

namespace {

using namespace cabtest;

struct RoundTripCase {
    const char* name;
    uint64_t partSize;  // 0: one cabinet
    std::vector<PayloadFile> (*payload)();
    size_t minimumParts;
};

std::vector<PayloadFile> Mixed() {
    std::vector<PayloadFile> payload = {
        {"setup.exe", Incompressible(70000, 1)},
        {"empty.txt", ""},
        {"exact32k.bin", Incompressible(32768, 2)},
        {"readme.txt", Text(90000), true},
        {u8"Übersicht/Grüße ✓.txt", Text(5000)},
        {u8"日本語/ファイル.txt", Text(100)},
        {"sub/dir/deep/nested.txt", Text(40000)},
        {"sub/empty-too.txt", ""},
    };
    for (int i = 0; i < 120; ++i) payload.push_back({"many/small" + std::to_string(i) + ".txt", Text(10 + i * 29)});
    return payload;
}

// A file larger than a part, one that spans three parts, empty files between large ones.
std::vector<PayloadFile> Spanning() {
    std::vector<PayloadFile> payload = Mixed();
    payload.push_back({"x/larger-than-a-part.bin", Incompressible(80000, 3)});
    payload.push_back({"x/then-empty", ""});
    payload.push_back({"y/spans-three-parts.bin", Incompressible(150000, 4)});
    payload.push_back({"z/after.txt", Text(3000)});
    return payload;
}

std::vector<PayloadFile> OnlyEmpty() {
    return {{"a", ""}, {"b/c", ""}};
}

const RoundTripCase kCases[] = {
    {"OneCabinet", 0, Mixed, 1},
    {"OneCabinetOfEmptyFiles", 0, OnlyEmpty, 1},
    {"SetOfSmallParts", CAB_MIN_PART_SIZE, Spanning, 6},
    {"SetOfLargerParts", 300000, Spanning, 2},
};

class CabRoundTrip : public testing::TestWithParam<RoundTripCase> {};

bool Write(const std::vector<CabSourceFile>& sources, const fs::path& output, const CabWriteOptions& options,
           CabWriteResult& result, std::string& error) {
    return options.partSize ? WriteCabinetSet(sources, output.u8string(), options, result, error)
                            : WriteCabinet(sources, output.u8string(), options, result, error);
}

// The stored name as a path below folder.
fs::path Below(const fs::path& folder, const std::string& storedName) {
    std::string relative = storedName.substr(1);
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return folder / fs::u8path(relative);
}

time_t ModificationTime(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_mtime : -1;
}

TEST_P(CabRoundTrip, OwnReaderAndCabextractGiveBackEveryFile) {
    const RoundTripCase& c = GetParam();
    ScratchFolder scratch(std::string("rt") + c.name);
    std::vector<PayloadFile> payload = c.payload();
    std::vector<CabSourceFile> sources = WritePayload(scratch / "src", payload);
    ASSERT_EQ(sources.size(), payload.size());

    CabWriteOptions options;
    options.partSize = c.partSize;
    options.setId = 4711;
    uint64_t lastDone = 0, total = 0;
    options.progress = [&](uint64_t done, uint64_t all) {
        EXPECT_GE(done, lastDone);
        lastDone = done;
        total = all;
    };
    fs::create_directories(scratch / "out");
    CabWriteResult result;
    std::string error;
    ASSERT_TRUE(Write(sources, scratch / "out/payload", options, result, error)) << error;
    uint64_t bytes = 0;
    for (const PayloadFile& file : payload) bytes += file.bytes.size();
    EXPECT_EQ(result.uncompressedBytes, bytes);
    EXPECT_EQ(result.fileCount, payload.size());
    EXPECT_EQ(result.setId, 4711);
    EXPECT_EQ(lastDone, bytes);
    EXPECT_EQ(total, bytes);
    ASSERT_GE(result.cabinets.size(), c.minimumParts);
    std::vector<std::string> cabinets;
    for (const CabWrittenFile& cabinet : result.cabinets) {
        cabinets.push_back(cabinet.path);
        EXPECT_EQ(fs::file_size(cabinet.path), cabinet.size);
        if (c.partSize) {
            EXPECT_LE(cabinet.size, c.partSize) << cabinet.path;
        }
    }
    if (c.partSize) {
        EXPECT_EQ(cabinets.front(), (scratch / "out/payload.001").u8string());
        std::vector<std::string> found;
        ASSERT_TRUE(FindCabinetSet(cabinets.front(), found, error)) << error;
        EXPECT_EQ(found, cabinets);
    }
    // Only the cabinets are left in the output folder: no temporary files.
    EXPECT_EQ(static_cast<size_t>(std::distance(fs::directory_iterator(scratch / "out"), fs::directory_iterator())),
              cabinets.size());

    // The packager's own reader, with dates and the read-only attribute.
    CabExtractResult extracted;
    ASSERT_TRUE(ExtractCabinets(cabinets, (scratch / "own").u8string(), CabExtractOptions(), extracted, error)) << error;
    EXPECT_EQ(extracted.files.size(), payload.size());
    EXPECT_EQ(extracted.bytes, bytes);
    for (const CabSourceFile& source : sources) {
        auto entry = std::find_if(extracted.files.begin(), extracted.files.end(),
                                  [&](const CabExtractedFile& e) { return e.name == source.storedName; });
        ASSERT_NE(entry, extracted.files.end()) << source.storedName;
        EXPECT_EQ(entry->date, source.date);
        EXPECT_EQ(entry->time, source.time);
        EXPECT_EQ(entry->attributes & CAB_ATTRIBUTES_KEPT, source.attributes);
        EXPECT_EQ(entry->path, Below(scratch / "own", source.storedName).u8string());
        EXPECT_EQ(ModificationTime(entry->path), ModificationTime(source.sourcePath)) << source.storedName;
        struct stat copy;
        ASSERT_EQ(stat(entry->path.c_str(), &copy), 0);
        EXPECT_EQ((copy.st_mode & S_IWUSR) == 0, (source.attributes & CAB_ATTRIBUTE_READ_ONLY) != 0);
        EXPECT_EQ(ReadBytes(entry->path), ReadBytes(source.sourcePath)) << source.storedName;
    }

    // cabextract, on copies with the standard signature; it also verifies every block checksum.
    fs::create_directories(scratch / "std");
    for (const std::string& cabinet : cabinets)
        CopyWithStandardSignature(cabinet, scratch / ("std/" + fs::u8path(cabinet).filename().u8string()));
    std::string first = (scratch / ("std/" + fs::u8path(cabinets.front()).filename().u8string())).u8string();
    ASSERT_EQ(RunCommand("cabextract -q -d " + Quote(scratch / "cabextract") + " " + Quote(first) + " 2>&1"), 0)
        << "cabextract failed (is the cabextract package installed?)";
    for (const CabSourceFile& source : sources) {
        fs::path path = Below(scratch / "cabextract", source.storedName);
        ASSERT_TRUE(fs::is_regular_file(path)) << source.storedName;
        EXPECT_EQ(ReadBytes(path), ReadBytes(source.sourcePath)) << source.storedName;
        EXPECT_EQ(ModificationTime(path.u8string()), ModificationTime(source.sourcePath)) << source.storedName;
    }
}

INSTANTIATE_TEST_SUITE_P(Payloads, CabRoundTrip, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<RoundTripCase>& info) { return info.param.name; });

}  // namespace

namespace {

bool IsToNext(uint16_t index) {
    return index == CAB_CONTINUED_TO_NEXT || index == CAB_CONTINUED_PREV_AND_NEXT;
}
bool IsFromPrev(uint16_t index) {
    return index == CAB_CONTINUED_FROM_PREV || index == CAB_CONTINUED_PREV_AND_NEXT;
}

TEST(CabSet, PartsChainByNumberNameAndContinuedFiles) {
    ScratchFolder scratch("chain");
    std::vector<CabSourceFile> sources = WritePayload(scratch / "src", Spanning());
    CabWriteOptions options;
    options.partSize = CAB_MIN_PART_SIZE;
    options.setId = 0xBEEF;
    CabWriteResult result;
    std::string error;
    ASSERT_TRUE(WriteCabinetSet(sources, (scratch / "pkg").u8string(), options, result, error)) << error;
    size_t count = result.cabinets.size();
    ASSERT_GE(count, 3u);
    std::vector<CabHeader> headers(count);
    for (size_t k = 0; k < count; ++k) ASSERT_TRUE(ReadCabinetHeader(result.cabinets[k].path, headers[k], error)) << error;

    bool prevAndNext = false;
    for (size_t k = 0; k < count; ++k) {
        const CabHeader& h = headers[k];
        SCOPED_TRACE("part " + std::to_string(k + 1));
        EXPECT_EQ(h.setId, 0xBEEF);
        EXPECT_EQ(h.cabinetIndex, k);
        EXPECT_EQ((h.flags & CAB_FLAG_PREV_CABINET) != 0, k > 0);
        EXPECT_EQ((h.flags & CAB_FLAG_NEXT_CABINET) != 0, k + 1 < count);
        if (k > 0) {
            EXPECT_EQ(h.prevCabinet, fs::u8path(result.cabinets[k - 1].path).filename().u8string());
            EXPECT_FALSE(h.prevDisk.empty());
        }
        if (k + 1 < count) {
            EXPECT_EQ(h.nextCabinet, fs::u8path(result.cabinets[k + 1].path).filename().u8string());
            EXPECT_FALSE(h.nextDisk.empty());
        }
        for (const CabFileRecord& file : h.files) prevAndNext |= file.folderIndex == CAB_CONTINUED_PREV_AND_NEXT;
        if (k + 1 == count) continue;

        // Continued files end the left list and start the right one, with the same offset and size.
        const CabHeader& right = headers[k + 1];
        std::vector<const CabFileRecord*> toNext, fromPrev;
        for (size_t i = 0; i < h.files.size(); ++i) {
            if (IsToNext(h.files[i].folderIndex)) toNext.push_back(&h.files[i]);
            else EXPECT_TRUE(toNext.empty()) << "a file after a continued one in the left list";
        }
        for (size_t i = 0; i < right.files.size(); ++i) {
            if (IsFromPrev(right.files[i].folderIndex)) {
                EXPECT_EQ(i, fromPrev.size()) << "a continued file after others in the right list";
                fromPrev.push_back(&right.files[i]);
            }
        }
        ASSERT_EQ(toNext.size(), fromPrev.size());
        for (size_t i = 0; i < toNext.size(); ++i) {
            EXPECT_EQ(toNext[i]->name, fromPrev[i]->name);
            EXPECT_EQ(toNext[i]->folderOffset, fromPrev[i]->folderOffset);
            EXPECT_EQ(toNext[i]->size, fromPrev[i]->size);
        }
    }
    EXPECT_TRUE(prevAndNext) << "no file spans three parts";
}

// Same input, same options: the same bytes, whatever the number of compressing threads.
TEST(CabSet, OutputIsTheSameOnEveryRun) {
    ScratchFolder scratch("determinism");
    std::vector<CabSourceFile> sources = WritePayload(scratch / "src", Spanning());
    std::vector<std::vector<std::string>> runs;
    for (unsigned threads : {1u, 3u, 0u}) {
        CabWriteOptions options;
        options.partSize = 200000;
        options.threads = threads;
        CabWriteResult result;
        std::string error;
        fs::create_directories(scratch / ("run" + std::to_string(threads)));
        std::string base = (scratch / ("run" + std::to_string(threads) + "/pkg")).u8string();
        ASSERT_TRUE(WriteCabinetSet(sources, base, options, result, error)) << error;
        std::vector<std::string> bytes;
        for (const CabWrittenFile& part : result.cabinets) bytes.push_back(ReadBytes(part.path));
        runs.push_back(bytes);
    }
    ASSERT_GE(runs[0].size(), 2u);
    EXPECT_TRUE(runs[0] == runs[1]) << "1 and 3 threads differ";
    EXPECT_TRUE(runs[0] == runs[2]) << "1 thread and one per processor differ";
}

}  // namespace
