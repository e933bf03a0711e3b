#include "package/Builder.h"

#include <algorithm>
#include <filesystem>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>

#include "cab/CabSource.h"
#include "container/Container.h"
#include "container/VersionStamp.h"
#include "hash/PartHash.h"
#include "io/File.h"
#include "text/Utf.h"

namespace fs = std::filesystem;

namespace {

bool IsLanguageFile(const std::string& name) {
    std::string lower = LowerAscii(name);
    return lower.size() > 11 && lower.compare(0, 7, "default") == 0 && lower.compare(lower.size() - 4, 4, ".ulf") == 0;
}

// Sort rank of a support file: language files first (by number, Defaultx.ulf after them), then
// the band images, then everything else.
std::pair<int, std::string> Rank(const std::string& name, const IniDocument& settings) {
    if (IsLanguageFile(name)) {
        std::string middle = name.substr(7, name.size() - 11);
        if (LowerAscii(middle) == "x") return {1, ""};
        char padded[32];
        std::snprintf(padded, sizeof(padded), "%010lu", std::strtoul(middle.c_str(), nullptr, 10));
        return {0, padded + LowerAscii(name)};
    }
    for (const char* key : {"TopImage", "BottomImage"})
        if (EqualsNoCase(settings.GetOr("Images", key), name)) return {2, key};
    return {3, LowerAscii(name)};
}

// Language files go into the container as UTF-16LE, the form the program's profile reads need.
bool SupportBytes(const SupportFile& file, std::string& bytes, bool& converted, std::string& error) {
    converted = false;
    if (!IsLanguageFile(file.name)) return true;
    std::string raw, text;
    if (!ReadWholeFile(file.path, raw, error)) return false;
    if (!DecodeTextFile(raw, text, error)) {
        error = file.path + ": " + error;
        return false;
    }
    bytes = EncodeUtf16LeWithBom(text);
    converted = true;
    return true;
}

uint16_t RandomSetId() {
    std::random_device random;
    std::uniform_int_distribution<unsigned> distribution(1, 65535);
    return static_cast<uint16_t>(distribution(random));
}

// Removes files written so far, and the output folders this build created, when the build fails
// later on.
struct Cleanup {
    std::vector<std::string> paths;
    std::vector<fs::path> folders;  // deepest first
    bool keep = false;
    ~Cleanup() {
        if (keep) return;
        std::error_code ignored;
        for (const auto& path : paths) fs::remove(fs::u8path(path), ignored);
        for (const auto& folder : folders) fs::remove(folder, ignored);  // only while empty
    }
};

}  // namespace

bool CollectSupportFiles(const std::vector<std::string>& inputs, const IniDocument& settings,
                         std::vector<SupportFile>& files, std::string& error) {
    files.clear();
    std::set<std::string> seen;
    auto add = [&](const fs::path& path) {
        std::string name = path.filename().u8string();
        if (EqualsNoCase(name, SETTINGS_ENTRY_NAME)) return true;  // the settings file comes from --settings
        if (!CheckEntryName(name, error)) return false;
        if (!seen.insert(LowerAscii(name)).second) {
            error = "two support files are named " + name;
            return false;
        }
        files.push_back({name, path.u8string()});
        return true;
    };
    for (const auto& input : inputs) {
        std::error_code code;
        fs::path path = fs::u8path(input);
        if (fs::is_directory(path, code)) {
            std::vector<fs::path> entries;
            for (fs::directory_iterator it(path, code), end; !code && it != end; it.increment(code))
                if (it->is_regular_file(code)) entries.push_back(it->path());
            if (code) {
                error = "cannot read the folder " + input + ": " + code.message();
                return false;
            }
            for (const auto& entry : entries)
                if (!add(entry)) return false;
        } else if (fs::is_regular_file(path, code)) {
            if (!add(path)) return false;
        } else {
            error = "support file " + input + " does not exist";
            return false;
        }
    }
    std::stable_sort(files.begin(), files.end(), [&](const SupportFile& a, const SupportFile& b) {
        return Rank(a.name, settings) < Rank(b.name, settings);
    });
    return true;
}

bool LintInputFor(const IniDocument& settings, const std::vector<SupportFile>& support,
                  const std::string& payloadFolder, LintInput& input, std::string& error) {
    input = LintInput{};
    input.settings = &settings;
    for (const auto& file : support) {
        LintInput::SupportFile entry{file.name, ""};
        if (IsLanguageFile(file.name)) {
            std::string raw;
            if (!ReadWholeFile(file.path, raw, error)) return false;
            if (!DecodeTextFile(raw, entry.text, error)) {
                error = file.path + ": " + error;
                return false;
            }
        }
        input.supportFiles.push_back(entry);
    }
    if (!payloadFolder.empty()) {
        std::vector<CabSourceFile> payload;
        if (!CollectPayloadFolder(payloadFolder, payload, error, &input.refusedPayloadNames)) return false;
        for (const auto& file : payload) input.payloadNames.push_back(file.storedName);
        input.payloadKnown = true;
    }
    return true;
}

bool BuildPackage(const BuildOptions& options, BuildResult& result, std::string& error) {
    result = BuildResult{};
    std::string program;
    if (!ReadWholeFile(options.programPath, program, error)) return false;
    VersionStampLocation stamp;
    if (!FindVersionStamp(program, stamp, error)) {
        error = options.programPath + ": " + error;
        return false;
    }
    if (stamp.subtype != 0) {
        error = options.programPath + " already carries a container (it is a package, not the program file)";
        return false;
    }
    if (HasSignatureBlock(program)) {
        error = options.programPath + " carries a signature block; build from the unsigned program file and sign "
                "the package afterwards";
        return false;
    }
    if (static_cast<uint64_t>(program.size()) > 0xFFFFFFFFull) {
        error = "the program file is too large";
        return false;
    }

    IniDocument settings;
    if (!IniDocument::Load(options.settingsPath, settings, error)) return false;
    // The build writes the part entries itself; stale ones are neither checked nor kept.
    ClearPartEntries(settings);
    // A password the program cannot take back is refused before anything is packed or written.
    if (options.password) {
        std::random_device random;
        int number = ChoosePasswordRotation(*options.password, random());
        if (!ApplyPassword(settings, *options.password, number, error)) return false;
    }
    std::vector<SupportFile> support;
    if (!CollectSupportFiles(options.supportInputs, settings, support, error)) return false;

    std::vector<CabSourceFile> payload;
    if (!CollectPayloadFolder(options.payloadFolder, payload, error)) return false;
    if (payload.empty()) {
        error = "the payload folder " + options.payloadFolder + " holds no files";
        return false;
    }

    // Lint before anything is written.
    LintInput lint;
    if (!LintInputFor(settings, support, std::string(), lint, error)) return false;
    for (const auto& file : payload) lint.payloadNames.push_back(file.storedName);
    lint.payloadKnown = true;
    result.findings = LintPackage(lint);
    if (HasErrors(result.findings) && !options.ignoreLintErrors) {
        error = "the settings have errors (see above); fix them or build with --ignore-lint";
        return false;
    }

    Cleanup cleanup;
    std::error_code folderError, ignored;
    fs::path outputFolder = fs::u8path(options.outputPath).parent_path();
    for (fs::path folder = outputFolder; folder.has_relative_path() && !fs::exists(folder, ignored);
         folder = folder.parent_path())
        cleanup.folders.push_back(folder);
    if (!outputFolder.empty()) fs::create_directories(outputFolder, folderError);
    if (folderError) {
        error = "cannot create the output folder " + outputFolder.u8string() + ": " + folderError.message();
        return false;
    }

    CabWriteOptions cab;
    cab.partSize = options.partSize;
    cab.setId = options.setId ? *options.setId : RandomSetId();
    cab.level = options.level;
    cab.threads = options.threads;
    cab.progress = options.progress;
    CabWriteResult written;
    fs::path output = fs::u8path(options.outputPath);
    PackageFacts& facts = result.facts;
    std::string attachedCabinet;
    if (options.partSize == 0) {
        attachedCabinet = options.outputPath + ".payload.tmp";
        cleanup.paths.push_back(attachedCabinet);
        if (!WriteCabinet(payload, attachedCabinet, cab, written, error)) return false;
        facts.cabSize = written.cabinets.front().size;
        if (facts.cabSize > 0xFFFFFFFFull) {
            error = "the payload cabinet is too large to attach; build a multi-part package (--part-size)";
            return false;
        }
    } else {
        std::string base = (output.parent_path() / output.stem()).u8string();
        if (!WriteCabinetSet(payload, base, cab, written, error)) return false;
        facts.multiPart = true;
        facts.partBaseName = output.stem().u8string();
        std::time_t now = std::time(nullptr);
        for (const auto& part : written.cabinets) {
            cleanup.paths.push_back(part.path);
            PackageFacts::Part entry;
            PartHashes hashes;
            if (!PartHashesOfFile(part.path, hashes, error)) return false;
            entry.hash = hashes.sha1;
            entry.sha256 = hashes.sha256;
            entry.timestamp = PartTimestamp(now);
            facts.parts.push_back(entry);
        }
    }
    facts.setId = written.setId;
    facts.packageSize = written.uncompressedBytes;
    facts.fileCount = static_cast<uint32_t>(written.fileCount);
    FillPackageKeys(settings, facts);

    WriteStamp(program, stamp, static_cast<uint32_t>(program.size()));
    AtomicOutput out(options.outputPath);
    if (!out.Open(error)) return false;
    bool ok = WriteAll(out.Stream(), program.data(), program.size());
    if (!ok) error = "cannot write " + options.outputPath;
    ok = ok && AppendEntryFromBytes(out.Stream(), SETTINGS_ENTRY_NAME, ENTRY_SUPPORT_FILE, settings.ToUtf16File(), error);
    for (const auto& file : support) {
        if (!ok) break;
        std::string bytes;
        bool converted = false;
        ok = SupportBytes(file, bytes, converted, error);
        if (ok)
            ok = converted ? AppendEntryFromBytes(out.Stream(), file.name, ENTRY_SUPPORT_FILE, bytes, error)
                           : AppendEntryFromFile(out.Stream(), file.name, ENTRY_SUPPORT_FILE, file.path, error);
    }
    if (ok && !attachedCabinet.empty())
        ok = AppendEntryFromFile(out.Stream(), PAYLOAD_ENTRY_NAME, ENTRY_PAYLOAD, attachedCabinet, error);
    if (!ok || !out.Close(error) || !out.Commit(error)) return false;

    if (!attachedCabinet.empty()) fs::remove(fs::u8path(attachedCabinet), ignored);
    cleanup.keep = true;
    result.outputs.push_back(options.outputPath);
    for (const auto& part : written.cabinets)
        if (options.partSize != 0) result.outputs.push_back(part.path);
    return true;
}
