// TreskPack build and verify: what a built package holds, read back the way the program reads it,
// for a single-file and a multi-part package.
#include <gtest/gtest.h>

#include <regex>

#include "PackCommandSupport.h"
#include "hash/PartHash.h"
#include "package/Builder.h"
#include "settings/PackageSettings.h"

namespace {

using namespace packtest;

// Bytes of all the files, as the package needs them unpacked.
uint64_t TotalBytes(const std::map<std::string, std::string>& files) {
    uint64_t total = 0;
    for (const auto& file : files) total += file.second.size();
    return total;
}

CabHeader HeaderOf(const std::string& path) {
    CabHeader header;
    std::string error;
    EXPECT_TRUE(ReadCabinetHeader(path, header, error)) << path << ": " << error;
    return header;
}

// verify, then verify --extract: the extracted files are the payload, byte for byte.
void ExpectVerifiedAndExtracted(const PackageSources& sources) {
    PackRun verify = Pack({"verify", sources.output});
    EXPECT_EQ(verify.code, 0) << verify.out << verify.err;
    EXPECT_NE(verify.out.find("\npackage ok\n"), std::string::npos) << verify.out;

    std::string extracted = sources.dir / "extracted";
    verify = Pack({"verify", sources.output, "--extract", extracted});
    EXPECT_EQ(verify.code, 0) << verify.out << verify.err;
    EXPECT_EQ(Files(extracted), Files(sources.payload));
}

TEST(PackBuild, SingleFilePackageHoldsWhatTheProgramReads) {
    PackageSources sources;
    const std::string password = "Open \"Sesame\" ~1";
    PackRun build = Pack(sources.BuildArguments() + std::vector<std::string>{"--set-id", "4242", "--password", password});
    ASSERT_EQ(build.code, 0) << build.err;
    EXPECT_EQ(build.out, "wrote " + sources.output + "\n4 files, 65002 bytes, cabinet set 4242\n");
    EXPECT_EQ(Tree(sources.dir / "out"), std::set<std::string>{"Package.exe"});

    PackageView package;
    std::string error;
    ASSERT_TRUE(ReadPackage(sources.output, package, error)) << error;

    // The program file comes first, changed only by the stamp: the offset of the first entry,
    // which is the program's own size.
    std::string program = ReadFile(sources.program);
    EXPECT_EQ(package.stamp, program.size());
    EXPECT_EQ(package.bytes.substr(program.size(), CONTAINER_MARKER_BYTES), ContainerMarker());
    std::string stamped = program;
    Put32(stamped, 0x220 + 40, static_cast<uint32_t>(program.size()));
    EXPECT_EQ(package.bytes.substr(0, program.size()), stamped);

    // Settings first, language files by number, Defaultx.ulf, the images, the rest by name, and
    // the payload last.
    std::vector<std::string> names = package.Names();
    ASSERT_EQ(names.size(), 10u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 5),
              (std::vector<std::string>{"Properties_Qirva.ini", "Default1031.ulf", "Default9226.ulf",
                                        "Default10250.ulf", "Defaultx.ulf"}));
    EXPECT_EQ((std::set<std::string>{names[5], names[6]}), (std::set<std::string>{"Top.png", "Bottom.png"}));
    EXPECT_EQ(std::vector<std::string>(names.begin() + 7, names.end()),
              (std::vector<std::string>{"License1031.txt", "License1033.txt", "WebCab1"}));
    for (const auto& entry : package.entries)
        EXPECT_EQ(entry.kind, entry.name == "WebCab1" ? ENTRY_PAYLOAD : ENTRY_SUPPORT_FILE) << entry.name;

    // Language files become UTF-16LE with CR LF whatever they were written in; the other support
    // files go in as they are.
    for (const char* id : {"1031", "9226", "10250"})
        EXPECT_EQ(package.Entry(std::string("Default") + id + ".ulf"), EncodeUtf16LeWithBom(LanguageFile(id))) << id;
    EXPECT_EQ(package.Entry("Defaultx.ulf"),
              EncodeUtf16LeWithBom("[RADIOBUTTONSTRING]\n1031=&Deutsch\n1033=&English\n"));
    for (const char* name : {"Top.png", "Bottom.png", "License1033.txt", "License1031.txt"})
        EXPECT_EQ(package.Entry(name), ReadFile(sources.support + "/" + name)) << name;

    // The settings: UTF-16LE, the packager's own keys filled in, the rest kept.
    const IniDocument& settings = package.settings;
    EXPECT_EQ(package.Entry(SETTINGS_ENTRY_NAME).substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(settings.GetOr("Package", "Name"), "Test Product");
    EXPECT_EQ(settings.GetOr("AutoLaunch", "ReturnCode_-1"), "error:{Failed}");
    EXPECT_EQ(settings.GetOr("Package", "MultiPartDownload"), "0");
    EXPECT_FALSE(settings.Get("Package", "MultipartFileName"));
    EXPECT_EQ(settings.GetOr("Qirva", "GUID2"), "4242");
    EXPECT_EQ(settings.GetOr("Size", "PackageSize"), std::to_string(TotalBytes(Files(sources.payload))));
    EXPECT_EQ(settings.GetOr("Size", "CabSize"), std::to_string(package.Entry("WebCab1").size()));
    EXPECT_EQ(settings.GetOr("FileCount", "Count"), "4");
    EXPECT_TRUE(settings.Entries("PartFileIno").empty());
    EXPECT_TRUE(settings.Entries("HashCode").empty());

    // The password is stored rotated by [Temporary] Number; the program's reading gives it back.
    EXPECT_EQ(settings.GetOr("Runtime", "ExtractPasswordRequired"), "1");
    int number = std::atoi(settings.GetOr("Temporary", "Number").c_str());
    EXPECT_GE(number, 1);
    EXPECT_LE(number, 94);
    std::string stored = settings.GetOr("Runtime", "ExtractionPassword");
    EXPECT_NE(stored, password);
    EXPECT_EQ(UnrotatePassword(stored, number), password);

    // The attached cabinet belongs to the set named in the settings.
    ContainerEntry payload = package.entries.back();
    ASSERT_TRUE(CopyEntryToFile(sources.output, payload, sources.dir / "payload.cab", error)) << error;
    EXPECT_EQ(HeaderOf(sources.dir / "payload.cab").setId, 4242);

    ExpectVerifiedAndExtracted(sources);
    // verify leaves nothing of its own beside the package.
    EXPECT_EQ(Tree(sources.dir / "out"), std::set<std::string>{"Package.exe"});
}

TEST(PackBuild, MultiPartPackageListsEveryPartWithItsHash) {
    PackageSources sources;
    WriteFile(sources.payload + "/big.bin", Scrambled(300000, 5));
    PackRun build = Pack(sources.BuildArguments() + std::vector<std::string>{"--part-size=64K", "--set-id", "7"});
    ASSERT_EQ(build.code, 0) << build.err;

    std::set<std::string> written = Tree(sources.dir / "out");
    size_t parts = written.size() - 1;
    ASSERT_GE(parts, 5u);
    std::set<std::string> expected{"Package.exe"};
    for (size_t n = 1; n <= parts; ++n) expected.insert("Package." + PartKey(static_cast<int>(n)));
    EXPECT_EQ(written, expected);

    PackageView package;
    std::string error;
    ASSERT_TRUE(ReadPackage(sources.output, package, error)) << error;
    for (const auto& entry : package.entries) EXPECT_EQ(entry.kind, ENTRY_SUPPORT_FILE) << entry.name;

    const IniDocument& settings = package.settings;
    EXPECT_EQ(settings.GetOr("Package", "MultiPartDownload"), "1");
    EXPECT_EQ(settings.GetOr("Package", "MultipartFileName"), "Package");
    EXPECT_EQ(settings.GetOr("Qirva", "GUID2"), "7");
    EXPECT_EQ(settings.GetOr("Size", "PackageSize"), std::to_string(TotalBytes(Files(sources.payload))));
    EXPECT_EQ(settings.GetOr("Size", "CabSize"), "0");
    EXPECT_EQ(settings.GetOr("FileCount", "Count"), "5");
    EXPECT_EQ(settings.Entries("PartFileIno").size(), parts);
    EXPECT_EQ(settings.Entries("HashCode").size(), parts);
    const std::regex timestamp("Y20\\d\\d:M\\d{1,2}:D\\d{1,2}:H\\d{1,2}:M\\d{1,2}:S\\d{1,2}:MS0");
    for (size_t n = 1; n <= parts; ++n) {
        std::string key = PartKey(static_cast<int>(n));
        std::string path = sources.dir / ("out/Package." + key);
        EXPECT_TRUE(std::regex_match(settings.GetOr("PartFileIno", key), timestamp)) << settings.GetOr("PartFileIno", key);
        EXPECT_EQ(settings.GetOr("HashCode", key), packtest::Run("sha1sum " + Quoted(path) + " | cut -c1-32 | tr -d '\\n'"));
        EXPECT_LE(fs::file_size(path), 65536u);
        CabHeader header = HeaderOf(path);
        EXPECT_EQ(header.setId, 7);
        EXPECT_EQ(header.cabinetIndex, n - 1);
    }

    ExpectVerifiedAndExtracted(sources);
}

// A build that fails after it has created the output folder takes the folder away again.
TEST(PackBuild, FailedBuildRemovesTheFoldersItCreated) {
    PackageSources sources;
    BuildOptions options;
    options.programPath = sources.program;
    options.settingsPath = sources.settings;
    options.supportInputs = {sources.support};
    options.payloadFolder = sources.payload;
    options.outputPath = sources.dir / "new/deeper/Package.exe";
    options.partSize = 1000;  // below what the cabinet writer accepts
    BuildResult result;
    std::string error;
    EXPECT_FALSE(BuildPackage(options, result, error));
    EXPECT_NE(error.find("part size"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(sources.dir / "new"));
}

}  // namespace
