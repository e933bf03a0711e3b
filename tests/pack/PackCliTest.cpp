// TreskPack's command line: usage errors exit with 2 and say what is wrong; --help exits with 0.
#include <gtest/gtest.h>

#include "PackCommandSupport.h"
#include "cli/Commands.h"

namespace {

using namespace packtest;

TEST(PackCli, UsageErrorsExitWithTwo) {
    // Options that are complete apart from the one under test; no file is touched before the
    // arguments are accepted.
    const std::vector<std::string> build{"build", "--program", "p.exe", "--settings", "s.ini",
                                         "--payload", "payload", "--output", "out.exe"};
    auto with = [&](std::vector<std::string> extra) { return build + extra; };
    struct Case {
        std::vector<std::string> arguments;
        const char* message;
    };
    const Case cases[] = {
        {{}, "no command given"},
        {{"pack"}, "unknown command pack"},
        {with({"--bogus", "1"}), "unknown option --bogus"},
        {{"build", "--program"}, "--program needs a value"},
        {{"build", "--program", "p.exe", "--settings", "s.ini", "--payload", "payload"},
         "build needs --program, --settings, --payload and --output"},
        {with({"extra"}), "unexpected argument extra"},
        {with({"--ignore-lint=no"}), "--ignore-lint takes no value"},
        {with({"--part-size", "0"}), "--part-size takes a size"},
        {with({"--part-size", "12Q"}), "--part-size takes a size"},
        {with({"--part-size", "M"}), "--part-size takes a size"},
        {with({"--part-size", "1.5M"}), "--part-size takes a size"},
        {with({"--part-size", "-64K"}), "--part-size takes a size"},
        {with({"--part-size", "99999999999999999999"}), "--part-size takes a size"},
        {with({"--part-size", "63K"}), "--part-size takes a size"},  // smaller than a part may be
        {with({"--part-size", "2G"}), "--part-size takes a size"},   // larger than a cabinet may be
        {with({"--set-id", "0"}), "--set-id takes a number from 1 to 65535"},
        {with({"--set-id", "65536"}), "--set-id takes a number from 1 to 65535"},
        {with({"--set-id", "-1"}), "--set-id takes a number from 1 to 65535"},
        {with({"--set-id="}), "--set-id takes a number from 1 to 65535"},
        {with({"--level", "10"}), "--level takes 0 to 9"},
        {with({"--level", "high"}), "--level takes 0 to 9"},
        {with({"--threads", "0"}), "--threads takes 1 to 64"},
        {{"verify"}, "verify takes one package"},
        {{"verify", "a.exe", "b.exe"}, "verify takes one package"},
        {{"verify", "a.exe", "--extract"}, "--extract needs a value"},
        {{"verify", "a.exe", "--output", "x"}, "unknown option --output"},
        {{"lint"}, "lint needs --settings"},
        {{"lint", "--settings", "s.ini", "extra"}, "lint needs --settings"},
        {{"lint", "--settings", "s.ini", "--part-size", "1M"}, "unknown option --part-size"},
        // Signing: checked before anything is built or started.
        {with({"--pkcs12", "c.p12"}), "the signing options need --sign"},
        {with({"--sign"}), "signing needs --pkcs12 FILE, or --cert FILE with --key FILE, or --signer COMMAND"},
        {with({"--sign", "--pkcs12", "c.p12", "--pass-env", "TRESK_TEST_UNSET_VARIABLE"}),
         "the environment variable TRESK_TEST_UNSET_VARIABLE (--pass-env) is not set"},
        {{"sign"}, "sign takes one package"},
        {{"sign", "a.exe", "b.exe", "--pkcs12", "c.p12"}, "sign takes one package"},
        {{"sign", "a.exe"}, "signing needs --pkcs12 FILE"},
        {{"sign", "a.exe", "--pkcs12", "c.p12", "--pass", "secret"},
         "a password is never given on the command line: use --pass-file FILE or --pass-env NAME"},
        {{"sign", "a.exe", "--pkcs12", "c.p12", "--cert", "c.pem", "--key", "k.pem"},
         "--pkcs12 and --cert/--key exclude each other"},
        {{"sign", "a.exe", "--cert", "c.pem"}, "--cert and --key go together"},
        {{"sign", "a.exe", "--key", "k.pem"}, "--cert and --key go together"},
        {{"sign", "a.exe", "--pkcs12", "c.p12", "--pass-file", "p", "--pass-env", "P"},
         "--pass-file and --pass-env exclude each other"},
        {{"sign", "a.exe", "--signer", "sign {in} {out}", "--pkcs12", "c.p12"}, "--signer replaces the built-in signer"},
        {{"sign", "a.exe", "--signer", "sign {in} {out}", "--timestamp", "http://ts"},
         "--signer replaces the built-in signer"},
        {{"sign", "a.exe", "--signer", "sign --out {out}"}, "--signer needs {in} in its command"},
        {{"sign", "a.exe", "--pkcs12", "c.p12", "--extract", "x"}, "unknown option --extract"},
    };
    for (const auto& c : cases) {
        std::string label;
        for (const auto& argument : c.arguments) label += argument + " ";
        SCOPED_TRACE(label);
        PackRun run = Pack(c.arguments);
        EXPECT_EQ(run.code, 2);
        EXPECT_EQ(run.err.rfind("TreskPack: " + std::string(c.message), 0), 0u) << run.err;
        EXPECT_NE(run.err.find("\n\nTreskPack "), std::string::npos) << run.err;  // the help follows
        EXPECT_EQ(run.out, "");
    }
}

TEST(PackCli, HelpExitsWithZero) {
    struct Case {
        std::vector<std::string> arguments;
        const char* text;
    };
    const Case cases[] = {
        {{"--help"}, "Usage:\n  TreskPack build "},
        {{"help"}, "Usage:\n  TreskPack build "},
        {{"-h"}, "Usage:\n  TreskPack build "},
        {{"build", "--help"}, "TreskPack build: writes a package"},
        // Help wins over missing options.
        {{"build", "--output", "x.exe", "-h"}, "TreskPack build: writes a package"},
        {{"verify", "--help"}, "TreskPack verify: reads a package back"},
        {{"sign", "--help"}, "TreskPack sign: signs a package"},
        {{"lint", "--help"}, "TreskPack lint: checks package settings"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        PackRun run = Pack(c.arguments);
        EXPECT_EQ(run.code, 0);
        EXPECT_NE(run.out.find(c.text), std::string::npos) << run.out;
        EXPECT_EQ(run.err, "");
    }
}

// Sizes the part-size option accepts, up to the largest cabinet.
TEST(PackCli, PartSizes) {
    struct Case {
        const char* text;
        bool ok;
        uint64_t bytes;
    };
    const Case cases[] = {
        {"65536", true, 65536},     {"64K", true, 65536},          {"64k", true, 65536},
        {"200M", true, 200ull << 20}, {"1G", true, 1ull << 30},     {"", false, 0},
        {"0K", false, 0},           {"K64", false, 0},             {"64KB", false, 0},
        {"17179869184G", false, 0},  // overflows 64 bits
    };
    for (const auto& c : cases) {
        uint64_t bytes = 0;
        EXPECT_EQ(ParseSize(c.text, bytes), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(bytes, c.bytes) << c.text;
        }
    }
}

}  // namespace
