#include "cli/Commands.h"

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <map>
#include <memory>

#include "lint/Lint.h"
#include "lint/LintTextForm.h"
#include "package/Builder.h"
#include "package/Signing.h"
#include "package/Verifier.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

const char kUsage[] =
    "TreskPack builds, verifies and checks self-extracting installation packages.\n"
    "\n"
    "Usage:\n"
    "  TreskPack build  --program FILE --settings FILE --payload FOLDER --output FILE [options]\n"
    "  TreskPack sign   PACKAGE (--pkcs12 FILE | --cert FILE --key FILE | --signer COMMAND) [options]\n"
    "  TreskPack verify PACKAGE [--extract FOLDER]\n"
    "  TreskPack lint   --settings FILE [--support FILE|FOLDER]... [--payload FOLDER]\n"
    "\n"
    "Run 'TreskPack COMMAND --help' for the options of a command.\n"
    "Exit codes: 0 ok, 1 package problems found, 2 usage error.\n";

const char kBuildHelp[] =
    "TreskPack build: writes a package program file (and its part files).\n"
    "\n"
    "  --program FILE        the bare TreskSelfExtractorUI.exe to build from\n"
    "  --settings FILE       the package settings (UTF-8 or UTF-16 with byte-order mark)\n"
    "  --support PATH        a support file, or a folder whose files are all taken (repeatable):\n"
    "                        language files Default<LCID>.ulf and Defaultx.ulf, band images, licences\n"
    "  --payload FOLDER      the files to install; stored with their paths relative to FOLDER\n"
    "  --output FILE         the package program file to write\n"
    "  --part-size SIZE      write a multi-part package: part files <output name>.001, .002, ... of at\n"
    "                        most SIZE bytes each, 64K to 2047M (suffix K, M or G for KiB, MiB, GiB)\n"
    "  --set-id N            the cabinet set identifier, 1 to 65535 (default: random)\n"
    "  --password TEXT       protect extraction with this password (printable ASCII)\n"
    "  --level N             compression level 0 to 9 (default 6)\n"
    "  --threads N           compressing threads (default: one per processor)\n"
    "  --ignore-lint         build even when the settings check finds errors\n"
    "  --sign                sign the package program file once it is built, with the options of\n"
    "                        'TreskPack sign' (--pkcs12, --cert, --key, --pass-file, --pass-env,\n"
    "                        --timestamp, --description, --url, --signer)\n";

const char kSignerOptionsHelp[] =
    "  --pkcs12 FILE         the certificate with its private key, as a PKCS #12 file (.pfx, .p12)\n"
    "  --cert FILE           or the certificate (chain) as a PEM or DER file ...\n"
    "  --key FILE            ... with its private key\n"
    "  --pass-file FILE      the password of the PKCS #12 file or the key, from the file's first line\n"
    "  --pass-env NAME       the same from the environment variable NAME (never on the command line)\n"
    "  --timestamp URL       an RFC 3161 timestamp server: the signature stays valid after the\n"
    "                        certificate expires\n"
    "  --description TEXT    the program name Windows shows when it asks for elevation (default: the\n"
    "                        package's [Package] NameDispl)\n"
    "  --url URL             the publisher's web address in the signature\n"
    "  --signer COMMAND      any other signer (signtool, jsign, a signing service's client): a command\n"
    "                        run by the shell, with {in} the file to sign and {out} where the signed\n"
    "                        file goes; without {out} the signer signs {in} in place\n";

const std::string kSignHelp =
    std::string("TreskPack sign: signs a package (Authenticode, SHA-256) with osslsigncode or another signer.\n"
                "\n"
                "  PACKAGE               the package program file; a multi-part package's parts are covered by\n"
                "                        the hashes in its settings and are not signed themselves\n") +
    kSignerOptionsHelp +
    "\n"
    "The signer writes a signed copy; it replaces the package only when the signer succeeded and the\n"
    "copy checks out. A signed package is signed anew: its signature is replaced.\n";

const char kVerifyHelp[] =
    "TreskPack verify: reads a package back as the program would.\n"
    "\n"
    "  PACKAGE               the package program file; its part files must lie beside it\n"
    "  --extract FOLDER      also extract the payload into FOLDER\n";

const char kLintHelp[] =
    "TreskPack lint: checks package settings against the package's files.\n"
    "\n"
    "  --settings FILE       the package settings\n"
    "  --support PATH        support files or folders, as for build (repeatable)\n"
    "  --payload FOLDER      the payload, to check the launch entries\n";

struct Options {
    std::map<std::string, std::vector<std::string>> values;
    std::vector<std::string> positional;
    bool help = false;
};

// Every option takes one value except the flags named here.
bool Parse(const std::vector<std::string>& arguments, const std::vector<std::string>& known,
           const std::vector<std::string>& flags, Options& options, std::string& error) {
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            continue;
        }
        if (argument.compare(0, 2, "--") != 0) {
            options.positional.push_back(argument);
            continue;
        }
        std::string name = argument.substr(2), value;
        size_t equals = name.find('=');
        bool inlineValue = equals != std::string::npos;
        if (inlineValue) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        bool isFlag = false;
        for (const auto& flag : flags) isFlag = isFlag || flag == name;
        bool isKnown = isFlag;
        for (const auto& option : known) isKnown = isKnown || option == name;
        if (!isKnown) {
            error = name == "pass" ? "a password is never given on the command line: use --pass-file FILE or "
                                     "--pass-env NAME"
                                   : "unknown option --" + name;
            return false;
        }
        if (isFlag && inlineValue) {
            error = "--" + name + " takes no value";
            return false;
        }
        if (!isFlag && !inlineValue) {
            if (i + 1 >= arguments.size()) {
                error = "--" + name + " needs a value";
                return false;
            }
            value = arguments[++i];
        }
        options.values[name].push_back(value);
    }
    return true;
}

std::string One(const Options& options, const std::string& name) {
    auto found = options.values.find(name);
    return found == options.values.end() ? std::string() : found->second.back();
}

bool Has(const Options& options, const std::string& name) {
    return options.values.count(name) != 0;
}

int Usage(const std::string& message, const char* help) {
    std::fprintf(stderr, "TreskPack: %s\n\n%s", message.c_str(), help);
    return EXIT_USAGE;
}

// Percent of bytes on a terminal; nothing when the output goes elsewhere.
CabProgress TerminalProgress(const char* what) {
    if (!isatty(fileno(stderr))) return nullptr;
    auto last = std::make_shared<int>(-1);
    return [what, last](uint64_t done, uint64_t total) {
        int percent = total ? static_cast<int>(done * 100 / total) : 100;
        if (percent == *last) return;
        *last = percent;
        std::fprintf(stderr, "\r%s %3d%%", what, percent);
        if (percent >= 100) std::fprintf(stderr, "\n");
        std::fflush(stderr);
    };
}

bool ParseNumber(const std::string& text, unsigned long long maximum, unsigned long long& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 19) return false;
    value = std::strtoull(text.c_str(), nullptr, 10);
    return value <= maximum;
}

const std::vector<std::string> kSignerOptionNames = {"pkcs12",    "cert",        "key", "pass-file", "pass-env",
                                                     "timestamp", "description", "url", "signer"};

SignerOptions SignerOptionsOf(const Options& options) {
    SignerOptions signer;
    signer.pkcs12 = One(options, "pkcs12");
    signer.certificate = One(options, "cert");
    signer.key = One(options, "key");
    signer.passFile = One(options, "pass-file");
    signer.passEnv = One(options, "pass-env");
    signer.timestamp = One(options, "timestamp");
    signer.description = One(options, "description");
    signer.url = One(options, "url");
    signer.command = One(options, "signer");
    return signer;
}

bool AnySignerOption(const Options& options) {
    for (const auto& name : kSignerOptionNames)
        if (Has(options, name)) return true;
    return false;
}

std::vector<std::string> WithSignerOptions(std::vector<std::string> names) {
    names.insert(names.end(), kSignerOptionNames.begin(), kSignerOptionNames.end());
    return names;
}

int ReportSigning(bool ok, const SignResult& signing, const std::string& error) {
    for (const auto& line : signing.lines) std::printf("%s\n", line.c_str());
    for (const auto& warning : signing.warnings) std::fprintf(stderr, "warning: %s\n", warning.c_str());
    if (!ok) {
        std::fprintf(stderr, "TreskPack: %s\n", error.c_str());
        return EXIT_PROBLEMS;
    }
    return EXIT_OK;
}

int Build(const std::vector<std::string>& arguments) {
    Options options;
    std::string error;
    if (!Parse(arguments,
               WithSignerOptions({"program", "settings", "support", "payload", "output", "part-size", "set-id",
                                  "password", "level", "threads"}),
               {"ignore-lint", "sign"}, options, error))
        return Usage(error, kBuildHelp);
    if (options.help) {
        std::fputs(kBuildHelp, stdout);
        return EXIT_OK;
    }
    if (!options.positional.empty()) return Usage("unexpected argument " + options.positional.front(), kBuildHelp);
    BuildOptions build;
    build.programPath = One(options, "program");
    build.settingsPath = One(options, "settings");
    build.payloadFolder = One(options, "payload");
    build.outputPath = One(options, "output");
    if (build.programPath.empty() || build.settingsPath.empty() || build.payloadFolder.empty() ||
        build.outputPath.empty())
        return Usage("build needs --program, --settings, --payload and --output", kBuildHelp);
    if (Has(options, "support")) build.supportInputs = options.values["support"];
    if (Has(options, "part-size") &&
        (!ParseSize(One(options, "part-size"), build.partSize) || build.partSize < CAB_MIN_PART_SIZE ||
         build.partSize > CAB_MAX_PART_SIZE))
        return Usage("--part-size takes a size from 64K to 2047M, such as 200M", kBuildHelp);
    unsigned long long number = 0;
    if (Has(options, "set-id")) {
        if (!ParseNumber(One(options, "set-id"), 65535, number) || number == 0)
            return Usage("--set-id takes a number from 1 to 65535", kBuildHelp);
        build.setId = static_cast<uint16_t>(number);
    }
    if (Has(options, "password")) build.password = One(options, "password");
    if (Has(options, "level")) {
        if (!ParseNumber(One(options, "level"), 9, number)) return Usage("--level takes 0 to 9", kBuildHelp);
        build.level = static_cast<int>(number);
    }
    if (Has(options, "threads")) {
        if (!ParseNumber(One(options, "threads"), 64, number) || number == 0)
            return Usage("--threads takes 1 to 64", kBuildHelp);
        build.threads = static_cast<unsigned>(number);
    }
    build.ignoreLintErrors = Has(options, "ignore-lint");
    build.progress = TerminalProgress("packing");
    const bool sign = Has(options, "sign");
    SignerOptions signer = SignerOptionsOf(options);
    if (!sign && AnySignerOption(options)) return Usage("the signing options need --sign", kBuildHelp);
    // Wrong signing options are found before the package is built, not after.
    if (sign && !CheckSignerOptions(signer, error)) return Usage(error, kBuildHelp);
    if (sign && !signer.passEnv.empty() && !std::getenv(signer.passEnv.c_str()))
        return Usage("the environment variable " + signer.passEnv + " (--pass-env) is not set", kBuildHelp);

    BuildResult result;
    bool ok = BuildPackage(build, result, error);
    std::fputs(FormatFindings(result.findings).c_str(), stderr);
    if (!ok) {
        std::fprintf(stderr, "TreskPack: %s\n", error.c_str());
        return EXIT_PROBLEMS;
    }
    for (const auto& output : result.outputs) std::printf("wrote %s\n", output.c_str());
    std::printf("%u files, %llu bytes, cabinet set %u\n", result.facts.fileCount,
                static_cast<unsigned long long>(result.facts.packageSize), result.facts.setId);
    if (!sign) return EXIT_OK;
    std::fflush(stdout);
    SignResult signing;
    bool signedOk = SignPackage(build.outputPath, signer, signing, error);
    if (!signedOk) error += "\nthe package was built but is not signed";
    return ReportSigning(signedOk, signing, error);
}

int Sign(const std::vector<std::string>& arguments) {
    Options options;
    std::string error;
    if (!Parse(arguments, kSignerOptionNames, {}, options, error)) return Usage(error, kSignHelp.c_str());
    if (options.help) {
        std::fputs(kSignHelp.c_str(), stdout);
        return EXIT_OK;
    }
    if (options.positional.size() != 1) return Usage("sign takes one package", kSignHelp.c_str());
    SignerOptions signer = SignerOptionsOf(options);
    if (!CheckSignerOptions(signer, error)) return Usage(error, kSignHelp.c_str());
    SignResult signing;
    bool ok = SignPackage(options.positional.front(), signer, signing, error);
    return ReportSigning(ok, signing, error);
}

int Verify(const std::vector<std::string>& arguments) {
    Options options;
    std::string error;
    if (!Parse(arguments, {"extract"}, {}, options, error)) return Usage(error, kVerifyHelp);
    if (options.help) {
        std::fputs(kVerifyHelp, stdout);
        return EXIT_OK;
    }
    if (options.positional.size() != 1) return Usage("verify takes one package", kVerifyHelp);
    VerifyOptions verify;
    verify.packagePath = options.positional.front();
    verify.extractTo = One(options, "extract");
    verify.progress = TerminalProgress("extracting");
    VerifyReport report;
    if (!VerifyPackage(verify, report, error)) {
        std::fprintf(stderr, "TreskPack: %s\n", error.c_str());
        return EXIT_PROBLEMS;
    }
    for (const auto& line : report.lines) std::printf("%s\n", line.c_str());
    for (const auto& problem : report.problems) std::printf("problem: %s\n", problem.c_str());
    std::printf(report.problems.empty() ? "package ok\n" : "%zu problem(s) found\n", report.problems.size());
    return report.problems.empty() ? EXIT_OK : EXIT_PROBLEMS;
}

int Lint(const std::vector<std::string>& arguments) {
    Options options;
    std::string error;
    if (!Parse(arguments, {"settings", "support", "payload"}, {}, options, error)) return Usage(error, kLintHelp);
    if (options.help) {
        std::fputs(kLintHelp, stdout);
        return EXIT_OK;
    }
    if (One(options, "settings").empty() || !options.positional.empty()) return Usage("lint needs --settings", kLintHelp);
    IniDocument settings;
    if (!IniDocument::Load(One(options, "settings"), settings, error)) {
        std::fprintf(stderr, "TreskPack: %s\n", error.c_str());
        return EXIT_PROBLEMS;
    }
    std::vector<SupportFile> support;
    if (!CollectSupportFiles(options.values["support"], settings, support, error)) {
        std::fprintf(stderr, "TreskPack: %s\n", error.c_str());
        return EXIT_PROBLEMS;
    }
    LintInput input;
    if (!LintInputFor(settings, support, One(options, "payload"), input, error)) {
        std::fprintf(stderr, "TreskPack: %s\n", error.c_str());
        return EXIT_PROBLEMS;
    }
    auto findings = LintPackage(input);
    std::vector<std::pair<std::string, std::string>> supportFiles;
    for (const auto& file : support) supportFiles.emplace_back(file.name, file.path);
    if (!LintTextFileForms(One(options, "settings"), supportFiles, findings, error)) {
        std::fprintf(stderr, "TreskPack: %s\n", error.c_str());
        return EXIT_PROBLEMS;
    }
    std::fputs(FormatFindings(findings).c_str(), stdout);
    if (findings.empty()) std::puts("no findings");
    return HasErrors(findings) ? EXIT_PROBLEMS : EXIT_OK;
}

}  // namespace

bool ParseSize(const std::string& text, uint64_t& bytes) {
    if (text.empty()) return false;
    uint64_t unit = 1;
    std::string digits = text;
    char last = digits.back();
    if (last == 'K' || last == 'k') unit = 1ull << 10;
    if (last == 'M' || last == 'm') unit = 1ull << 20;
    if (last == 'G' || last == 'g') unit = 1ull << 30;
    if (unit != 1) digits.pop_back();
    unsigned long long value = 0;
    if (!ParseNumber(digits, ~0ull / unit, value)) return false;
    bytes = value * unit;
    return bytes > 0;
}

int RunTreskPack(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return Usage("no command given", kUsage);
    const std::string& command = arguments.front();
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return EXIT_OK;
    }
    if (command == "build") return Build(arguments);
    if (command == "sign") return Sign(arguments);
    if (command == "verify") return Verify(arguments);
    if (command == "lint") return Lint(arguments);
    return Usage("unknown command " + command, kUsage);
}
