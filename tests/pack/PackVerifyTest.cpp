// TreskPack verify on damaged packages: every fault the program would refuse is a problem line,
// and the exit code is 1.
#include <gtest/gtest.h>

#include <functional>

#include "PackCommandSupport.h"

namespace {

using namespace packtest;

void FlipByte(const std::string& path, size_t offset) {
    std::string bytes = ReadFile(path);
    bytes[offset] = static_cast<char>(bytes[offset] ^ 0x20);
    WriteFile(path, bytes);
}

void Truncate(const std::string& path, size_t size) {
    WriteFile(path, ReadFile(path).substr(0, size));
}

TEST(PackVerify, DamagedPackagesAreReported) {
    struct Case {
        const char* label;
        bool multiPart;
        // Damages the built package; returns the path to verify.
        std::function<std::string(const PackageSources&)> damage;
        const char* problem;
        bool extract = false;
    };
    auto part = [](const PackageSources& s, const char* number) { return s.dir / (std::string("out/Package.") + number); };
    const Case cases[] = {
        {"part missing", true,
         [&](const PackageSources& s) {
             fs::remove(part(s, "002"));
             return s.output;
         },
         "problem: part 002 is missing: "},
        {"one byte of a part changed", true,
         [&](const PackageSources& s) {
             FlipByte(part(s, "003"), 1000);
             return s.output;
         },
         "problem: part 003 is corrupt: its hash "},
        // Parts of another set whose hashes match: the settings name set 8, the parts carry 7.
        {"parts of another cabinet set", true,
         [&](const PackageSources& s) {
             EXPECT_TRUE(PatchSettings(s.output, "GUID2=7", "GUID2=8"));
             return s.output;
         },
         "problem: part 001 belongs to cabinet set 7\n"},
        // Parts 2 and 3 swapped, with their hashes swapped too: only the cabinet number tells.
        {"parts swapped", true,
         [&](const PackageSources& s) {
             std::string second = ReadFile(part(s, "002")), third = ReadFile(part(s, "003"));
             WriteFile(part(s, "002"), third);
             WriteFile(part(s, "003"), second);
             PackageView package;
             std::string error;
             EXPECT_TRUE(ReadPackage(s.output, package, error)) << error;
             for (const char* section : {"HashCode", "HashCode256"}) {
                 std::string hash2 = package.settings.GetOr(section, "002");
                 std::string hash3 = package.settings.GetOr(section, "003");
                 EXPECT_TRUE(PatchSettings(s.output, "002=" + hash2, "002=" + hash3));
                 EXPECT_TRUE(PatchSettings(s.output, "003=" + hash3, "003=" + hash2));
             }
             return s.output;
         },
         "problem: part 002 holds cabinet number 2\n"},
        // The SHA-1 prefix matches, the SHA-256 does not: as a part forged for a SHA-1 collision.
        {"SHA-256 of a part differs", true,
         [&](const PackageSources& s) {
             PackageView package;
             std::string error;
             EXPECT_TRUE(ReadPackage(s.output, package, error)) << error;
             std::string hash = package.settings.GetOr("HashCode256", "002");
             std::string other = hash;
             other[10] = other[10] == '0' ? '1' : '0';
             EXPECT_TRUE(PatchSettings(s.output, "002=" + hash, "002=" + other));
             return s.output;
         },
         "problem: part 002 is corrupt: its SHA-256 "},
        {"container cut inside the payload", false,
         [&](const PackageSources& s) {
             Truncate(s.output, fs::file_size(s.output) - 100);
             return s.output;
         },
         "problem: the container entry WebCab1 runs past the end of the file\n"},
        {"container cut inside the first marker", false,
         [&](const PackageSources& s) {
             Truncate(s.output, 0x400 + 40);
             return s.output;
         },
         "problem: the container holds no entries\n"},
        {"the bare program", false, [&](const PackageSources& s) { return s.program; },
         "problem: the version stamp is 0: this is the bare program, not a package\n"},
        {"attached payload damaged", false,
         [&](const PackageSources& s) {
             FlipByte(s.output, fs::file_size(s.output) - 2000);
             return s.output;
         },
         "problem: extraction failed: ", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        PackageSources sources;
        WriteFile(sources.payload + "/big.bin", Scrambled(200000, 9));
        std::vector<std::string> options{"--set-id", "7"};
        if (c.multiPart) options.push_back("--part-size=64K");
        ASSERT_EQ(Pack(sources.BuildArguments() + options).code, 0);
        std::vector<std::string> arguments{"verify", c.damage(sources)};
        if (c.extract) arguments = arguments + std::vector<std::string>{"--extract", sources.dir / "extracted"};
        PackRun verify = Pack(arguments);
        EXPECT_EQ(verify.code, 1) << verify.err;
        EXPECT_NE(verify.out.find(c.problem), std::string::npos) << verify.out;
        EXPECT_NE(verify.out.find("problem(s) found\n"), std::string::npos) << verify.out;
        EXPECT_EQ(verify.out.find("package ok"), std::string::npos);
        for (const auto& path : Tree(sources.dir / "out")) EXPECT_EQ(path.find(".tmp"), std::string::npos) << path;
    }
}

TEST(PackVerify, WhatCannotBeReadAtAllIsAnError) {
    PackageSources sources;
    struct Case {
        std::string path;
        const char* error;
    };
    const Case cases[] = {
        {sources.dir / "missing.exe", "cannot open"},
        {sources.settings, "not a Windows program"},
    };
    for (const auto& c : cases) {
        PackRun verify = Pack({"verify", c.path});
        EXPECT_EQ(verify.code, 1) << c.path;
        EXPECT_NE(verify.err.find(c.error), std::string::npos) << verify.err;
    }
}

}  // namespace
