// TreskPack lint: faulty settings and the finding each must produce; build refuses settings with
// errors unless told to ignore them.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "PackCommandSupport.h"
#include "lint/LintTextForm.h"

namespace {

using namespace packtest;

struct Edit {
    std::string find;  // replaced in the settings text; must occur
    std::string replace;
};

struct SupportChange {
    std::string name;
    std::optional<std::string> content;  // none: remove the file
};

struct LintCase {
    const char* label;
    std::vector<Edit> edits;
    std::vector<SupportChange> files;
    int code;
    std::string line;  // the finding, a whole output line
};

void Apply(const PackageSources& sources, const LintCase& c) {
    std::string settings = kSettings;
    for (const auto& edit : c.edits) {
        size_t at = settings.find(edit.find);
        ASSERT_NE(at, std::string::npos) << edit.find;
        settings.replace(at, edit.find.size(), edit.replace);
    }
    WriteFile(sources.settings, settings);
    for (const auto& file : c.files) {
        if (file.content)
            WriteFile(sources.support + "/" + file.name, *file.content);
        else
            fs::remove(sources.support + "/" + file.name);
    }
}

TEST(PackLint, EachFaultHasItsFinding) {
    const std::string noId = "[FileInfo]\nProduct=P\n110=Zur\xC3\xBC" "ck\n";
    // The language files as the program reads them best: UTF-16LE with byte-order mark.
    const std::vector<SupportChange> unicode = {{"Default1031.ulf", Utf16LeFile(LanguageFile("1031"))},
                                                {"Default10250.ulf", Utf16LeFile(LanguageFile("10250"))}};
    const LintCase cases[] = {
        {"sound settings", {}, unicode, 0, "no findings"},
        {"launch entry with a leading backslash and in other letter case",
         {{"AutoLaunch=Setup\\Start.exe", "AutoLaunch=\\setup\\START.EXE"}}, unicode, 0, "no findings"},
        {"set identifier with leading zeros", {{"FrameVersion", "GUID2=00042\nFrameVersion"}}, unicode, 0,
         "no findings"},

        {"top image missing", {{"TopImage=Top.png", "TopImage=Missing.png"}}, {}, 1,
         "error: [Images] TopImage: names 'Missing.png', which the package does not contain"},
        {"bottom image missing", {}, {{"Bottom.png", std::nullopt}}, 1,
         "error: [Images] BottomImage: names 'Bottom.png', which the package does not contain"},
        {"licence file missing", {}, {{"License1031.txt", std::nullopt}}, 1,
         "error: [LicenseFiles] 1031: names 'License1031.txt', which the package does not contain"},
        {"licence key not a language", {{"1031=License1031.txt", "German=License1031.txt"}}, {}, 1,
         "error: [LicenseFiles] German: the key must be a language number such as 1033"},
        {"no fallback licence", {{"1033=License1033.txt\n", ""}}, {}, 0,
         "warning: [LicenseFiles]: has no entry for 1033, the fallback language"},

        {"listed language without file", {{"SetupLanguages=1031;1033;", "SetupLanguages=1031;1033;1036"}}, {}, 1,
         "error: [Languages] SetupLanguages: lists 1036 but the package has no language file Default1036.ulf"},
        {"language file missing", {}, {{"Default1031.ulf", std::nullopt}}, 1,
         "error: [Languages] SetupLanguages: lists 1031 but the package has no language file Default1031.ulf"},
        {"language not a number", {{"SetupLanguages=1031;1033;", "SetupLanguages=1031; Deutsch ;1033"}}, {}, 1,
         "error: [Languages] SetupLanguages: 'Deutsch' is not a language number"},
        {"language file of another language", {}, {{"Default1031.ulf", "[FileInfo]\nID=1040\n"}}, 1,
         "error: Default1031.ulf: [FileInfo] ID is 1040, so the program refuses to load it as 1031"},
        {"language file without ID", {}, {{"Default1031.ulf", noId}}, 0,
         "warning: Default1031.ulf: has no [FileInfo] ID"},
        {"language file not named by number", {}, {{"DefaultGerman.ulf", "[FileInfo]\nID=1031\n"}}, 1,
         "error: DefaultGerman.ulf: a language file is named Default<language number>.ulf"},

        {"launch entry not in the payload", {{"AutoLaunch=Setup\\Start.exe", "AutoLaunch=Setup\\Missing.exe"}}, {}, 1,
         "error: [Runtime] AutoLaunch: launches 'Setup\\Missing.exe', which the payload does not contain"},
        {"second of several launch entries not in the payload",
         {{"AutoLaunch=Setup\\Start.exe", "Multilaunch=1\nAutoLaunch1=Setup\\Start.exe\nAutoLaunch2=Docs\\Missing.txt"}},
         {},
         1,
         "error: [Runtime] AutoLaunch2: launches 'Docs\\Missing.txt', which the payload does not contain"},

        {"return code refers to a missing key", {{"success:{Done}", "success:{Gone}"}}, {}, 1,
         "error: [AutoLaunch] ReturnCode_0: refers to {Gone}, which section [1031] lacks"},
        // English is the setup language whenever the user's language is not listed.
        {"return code key missing from the fallback language",
         {{"SetupLanguages=1031;1033;", "SetupLanguages=1031;"}, {"Failed=Failed.\n", ""}},
         {},
         1,
         "error: [AutoLaunch] ReturnCode_-1: refers to {Failed}, which section [1033] lacks"},
        {"return code not a number", {{"ReturnCode_-1", "ReturnCode_x1"}}, {}, 1,
         "error: [AutoLaunch] ReturnCode_x1: the key must be ReturnCode_ followed by a decimal return code"},
        {"return code message without braces", {{"error:{Failed}", "error:Failed"}}, {}, 1,
         "error: [AutoLaunch] ReturnCode_-1: the message must be a language key in braces, such as {InstallFailed}"},
        {"return code without success or error", {{"success:{Done}", "{Done}"}}, {}, 0,
         "warning: [AutoLaunch] ReturnCode_0: has neither 'error:' nor 'success:', so the program ignores it"},

        {"set identifier not a number", {{"FrameVersion", "GUID2=x7\nFrameVersion"}}, {}, 1,
         "error: [Qirva] GUID2: must be a number from 0 to 65535"},
        {"set identifier too large", {{"FrameVersion", "GUID2=70000\nFrameVersion"}}, {}, 1,
         "error: [Qirva] GUID2: must be a number from 0 to 65535"},
        {"set identifier too large behind zeros", {{"FrameVersion", "GUID2=0000070000\nFrameVersion"}}, {}, 1,
         "error: [Qirva] GUID2: must be a number from 0 to 65535"},
        {"path length not a number", {{"ExtractPathMaxLength=80", "ExtractPathMaxLength=80 chars"}}, {}, 1,
         "error: [Runtime] ExtractPathMaxLength: must be a number"},
        {"wait flag neither 0 nor 1", {{"WaitForAutolaunchFinish=1", "WaitForAutolaunchFinish=yes"}}, {}, 0,
         "warning: [Runtime] WaitForAutolaunchFinish: 'yes' is read as 1"},

        {"setup's exit code passed on", {{"WaitForAutolaunchFinish=1", "WaitForAutolaunchFinish=1\nReturnSetupExitCode=1"}},
         unicode, 0, "no findings"},
        {"setup's exit code flag neither 0 nor 1",
         {{"WaitForAutolaunchFinish=1", "WaitForAutolaunchFinish=1\nReturnSetupExitCode=yes"}}, {}, 0,
         "warning: [Runtime] ReturnSetupExitCode: 'yes' is read as 0: only 1 passes the setup's exit code on"},
        {"setup's exit code without a setup",
         {{"AutoLaunch=Setup\\Start.exe", "ReturnSetupExitCode=1"}}, {}, 0,
         "warning: [Runtime] ReturnSetupExitCode: the package launches no setup, so there is no exit code to pass on"},
        {"setup's exit code without waiting", {{"WaitForAutolaunchFinish=1", "WaitForAutolaunchFinish=0\nReturnSetupExitCode=1"}},
         {}, 0,
         "warning: [Runtime] ReturnSetupExitCode: WaitForAutolaunchFinish=0: the program does not wait for the setup, "
         "so there is no exit code to pass on"},

        // The part hashes, in a settings file taken from a built package.
        {"part hashes as the packager writes them",
         {{"[Qirva]", "[PartFileIno]\n001=Y2025:M3:D5:H10:M24:S47:MS0\n[HashCode]\n001=" + std::string(32, 'a') +
                          "\n[HashCode256]\n001=" + std::string(64, '0') + "\n[Qirva]"}},
         unicode, 0, "no findings"},
        {"SHA-256 in upper case",
         {{"[Qirva]", "[PartFileIno]\n001=Y2025\n[HashCode]\n001=" + std::string(32, 'a') + "\n[HashCode256]\n001=" +
                          std::string(64, 'A') + "\n[Qirva]"}},
         {}, 1,
         "error: [HashCode256] 001: must be 64 lower-case hexadecimal digits; the program refuses the part as corrupt "
         "otherwise"},
        {"SHA-256 cut short",
         {{"[Qirva]", "[PartFileIno]\n001=Y2025\n[HashCode]\n001=" + std::string(32, 'a') + "\n[HashCode256]\n001=" +
                          std::string(40, 'b') + "\n[Qirva]"}},
         {}, 1,
         "error: [HashCode256] 001: must be 64 lower-case hexadecimal digits; the program refuses the part as corrupt "
         "otherwise"},
        {"SHA-256 of a listed part missing",
         {{"[Qirva]", "[PartFileIno]\n001=Y2025\n002=Y2025\n[HashCode]\n001=" + std::string(32, 'a') + "\n002=" +
                          std::string(32, 'b') + "\n[HashCode256]\n001=" + std::string(64, 'c') + "\n[Qirva]"}},
         {}, 1,
         "error: [HashCode256]: has no entry for part 002 of [PartFileIno]; the program refuses that part as corrupt"},
        {"SHA-1 prefix of a listed part missing", {{"[Qirva]", "[PartFileIno]\n001=Y2025\n[Qirva]"}}, {}, 1,
         "error: [HashCode]: has no entry for part 001 of [PartFileIno]; the program refuses that part as corrupt"},
        {"part hash key not a part number",
         {{"[Qirva]", "[PartFileIno]\n001=Y2025\n[HashCode]\n001=" + std::string(32, 'a') + "\n1=" +
                          std::string(32, 'a') + "\n[Qirva]"}},
         {}, 1, "error: [HashCode] 1: the key must be a part number of three digits, such as 001"},
        // Files that a package carrying them as they are would have read in the system's code page.
        {"language file in UTF-8 without byte-order mark", {}, {}, 0,
         "warning: Default10250.ulf: is UTF-8 without byte-order mark, not UTF-16LE with byte-order mark: TreskPack "
         "build stores it as UTF-16LE, but a package that carries it as it is has it read in the system's 8-bit code "
         "page, where characters outside ASCII come out wrong"},
        {"language file in UTF-8 with byte-order mark", {}, {}, 0,
         "warning: Default1031.ulf: is UTF-8 with byte-order mark, not UTF-16LE with byte-order mark: TreskPack "
         "build stores it as UTF-16LE, but a package that carries it as it is has it read in the system's 8-bit code "
         "page, where characters outside ASCII come out wrong"},
        {"settings with a value outside ASCII", {{"NameDispl=Test Product", "NameDispl=Test Produkt f\xC3\xBCr alle"}},
         unicode, 0,
         "warning: settings.ini: is UTF-8 without byte-order mark, not UTF-16LE with byte-order mark: TreskPack build "
         "stores it as UTF-16LE, but a package that carries it as it is has it read in the system's 8-bit code page, "
         "where characters outside ASCII come out wrong"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        PackageSources sources;
        Apply(sources, c);
        PackRun lint = Pack({"lint", "--settings", sources.settings, "--support", sources.support, "--payload",
                             sources.payload});
        EXPECT_EQ(lint.code, c.code) << lint.out << lint.err;
        EXPECT_NE(("\n" + lint.out).find("\n" + c.line + "\n"), std::string::npos) << lint.out;
    }
}

// What the program cannot read as written: values and whole sections longer than its read
// buffers, and payload files whose names Windows would turn into devices or other names.
TEST(PackLint, ValuesTooLongForTheProgramAndNamesItCannotExtract) {
    PackageSources sources;
    std::string settings = kSettings;
    settings.replace(settings.find("[Runtime]\n"), 10,
                     "[Runtime]\nNote1=" + std::string(900, 'a') + "\nNote2=" + std::string(900, 'b') +
                         "\nNote3=" + std::string(300, 'c') + "\n");
    settings += "[Conditions]\nAction1=Extract\nAction1Condition=" + std::string(1024, 'x') + "\n";
    WriteFile(sources.settings, settings);
    WriteFile(sources.payload + "/Docs/con.txt", "device");
    WriteFile(sources.payload + "/notes.txt.", "renamed");
    PackRun lint = Pack({"lint", "--settings", sources.settings, "--support", sources.support, "--payload",
                         sources.payload});
    EXPECT_EQ(lint.code, 1) << lint.out << lint.err;
    for (const std::string line :
         {"error: [Conditions] Action1Condition: the value is 1024 characters long; the program reads only the "
          "first 1023 (cut at 1023 characters)",
          "error: [Runtime]: the section is ", "characters long; the program reads it whole but only the first 1998 "
          "(cut at 1998 characters)",
          "/Docs/con.txt: stored name '\\Docs\\con.txt' has a component that is a reserved device name",
          "/notes.txt.: stored name '\\notes.txt.' has a component ending in a dot or blank"})
        EXPECT_NE(lint.out.find(line), std::string::npos) << line << "\n" << lint.out;
    // A value of 1023 characters is read whole.
    EXPECT_EQ(lint.out.find("[Runtime] Note"), std::string::npos) << lint.out;

    PackRun build = Pack(sources.BuildArguments() + std::vector<std::string>{"--ignore-lint"});
    EXPECT_NE(build.code, 0);
    EXPECT_NE(build.err.find("reserved device name"), std::string::npos) << build.err;
}

// Part entries left in the settings by an earlier build are the packager's to write: a build
// neither checks nor keeps them.
TEST(PackLint, BuildReplacesStalePartEntries) {
    PackageSources sources;
    Apply(sources, {"", {{"[Qirva]", "[PartFileIno]\n001=old\n[HashCode]\n001=OLD\n[HashCode256]\n001=old\n[Qirva]"}},
                    {}, 1, ""});
    PackRun build = Pack(sources.BuildArguments());
    EXPECT_EQ(build.code, 0) << build.err;
    EXPECT_EQ(build.err, "");
    PackageView package;
    std::string error;
    ASSERT_TRUE(ReadPackage(sources.output, package, error)) << error;
    EXPECT_TRUE(package.settings.Entries("PartFileIno").empty());
    EXPECT_TRUE(package.settings.Entries("HashCode").empty());
    EXPECT_TRUE(package.settings.Entries("HashCode256").empty());
}

TEST(PackLint, TheFormOfATextFileFromItsBytes) {
    struct Case {
        std::string bytes;
        const char* form;  // nullptr: no finding
    };
    const Case cases[] = {
        {std::string("\xFF\xFE[\0x\0", 6), nullptr},
        {"[FileInfo]\nID=1031\n", nullptr},
        {"", nullptr},
        {std::string("\xFE\xFF\0[\0x", 6), "UTF-16BE"},
        {"\xEF\xBB\xBF[A]\n", "UTF-8 with byte-order mark"},
        {"110=Zur\xC3\xBC" "ck\n", "UTF-8 without byte-order mark"},
        {"110=Zur\xFC" "ck\n", "8-bit text in some code page"},
        // Not UTF-8: a sequence cut off at the end, an overlong form, a stray continuation byte.
        {"ab\xC3", "8-bit text in some code page"},
        {"\xC0\x80", "8-bit text in some code page"},
        {"\xE2\x82", "8-bit text in some code page"},
        {"\x80x", "8-bit text in some code page"},
        {"\xF0\x9F\x98\x80", "UTF-8 without byte-order mark"},
    };
    for (const auto& c : cases) {
        LintFinding finding;
        bool found = TextFormFinding("Default1031.ulf", c.bytes, finding);
        EXPECT_EQ(found, c.form != nullptr) << c.bytes;
        if (found && c.form) {
            EXPECT_EQ(finding.message.compare(0, 3 + std::strlen(c.form), std::string("is ") + c.form), 0)
                << finding.message;
            EXPECT_FALSE(finding.error);
        }
    }
}

TEST(PackLint, BuildSaysNothingOfTheFormItConverts) {
    // The sources hold language files in UTF-8 with and without byte-order mark: build stores
    // them as UTF-16LE, so the form is no finding of its.
    PackageSources sources;
    PackRun build = Pack(sources.BuildArguments());
    EXPECT_EQ(build.code, 0) << build.err;
    EXPECT_EQ(build.err.find("not UTF-16LE"), std::string::npos) << build.err;
}

TEST(PackLint, BuildRefusesSettingsWithErrorsUnlessTheyAreIgnored) {
    PackageSources sources;
    const LintCase fault{"", {{"TopImage=Top.png", "TopImage=Missing.png"}}, {}, 1, ""};
    Apply(sources, fault);
    const std::string finding = "error: [Images] TopImage: names 'Missing.png', which the package does not contain\n";

    PackRun refused = Pack(sources.BuildArguments());
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find(finding), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("fix them or build with --ignore-lint"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(sources.dir / "out"));

    PackRun built = Pack(sources.BuildArguments() + std::vector<std::string>{"--ignore-lint"});
    EXPECT_EQ(built.code, 0) << built.err;
    EXPECT_NE(built.err.find(finding), std::string::npos) << built.err;
    EXPECT_TRUE(fs::exists(sources.output));

    // Warnings alone never stop a build.
    PackageSources warned;
    Apply(warned, {"", {{"WaitForAutolaunchFinish=1", "WaitForAutolaunchFinish=yes"}}, {}, 0, ""});
    PackRun build = Pack(warned.BuildArguments());
    EXPECT_EQ(build.code, 0) << build.err;
    EXPECT_NE(build.err.find("warning: [Runtime] WaitForAutolaunchFinish"), std::string::npos) << build.err;
}

}  // namespace
