// TreskPack sign and build --sign: packages signed with a throw-away certificate that openssl makes
// at test time, checked by osslsigncode and by TreskPack verify; re-signing, every way of giving
// the key and its password, other signers through a command template, a failing signer, and
// damaged signatures.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <functional>

#include "PackCommandSupport.h"

namespace {

using namespace packtest;

const char kPassword[] = "test pass word";

// Keys and certificates of this run: a signer (as PKCS #12 with a password, and as certificate and
// key files, the key once encrypted with the same password), a second signer, and a timestamp
// authority for osslsigncode's built-in timestamping.
struct SigningKit {
    TempDir dir;
    std::string cert = dir / "signer.pem";
    std::string key = dir / "signer.key";
    std::string encryptedKey = dir / "signer-encrypted.key";
    std::string pkcs12 = dir / "signer.p12";
    std::string passFile = dir / "password.txt";
    std::string secondCert = dir / "second.pem";
    std::string secondKey = dir / "second.key";
    std::string tsaCert = dir / "tsa.pem";
    std::string tsaKey = dir / "tsa.key";

    SigningKit() {
        const std::string pass = Quoted(std::string("pass:") + kPassword);
        Make("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=Tresk Test Signer/O=Example Software Ltd/C=DE'"
             " -keyout " + Quoted(key) + " -out " + Quoted(cert));
        Make("openssl pkcs12 -export -inkey " + Quoted(key) + " -in " + Quoted(cert) + " -out " + Quoted(pkcs12) +
             " -passout " + pass);
        Make("openssl pkey -in " + Quoted(key) + " -aes256 -passout " + pass + " -out " + Quoted(encryptedKey));
        Make("openssl req -x509 -newkey rsa:3072 -nodes -days 2 -subj '/CN=Second Signer' -keyout " +
             Quoted(secondKey) + " -out " + Quoted(secondCert));
        Make("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=Tresk Test TSA' -addext "
             "'extendedKeyUsage=critical,timeStamping' -keyout " + Quoted(tsaKey) + " -out " + Quoted(tsaCert));
        WriteFile(passFile, std::string(kPassword) + "\n");
    }

    void Make(const std::string& command) {
        int code = -1;
        std::string output = Run(command + " 2>&1", &code);
        ASSERT_EQ(code, 0) << command << "\n" << output << "(scripts/setup installs openssl)";
    }

    std::vector<std::string> Pkcs12() const { return {"--pkcs12", pkcs12, "--pass-file", passFile}; }
};

// osslsigncode's own check, with the throw-away certificate as the trusted root.
bool OsslsigncodeVerifies(const std::string& path, const std::string& rootCert, std::string* output = nullptr) {
    int code = -1;
    std::string text = Run("osslsigncode verify -in " + Quoted(path) + " -CAfile " + Quoted(rootCert) + " 2>&1", &code);
    if (output) *output = text;
    return code == 0 && text.find("Signature verification: ok") != std::string::npos;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The bytes the program reads: the program file up to the end of its container, without the
// fields a signature changes (the checksum and the certificate-table entry).
std::string PackageBytes(const std::string& path) {
    PackageView view;
    std::string error;
    EXPECT_TRUE(ReadPackage(path, view, error)) << error;
    if (view.entries.empty()) return std::string();
    std::string bytes = view.bytes.substr(0, view.entries.back().dataOffset + view.entries.back().size);
    const size_t optional = 0x58;  // the stand-in program's optional header
    bytes.replace(optional + 64, 4, 4, '\0');
    bytes.replace(optional + 96 + 4 * 8, 8, 8, '\0');
    return bytes;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class PackSign : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Pack(sources.BuildArguments()).code, 0);
        unsignedBytes = PackageBytes(sources.output);
    }
    PackRun Sign(const std::vector<std::string>& options, const std::string& prefix = "") {
        return Pack(std::vector<std::string>{"sign", sources.output} + options, prefix);
    }

    SigningKit kit;
    PackageSources sources;
    std::string unsignedBytes;
};

TEST_F(PackSign, SignVerifyReSignAndAChangedByte) {
    ASSERT_EQ(::chmod(sources.output.c_str(), 0751), 0);
    PackRun sign = Sign(kit.Pkcs12());
    ASSERT_EQ(sign.code, 0) << sign.err;
    EXPECT_TRUE(Has(sign.out, "signed " + sources.output + "\n")) << sign.out;
    std::string checked;
    EXPECT_TRUE(OsslsigncodeVerifies(sources.output, kit.cert, &checked)) << checked;
    EXPECT_TRUE(Has(checked, "Number of verified signatures: 1")) << checked;
    // What the program reads is untouched; the file keeps its permissions.
    EXPECT_EQ(PackageBytes(sources.output), unsignedBytes);
    EXPECT_EQ(FilesIn(sources.dir / "out"), std::vector<std::string>{"Package.exe"});
    EXPECT_EQ(fs::status(sources.output).permissions(), static_cast<fs::perms>(0751));

    PackRun verify = Pack({"verify", sources.output});
    EXPECT_EQ(verify.code, 0) << verify.out;
    for (const char* line : {"signature: present, valid\n",
                             "signature subject: CN=Tresk Test Signer, O=Example Software Ltd, C=DE\n",
                             "signature digest algorithm: SHA-256\n", "signature description: Test Product\n",
                             "signature timestamp: none\n", "package ok\n"})
        EXPECT_TRUE(Has(verify.out, line)) << line << "\n" << verify.out;

    // Signed anew by another signer: one signature, the new one.
    uint64_t firstSize = fs::file_size(sources.output);
    PackRun again = Sign({"--cert", kit.secondCert, "--key", kit.secondKey, "--description", "Other Name"});
    ASSERT_EQ(again.code, 0) << again.err;
    EXPECT_TRUE(Has(again.out, "the package was signed: its signature is replaced")) << again.out;
    EXPECT_TRUE(OsslsigncodeVerifies(sources.output, kit.secondCert, &checked)) << checked;
    EXPECT_TRUE(Has(checked, "Number of verified signatures: 1")) << checked;
    EXPECT_FALSE(OsslsigncodeVerifies(sources.output, kit.cert));
    EXPECT_EQ(PackageBytes(sources.output), unsignedBytes);
    // A 3072-bit key's signature is longer, by far less than a second signature would add.
    EXPECT_LT(fs::file_size(sources.output), firstSize + 512);
    verify = Pack({"verify", sources.output});
    EXPECT_EQ(verify.code, 0) << verify.out;
    EXPECT_TRUE(Has(verify.out, "signature subject: CN=Second Signer\n")) << verify.out;
    EXPECT_TRUE(Has(verify.out, "signature description: Other Name\n")) << verify.out;

    // One byte of the container changed after signing.
    std::string bytes = ReadFile(sources.output);
    PackageView view;
    std::string error;
    ASSERT_TRUE(ReadPackage(sources.output, view, error)) << error;
    bytes[view.entries.front().dataOffset + 10] ^= 0x20;
    WriteFile(sources.output, bytes);
    verify = Pack({"verify", sources.output});
    EXPECT_EQ(verify.code, 1) << verify.out;
    EXPECT_TRUE(Has(verify.out, "signature: present, INVALID\n")) << verify.out;
    EXPECT_TRUE(Has(verify.out, "problem: signature: the package's bytes changed after it was signed: its SHA-256 "
                                "digest is "))
        << verify.out;
    EXPECT_FALSE(OsslsigncodeVerifies(sources.output, kit.secondCert));
}

TEST_F(PackSign, EveryWayOfGivingTheKeyAndItsPassword) {
    struct Case {
        const char* label;
        std::vector<std::string> options;
        std::string environment;
        bool ok;
        const char* message;
    };
    const Case cases[] = {
        {"PKCS #12, password file", kit.Pkcs12(), "", true, ""},
        {"PKCS #12, password from the environment", {"--pkcs12", kit.pkcs12, "--pass-env", "TRESK_SIGN_PASS"},
         "TRESK_SIGN_PASS=" + Quoted(kPassword) + " ", true, ""},
        {"certificate and key", {"--cert", kit.cert, "--key", kit.key}, "", true, ""},
        {"certificate and encrypted key", {"--cert", kit.cert, "--key", kit.encryptedKey, "--pass-file", kit.passFile},
         "", true, ""},
        {"wrong password", {"--pkcs12", kit.pkcs12, "--pass-env", "TRESK_SIGN_PASS"}, "TRESK_SIGN_PASS=wrong ", false,
         "the signer failed (exit code "},
        {"password variable not set", {"--pkcs12", kit.pkcs12, "--pass-env", "TRESK_SIGN_UNSET"}, "", false,
         "the environment variable TRESK_SIGN_UNSET (--pass-env) is not set"},
        {"password file missing", {"--pkcs12", kit.pkcs12, "--pass-file", kit.dir / "none.txt"}, "", false,
         "(--pass-file) does not exist"},
        {"PKCS #12 missing", {"--pkcs12", kit.dir / "none.p12", "--pass-file", kit.passFile}, "", false,
         "the signer failed"},
    };
    const std::string original = ReadFile(sources.output);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        WriteFile(sources.output, original);
        PackRun run = Sign(c.options, c.environment);
        EXPECT_EQ(run.code, c.ok ? 0 : 1) << run.err;
        EXPECT_TRUE(Has(run.err, c.message)) << run.err;
        EXPECT_EQ(OsslsigncodeVerifies(sources.output, kit.cert), c.ok);
        if (!c.ok) {
            EXPECT_EQ(ReadFile(sources.output), original);
        }
        EXPECT_EQ(FilesIn(sources.dir / "out"), std::vector<std::string>{"Package.exe"});
        // The password never appears on a command line, so it cannot appear in what is reported.
        EXPECT_FALSE(Has(run.out + run.err, kPassword));
    }
}

TEST_F(PackSign, FailingSignerLeavesThePackageAsItWas) {
    // Once unsigned and once signed: the package must stay exactly as it was either way.
    ASSERT_EQ(Sign(kit.Pkcs12()).code, 0);
    const std::string signedBytes = ReadFile(sources.output);
    struct Case {
        const char* label;
        std::string signer;
        const char* message;
    };
    const Case cases[] = {
        {"signer fails with a message", "echo 'token expired' >&2; exit 3; : {in} {out}",
         "the signer failed (exit code 3); the package is left as it was:\ntoken expired"},
        {"signer not found", "tresk-no-such-signer {in} {out}", "the signer failed (exit code 127)"},
        {"signer writes nothing", "true {in} {out}", "the signer's output is not the package any more"},
        {"signer writes an unsigned copy", "cp {in} {out}", "the signer's output does not carry a valid signature"},
        {"signer cuts the package", "head -c 2000 {in} > {out}", "the signer's output is not the package any more"},
        {"signer changes the package after signing",
         "osslsigncode sign -pkcs12 " + Quoted(kit.pkcs12) + " -readpass " + Quoted(kit.passFile) +
             " -in {in} -out {out} && printf X | dd of={out} bs=1 seek=1300 conv=notrunc 2>/dev/null",
         "the package's bytes changed after it was signed"},
    };
    for (bool startSigned : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.label) + (startSigned ? ", signed package" : ", unsigned package"));
            if (startSigned) {
                WriteFile(sources.output, signedBytes);
            } else {
                ASSERT_EQ(Pack(sources.BuildArguments()).code, 0);
            }
            const std::string before = ReadFile(sources.output);
            PackRun run = Sign({"--signer", c.signer});
            EXPECT_EQ(run.code, 1);
            EXPECT_TRUE(Has(run.err, c.message)) << run.err;
            EXPECT_EQ(ReadFile(sources.output), before);
            EXPECT_EQ(FilesIn(sources.dir / "out"), std::vector<std::string>{"Package.exe"});
        }
    }
}

TEST_F(PackSign, OtherSignersThroughTheCommandTemplate) {
    const std::string base = "osslsigncode sign -pkcs12 " + Quoted(kit.pkcs12) + " -readpass " + Quoted(kit.passFile);
    struct Case {
        const char* label;
        std::string signer;
        const char* line;
    };
    const Case cases[] = {
        {"writes {out}", base + " -h sha512 -in {in} -out {out}", "signature digest algorithm: SHA-512\n"},
        // A signer that signs in place (no {out}) is given a copy.
        {"signs in place", base + " -in {in} -out {in}.signed && mv {in}.signed {in}",
         "signature digest algorithm: SHA-256\n"},
        {"with an RFC 3161 timestamp",
         base + " -TSA-certs " + Quoted(kit.tsaCert) + " -TSA-key " + Quoted(kit.tsaKey) + " -in {in} -out {out}",
         "signature timestamp: RFC 3161, 20"},
    };
    // A folder whose name the shell would split or end at, were the paths not quoted.
    PackageSources quoted;
    quoted.output = quoted.dir / "it's a $folder/Package.exe";
    ASSERT_EQ(Pack(quoted.BuildArguments()).code, 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        PackRun run = Pack({"sign", quoted.output, "--signer", c.signer});
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_TRUE(OsslsigncodeVerifies(quoted.output, kit.cert));
        PackRun verify = Pack({"verify", quoted.output});
        EXPECT_EQ(verify.code, 0) << verify.out;
        EXPECT_TRUE(Has(verify.out, c.line)) << verify.out;
        EXPECT_EQ(FilesIn(quoted.dir / "it's a $folder"), std::vector<std::string>{"Package.exe"});
    }
}

TEST_F(PackSign, BuildSignsTheProgramFileOfAMultiPartPackage) {
    WriteFile(sources.payload + "/big.bin", Scrambled(200000, 9));
    PackRun build = Pack(sources.BuildArguments() + std::vector<std::string>{"--part-size", "64K", "--sign"} + kit.Pkcs12());
    ASSERT_EQ(build.code, 0) << build.err;
    EXPECT_TRUE(Has(build.out, "part files are not signed themselves: the signed settings hold their SHA-256"))
        << build.out;
    EXPECT_TRUE(OsslsigncodeVerifies(sources.output, kit.cert));
    PackageView view;
    std::string error;
    ASSERT_TRUE(ReadPackage(sources.output, view, error)) << error;
    auto parts = view.settings.Entries("HashCode256");
    ASSERT_GE(parts.size(), 3u);
    for (const auto& part : parts) {
        std::string path = sources.dir / ("out/Package." + part.first);
        EXPECT_EQ(packtest::Run("sha256sum " + Quoted(path) + " | cut -c1-64 | tr -d '\\n'"), part.second) << part.first;
    }
    PackRun verify = Pack({"verify", sources.output});
    EXPECT_EQ(verify.code, 0) << verify.out;
    EXPECT_TRUE(Has(verify.out, "signature: present, valid\n")) << verify.out;
    EXPECT_TRUE(Has(verify.out, "part hashes: [HashCode] and [HashCode256] (SHA-256)\n")) << verify.out;

    // A signer that fails after the build: the package stays, unsigned, and the run fails.
    build = Pack(sources.BuildArguments() + std::vector<std::string>{"--sign", "--signer", "exit 4; : {in} {out}"});
    EXPECT_EQ(build.code, 1);
    EXPECT_TRUE(Has(build.err, "the package was built but is not signed")) << build.err;
    verify = Pack({"verify", sources.output});
    EXPECT_EQ(verify.code, 0) << verify.out;
    EXPECT_TRUE(Has(verify.out, "signature: none\n")) << verify.out;
}

TEST_F(PackSign, WhatIsNotAPackageIsNotSigned) {
    struct Case {
        const char* label;
        std::string path;
        const char* message;
    };
    const Case cases[] = {
        {"the bare program", sources.program, "is the bare program (its version stamp is 0), not a package"},
        {"not a program", sources.settings, "not a Windows program"},
        {"missing", sources.dir / "missing.exe", "cannot open"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string before = ReadFile(c.path);
        PackRun run = Pack(std::vector<std::string>{"sign", c.path} + kit.Pkcs12());
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(Has(run.err, c.message)) << run.err;
        EXPECT_EQ(ReadFile(c.path), before);
    }
}

// Damaged signatures are reported, never trusted, never crash the reader.
TEST_F(PackSign, DamagedSignaturesAreProblems) {
    ASSERT_EQ(Sign(kit.Pkcs12()).code, 0);
    const std::string signedBytes = ReadFile(sources.output);
    const size_t directory = 0x58 + 96 + 4 * 8;
    uint32_t tableOffset = 0, tableSize = 0;
    for (int i = 3; i >= 0; --i) {
        tableOffset = (tableOffset << 8) | static_cast<unsigned char>(signedBytes[directory + i]);
        tableSize = (tableSize << 8) | static_cast<unsigned char>(signedBytes[directory + 4 + i]);
    }
    ASSERT_EQ(size_t(tableOffset) + tableSize, signedBytes.size());
    struct Case {
        const char* label;
        std::function<void(std::string&)> damage;
        const char* problem;
    };
    const Case cases[] = {
        {"table beyond the end", [&](std::string& b) { Put32(b, directory + 4, tableSize + 4096); },
         "problem: signature: the certificate table lies outside the file"},
        {"table cut short", [&](std::string& b) { b.resize(b.size() - 100); },
         "problem: signature: the certificate table lies outside the file"},
        {"data appended after the signature", [&](std::string& b) { b += std::string(16, 'x'); },
         "problem: signature: 16 bytes follow the signature"},
        {"signature value changed", [&](std::string& b) { b[b.size() - 20] ^= 0x01; },
         "problem: signature: the signature value does not verify with the signer's certificate"},
        {"signed file digest changed",
         [&](std::string& b) {
             // The first OCTET STRING of 32 bytes in the blob is the file digest.
             size_t at = b.find(std::string("\x04\x20", 2), tableOffset);
             ASSERT_NE(at, std::string::npos);
             b[at + 2] ^= 0x01;
         },
         "problem: signature: the package's bytes changed after it was signed"},
        {"blob garbled", [&](std::string& b) { std::fill(b.begin() + tableOffset + 8, b.begin() + tableOffset + 40, '\xff'); },
         "problem: signature: the signature is not Authenticode signed data"},
        {"no Authenticode entry", [&](std::string& b) { Put16(b, tableOffset + 6, 0x0001); },
         "problem: signature: the certificate table holds no Authenticode signature"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::string bytes = signedBytes;
        c.damage(bytes);
        WriteFile(sources.output, bytes);
        PackRun verify = Pack({"verify", sources.output});
        EXPECT_EQ(verify.code, 1) << verify.out;
        EXPECT_TRUE(Has(verify.out, c.problem)) << verify.out;
    }
}

}  // namespace
