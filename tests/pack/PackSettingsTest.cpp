// Reading and rewriting the packager's settings file, the keys it fills and the part hash.
#include <gtest/gtest.h>

#include <algorithm>

#include "PackTestSupport.h"
#include "hash/PartHash.h"
#include "settings/IniDocument.h"
#include "settings/PackageSettings.h"
#include "text/Utf.h"

namespace {

using namespace packtest;

TEST(IniDocument, ReadsUtf8AndUtf16AndKeepsOrder) {
    TempDir dir;
    const std::string text =
        "// comment\n[Package]\nName=Caf\xC3\xA9 Tool\nname=second\n\n[runtime]\nAutoLaunch = Setup.exe \n";
    struct Case {
        const char* label;
        std::string bytes;
    };
    std::u16string wide;
    std::string error;
    Utf8ToUtf16(text, wide, error);
    std::string be;
    for (char16_t c : wide) {
        be += static_cast<char>(c >> 8);
        be += static_cast<char>(c & 0xFF);
    }
    const Case cases[] = {{"utf8", text},
                          {"utf8 bom", "\xEF\xBB\xBF" + text},
                          {"utf16le", "\xFF\xFE" + Utf16LeBytes(wide)},
                          {"utf16be", "\xFE\xFF" + be}};
    for (const auto& c : cases) {
        WriteFile(dir / "p.ini", c.bytes);
        IniDocument document;
        ASSERT_TRUE(IniDocument::Load(dir / "p.ini", document, error)) << c.label << ": " << error;
        EXPECT_EQ(document.GetOr("PACKAGE", "NAME"), "Caf\xC3\xA9 Tool") << c.label;  // first entry wins
        EXPECT_EQ(document.GetOr("Runtime", "autolaunch"), "Setup.exe") << c.label;
        EXPECT_FALSE(document.Get("Runtime", "Missing").has_value());
    }
    WriteFile(dir / "bad.ini", "Name=\xFF\xFF\xFF\n");
    IniDocument document;
    EXPECT_FALSE(IniDocument::Load(dir / "bad.ini", document, error));
}

TEST(IniDocument, SetReplacesOrAppendsAndWritesUtf16CrLf) {
    IniDocument document = IniDocument::Parse("; head\n[Size]\nPackageSize=1\n\n[Other]\nX=1\n");
    document.Set("size", "packagesize", "42");
    document.Set("Size", "CabSize", "7");
    document.Set("FileCount", "Count", "3");
    document.Remove("Other", "x");
    EXPECT_EQ(document.ToText(), "; head\n[Size]\nPackageSize=42\nCabSize=7\n\n[Other]\n[FileCount]\nCount=3\n");
    std::string bytes = document.ToUtf16File();
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(bytes.substr(2, 4), std::string(";\0 \0", 4));
    EXPECT_NE(bytes.find(std::string("\r\0\n\0", 4)), std::string::npos);
    EXPECT_EQ(bytes.find(std::string("\n\0\n\0", 4)), std::string::npos);
}

TEST(PackageSettings, FillsWhatOnlyThePackagerKnows) {
    IniDocument settings = IniDocument::Parse(
        "[Package]\nName=P\n[PartFileIno]\n001=old\n005=stale\n[HashCode]\n005=x\n[HashCode256]\n005=y\n");
    PackageFacts facts;
    facts.packageSize = 3690351836ull;
    facts.cabSize = 123;
    facts.fileCount = 446;
    facts.setId = 28167;
    facts.multiPart = true;
    facts.partBaseName = "ExampleProduct_V1_2";
    facts.parts = {{"Y2025:M3:D5:H10:M24:S47:MS0", std::string(32, 'a'), std::string(64, 'c')},
                   {"Y2025:M3:D5:H10:M24:S48:MS0", std::string(32, 'b'), std::string(64, 'd')}};
    FillPackageKeys(settings, facts);
    EXPECT_EQ(settings.GetOr("Size", "PackageSize"), "3690351836");
    EXPECT_EQ(settings.GetOr("Size", "CabSize"), "0");
    EXPECT_EQ(settings.GetOr("FileCount", "Count"), "446");
    EXPECT_EQ(settings.GetOr("Package", "MultiPartDownload"), "1");
    EXPECT_EQ(settings.GetOr("Package", "MultipartFileName"), "ExampleProduct_V1_2");
    EXPECT_EQ(settings.GetOr("Qirva", "GUID2"), "28167");
    auto parts = settings.Entries("PartFileIno");
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].first, "001");
    EXPECT_EQ(parts[1].second, "Y2025:M3:D5:H10:M24:S48:MS0");
    EXPECT_EQ(settings.GetOr("HashCode", "002"), std::string(32, 'b'));
    EXPECT_FALSE(settings.Get("HashCode", "005").has_value());
    EXPECT_EQ(settings.GetOr("HashCode256", "002"), std::string(64, 'd'));
    EXPECT_FALSE(settings.Get("HashCode256", "005").has_value());
    // [HashCode256] follows [HashCode].
    std::vector<std::string> order;
    for (const auto& section : settings.Sections()) order.push_back(section.name);
    auto hashCode = std::find(order.begin(), order.end(), "HashCode");
    ASSERT_NE(hashCode, order.end());
    ASSERT_NE(hashCode + 1, order.end());
    EXPECT_EQ(*(hashCode + 1), "HashCode256");

    facts.multiPart = false;
    facts.parts.clear();
    FillPackageKeys(settings, facts);
    EXPECT_EQ(settings.GetOr("Package", "MultiPartDownload"), "0");
    EXPECT_EQ(settings.GetOr("Size", "CabSize"), "123");
    EXPECT_FALSE(settings.Get("Package", "MultipartFileName").has_value());
    EXPECT_TRUE(settings.Entries("PartFileIno").empty());
    EXPECT_TRUE(settings.Entries("HashCode256").empty());
}

TEST(PackageSettings, PartKeysAndTimestamps) {
    EXPECT_EQ(PartKey(1), "001");
    EXPECT_EQ(PartKey(42), "042");
    std::tm when{};
    when.tm_year = 125;
    when.tm_mon = 2;
    when.tm_mday = 5;
    when.tm_hour = 10;
    when.tm_min = 24;
    when.tm_sec = 47;
    when.tm_isdst = -1;
    EXPECT_EQ(PartTimestamp(std::mktime(&when)), "Y2025:M3:D5:H10:M24:S47:MS0");
}

TEST(PackageSettings, PasswordRotationMatchesTheProgramsReading) {
    std::string all;
    for (int c = 32; c <= 126; ++c) all += static_cast<char>(c);
    for (int number : {0, 1, 13, 94}) {
        std::string stored, error;
        ASSERT_TRUE(RotatePassword(all, number, stored, error));
        EXPECT_EQ(UnrotatePassword(stored, number), all) << number;
        for (char c : stored) EXPECT_TRUE(c >= 32 && c <= 126);
    }
    std::string stored, error;
    ASSERT_TRUE(RotatePassword("abc~", 3, stored, error));
    EXPECT_EQ(stored, "def\"");
    EXPECT_FALSE(RotatePassword("caf\xC3\xA9", 3, stored, error));
    EXPECT_FALSE(RotatePassword("abc", 95, stored, error));

    IniDocument settings;
    EXPECT_FALSE(ApplyPassword(settings, " lead", 3, error));
    EXPECT_FALSE(ApplyPassword(settings, "", 3, error));
    EXPECT_FALSE(ApplyPassword(settings, std::string(51, 'p'), 3, error));  // longer than the prompt takes
    EXPECT_NE(error.find("50 characters"), std::string::npos) << error;
    EXPECT_TRUE(ApplyPassword(settings, std::string(50, 'p'), 3, error)) << error;
    EXPECT_FALSE(ApplyPassword(settings, "u", 10, error));  // would be stored as a lone blank
    int number = ChoosePasswordRotation("u", 9);
    EXPECT_EQ(number, 11);
    ASSERT_NE(number, 0);
    ASSERT_TRUE(ApplyPassword(settings, "u", number, error)) << error;
    EXPECT_EQ(settings.GetOr("Runtime", "ExtractPasswordRequired"), "1");
    EXPECT_EQ(UnrotatePassword(settings.GetOr("Runtime", "ExtractionPassword"), number), "u");
    EXPECT_EQ(settings.GetOr("Temporary", "Number"), std::to_string(number));
}

TEST(PartHash, FirstSixteenBytesOfSha1AndWholeSha256LikeTheTools) {
    TempDir dir;
    std::string content;
    for (unsigned i = 0; i < 3000000u; ++i) content += static_cast<char>((i * 7919u) >> 3);
    // Lengths around the 64-byte blocks and the 56 bytes where the length no longer fits.
    const std::string files[] = {"",  "abc", std::string(55, 'p'), std::string(56, 'p'), std::string(64, 'q'),
                                 std::string(119, 'r'), std::string(1 << 20, 'z'), content};
    for (size_t i = 0; i < std::size(files); ++i) {
        std::string path = dir / ("part." + std::to_string(i));
        WriteFile(path, files[i]);
        PartHashes hashes;
        std::string error;
        ASSERT_TRUE(PartHashesOfFile(path, hashes, error));
        EXPECT_EQ(hashes.sha1, packtest::Run("sha1sum '" + path + "' | cut -c1-32 | tr -d '\\n'")) << i;
        EXPECT_EQ(hashes.sha256, packtest::Run("sha256sum '" + path + "' | cut -c1-64 | tr -d '\\n'")) << i;
    }
    PartHashes hashes;
    std::string error;
    EXPECT_FALSE(PartHashesOfFile(dir / "missing", hashes, error));
}

}  // namespace

namespace {

TEST(PackageSettings, PasswordKeysGoToTheStartOfALongRuntimeSection) {
    std::string text = "[Runtime]\n";
    for (int i = 0; i < 200; ++i) text += "Key" + std::to_string(i) + "=" + std::string(20, 'v') + "\n";
    IniDocument settings = IniDocument::Parse(text);
    std::string error;
    ASSERT_TRUE(ApplyPassword(settings, "secret", 5, error)) << error;
    auto entries = settings.Entries("Runtime");
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries[0].first, "ExtractPasswordRequired");
    EXPECT_EQ(entries[1].first, "ExtractionPassword");
    EXPECT_EQ(entries[1].second, "xjhwjy");
}

}  // namespace
