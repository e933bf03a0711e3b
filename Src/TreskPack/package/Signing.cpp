#include "package/Signing.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "container/Container.h"
#include "container/VersionStamp.h"
#include "io/File.h"
#include "io/Process.h"
#include "settings/IniDocument.h"
#include "sign/PeSignature.h"
#include "sign/SignatureCheck.h"
#include "text/Utf.h"

namespace fs = std::filesystem;

namespace {

// The program image is small; only its headers and resources are needed to find the stamp.
constexpr size_t kProgramPrefix = 64 << 20;

struct PackageShape {
    uint32_t containerOffset = 0;
    std::vector<ContainerEntry> entries;
    uint64_t containerEnd = 0;
};

// The package's settings; empty when they cannot be read (the signature does not depend on them).
IniDocument ReadSettings(const std::string& path, const PackageShape& shape) {
    for (const auto& entry : shape.entries) {
        if (!EqualsNoCase(entry.name, SETTINGS_ENTRY_NAME)) continue;
        std::string bytes, text, ignored;
        if (ReadEntryBytes(path, entry, bytes, ignored) && DecodeTextFile(bytes, text, ignored))
            return IniDocument::Parse(text);
        break;
    }
    return IniDocument();
}

bool ReadShape(const std::string& path, PackageShape& shape, std::string& error) {
    InputFile file;
    if (!file.Open(path, error)) return false;
    std::string prefix(static_cast<size_t>(std::min<uint64_t>(file.Size(), kProgramPrefix)), '\0');
    if (!prefix.empty() && !file.ReadAt(0, &prefix[0], prefix.size(), error)) return false;
    VersionStampLocation stamp;
    if (!FindVersionStamp(prefix, stamp, error)) return false;
    if (stamp.subtype == 0) {
        error = path + " is the bare program (its version stamp is 0), not a package: build the package, then sign it";
        return false;
    }
    shape.containerOffset = stamp.subtype;
    if (!ReadContainer(path, stamp.subtype, shape.entries, error)) return false;
    if (shape.entries.empty()) {
        error = path + " holds no package files after its program";
        return false;
    }
    shape.containerEnd = shape.entries.back().dataOffset + shape.entries.back().size;
    return true;
}

bool SameShape(const PackageShape& a, const PackageShape& b) {
    if (a.containerOffset != b.containerOffset || a.entries.size() != b.entries.size()) return false;
    for (size_t i = 0; i < a.entries.size(); ++i)
        if (a.entries[i].name != b.entries[i].name || a.entries[i].kind != b.entries[i].kind ||
            a.entries[i].dataOffset != b.entries[i].dataOffset || a.entries[i].size != b.entries[i].size)
            return false;
    return true;
}

// What the settings say of the parts: the lines to report about them.
void ReportParts(const IniDocument& settings, SignResult& result) {
    if (settings.GetOr("Package", "MultiPartDownload") != "1") return;
    size_t parts = settings.Entries("PartFileIno").size();
    if (settings.Entries("HashCode256").empty())
        result.warnings.push_back("the " + std::to_string(parts) +
                                  " part files are covered only by the 16-byte SHA-1 prefixes in [HashCode]; build "
                                  "the package again with this TreskPack to record their SHA-256");
    else
        result.lines.push_back("the " + std::to_string(parts) +
                               " part files are not signed themselves: the signed settings hold their SHA-256 "
                               "([HashCode256])");
}

// A file name beside the package for a step's copy, removed when this object goes.
struct ScratchFile {
    std::string path;
    explicit ScratchFile(const std::string& packagePath, const char* what) {
        std::random_device random;
        path = packagePath + "." + what + ".tmp" + std::to_string(random());
    }
    ~ScratchFile() {
        std::error_code ignored;
        fs::remove(fs::u8path(path), ignored);
    }
};

bool CopyFile(const std::string& from, const std::string& to, std::string& error) {
    std::error_code code;
    fs::copy_file(fs::u8path(from), fs::u8path(to), fs::copy_options::overwrite_existing, code);
    if (code) error = "cannot copy " + from + " to " + to + ": " + code.message();
    return !code;
}

}  // namespace

bool SignPackage(const std::string& packagePath, const SignerOptions& givenOptions, SignResult& result,
                 std::string& error) {
    result = SignResult();
    if (!CheckSignerOptions(givenOptions, error)) return false;
    PackageShape shape;
    if (!ReadShape(packagePath, shape, error)) return false;
    const IniDocument settings = ReadSettings(packagePath, shape);
    SignerOptions options = givenOptions;
    // Windows shows the description as the program's name when it asks for elevation.
    if (options.command.empty() && options.description.empty())
        options.description = settings.GetOr("Package", "NameDispl");
    PeSignatureFile file;
    if (!ReadPeSignatureFile(packagePath, file, error)) return false;

    // The password: read by osslsigncode from its standard input, never from its command line.
    std::string password, passwordSource;
    if (!options.passEnv.empty()) {
        const char* value = std::getenv(options.passEnv.c_str());
        if (!value) {
            error = "the environment variable " + options.passEnv + " (--pass-env) is not set";
            return false;
        }
        password = value;
        passwordSource = "-";
    } else if (!options.passFile.empty()) {
        std::error_code code;
        if (!fs::is_regular_file(fs::u8path(options.passFile), code)) {
            error = "the password file " + options.passFile + " (--pass-file) does not exist";
            return false;
        }
        passwordSource = options.passFile;
    }

    // A signed package is signed anew from an unsigned copy.
    std::string input = packagePath;
    ScratchFile unsignedCopy(packagePath, "unsigned");
    if (file.table.size != 0) {
        if (uint64_t(file.table.offset) + file.table.size != file.fileSize || file.table.offset < shape.containerEnd) {
            error = packagePath + " carries a signature that is not at its end; TreskPack does not sign it anew";
            return false;
        }
        if (!WriteUnsignedCopy(packagePath, file, shape.containerEnd, unsignedCopy.path, error)) return false;
        input = unsignedCopy.path;
        result.lines.push_back("the package was signed: its signature is replaced");
    }

    AtomicOutput output(packagePath);
    const std::string& signedPath = output.TemporaryPath();
    ProcessResult run;
    bool started;
    if (!options.command.empty()) {
        std::string command;
        if (SignerSignsInPlace(options.command)) {
            if (!CopyFile(input, signedPath, error)) return false;
            command = SignerTemplateCommand(options.command, signedPath, signedPath);
        } else {
            command = SignerTemplateCommand(options.command, input, signedPath);
        }
        started = RunShellCommand(command, run, error);
    } else {
        started = RunProgram(OsslsigncodeArguments(options, input, signedPath, passwordSource), password, run, error);
        if (!started) error += " (scripts/setup installs osslsigncode; elsewhere put it on PATH)";
    }
    if (!started) return false;
    std::string printed = run.output;
    while (!printed.empty() && (printed.back() == '\n' || printed.back() == '\r')) printed.pop_back();
    if (run.exitCode != 0) {
        error = "the signer failed (exit code " + std::to_string(run.exitCode) + "); the package is left as it was" +
                (printed.empty() ? std::string() : ":\n" + printed);
        return false;
    }

    // The signed copy must still be this package, with a signature that vouches for it.
    PackageShape signedShape;
    std::string reason;
    if (!ReadShape(signedPath, signedShape, reason) || !SameShape(shape, signedShape)) {
        error = "the signer's output is not the package any more" + (reason.empty() ? std::string() : " (" + reason + ")") +
                "; the package is left as it was";
        return false;
    }
    SignatureReport report;
    if (!CheckSignature(signedPath, report, reason)) {
        error = "the signer's output cannot be read: " + reason + "; the package is left as it was";
        return false;
    }
    if (!report.present || !report.valid) {
        error = "the signer's output does not carry a valid signature; the package is left as it was";
        for (const auto& problem : report.present ? report.problems : std::vector<std::string>{"signature: none"})
            error += "\n  " + problem;
        return false;
    }
    std::error_code code;
    fs::permissions(fs::u8path(signedPath), fs::status(fs::u8path(packagePath), code).permissions(), code);
    if (!output.Commit(error)) return false;
    result.lines.push_back("signed " + packagePath);
    result.lines.insert(result.lines.end(), report.lines.begin(), report.lines.end());
    ReportParts(settings, result);
    return true;
}
