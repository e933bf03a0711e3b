#include "package/Verifier.h"

#include <filesystem>
#include <random>

#include "cab/CabReader.h"
#include "container/Container.h"
#include "container/VersionStamp.h"
#include "hash/PartHash.h"
#include "io/File.h"
#include "settings/IniDocument.h"
#include "settings/PackageSettings.h"
#include "sign/SignatureCheck.h"
#include "text/Utf.h"

namespace fs = std::filesystem;

namespace {

// The program image is small; only its headers and resources are needed to find the stamp.
constexpr size_t kProgramPrefix = 64 << 20;

const char* KindText(uint16_t kind) {
    return kind == ENTRY_SUPPORT_FILE ? "support file" : kind == ENTRY_PAYLOAD ? "payload" : "unknown kind";
}

// Where the program looks for part n: <base>.nnn beside it, or the name it was renamed to.
std::string PartPath(const fs::path& folder, const std::string& base, int number) {
    return (folder / fs::u8path(base + "." + PartKey(number))).u8string();
}

}  // namespace

bool VerifyPackage(const VerifyOptions& options, VerifyReport& report, std::string& error) {
    InputFile file;
    if (!file.Open(options.packagePath, error)) return false;
    std::string prefix(static_cast<size_t>(std::min<uint64_t>(file.Size(), kProgramPrefix)), '\0');
    if (!prefix.empty() && !file.ReadAt(0, &prefix[0], prefix.size(), error)) return false;
    VersionStampLocation stamp;
    if (!FindVersionStamp(prefix, stamp, error)) return false;
    report.lines.push_back("container offset: " + std::to_string(stamp.subtype));
    if (stamp.subtype == 0) {
        report.problems.push_back("the version stamp is 0: this is the bare program, not a package");
        return true;
    }
    SignatureReport signature;
    if (!CheckSignature(options.packagePath, signature, error)) return false;
    report.lines.insert(report.lines.end(), signature.lines.begin(), signature.lines.end());
    report.problems.insert(report.problems.end(), signature.problems.begin(), signature.problems.end());
    std::vector<ContainerEntry> entries;
    if (!ReadContainer(options.packagePath, stamp.subtype, entries, error)) {
        report.problems.push_back(error);
        error.clear();
        return true;
    }
    bool payloadSeen = false;
    const ContainerEntry* settingsEntry = nullptr;
    const ContainerEntry* payloadEntry = nullptr;
    for (const auto& entry : entries) {
        report.lines.push_back("entry: " + entry.name + " (" + KindText(entry.kind) + ", " + std::to_string(entry.size) +
                               " bytes)");
        std::string nameError;
        if (!CheckEntryName(entry.name, nameError)) report.problems.push_back(nameError);
        if (entry.kind == ENTRY_PAYLOAD) {
            payloadSeen = true;
            if (entry.name == PAYLOAD_ENTRY_NAME) payloadEntry = &entry;
        } else if (payloadSeen) {
            report.problems.push_back(entry.name + " comes after the payload: the program never reads it");
        }
        if (entry.kind == ENTRY_SUPPORT_FILE && EqualsNoCase(entry.name, SETTINGS_ENTRY_NAME) && !settingsEntry)
            settingsEntry = &entry;
    }
    if (entries.empty()) report.problems.push_back("the container holds no entries");
    if (!settingsEntry) {
        report.problems.push_back("the container holds no settings file " + std::string(SETTINGS_ENTRY_NAME));
        return true;
    }
    std::string bytes, text;
    if (!ReadEntryBytes(options.packagePath, *settingsEntry, bytes, error)) return false;
    if (bytes.compare(0, 2, "\xFF\xFE") != 0)
        report.problems.push_back("the settings file is not UTF-16LE with byte-order mark");
    if (!DecodeTextFile(bytes, text, error)) {
        report.problems.push_back("the settings file cannot be read: " + error);
        error.clear();
        return true;
    }
    IniDocument settings = IniDocument::Parse(text);
    unsigned long setId = std::strtoul(settings.GetOr("Qirva", "GUID2", "0").c_str(), nullptr, 10);
    report.lines.push_back("cabinet set identifier: " + std::to_string(setId));

    std::vector<std::string> cabinets;
    std::string temporaryCabinet;
    fs::path folder = fs::u8path(options.packagePath).parent_path();
    bool multiPart = std::strtol(settings.GetOr("Package", "MultiPartDownload", "0").c_str(), nullptr, 10) == 1;
    if (multiPart) {
        std::string base = settings.GetOr("Package", "MultipartFileName");
        // The program's second naming: its own file name without the last five characters.
        std::string programName = fs::u8path(options.packagePath).filename().u8string();
        std::string alternative = programName.size() > 5 ? programName.substr(0, programName.size() - 5) : "";
        if (!fs::exists(fs::u8path(PartPath(folder, base, 1))) && !alternative.empty() &&
            fs::exists(fs::u8path(PartPath(folder, alternative, 1))))
            base = alternative;
        // The program checks the SHA-256 of every part once the section holds any entry.
        const bool checkSha256 = !settings.Entries("HashCode256").empty();
        report.lines.push_back(checkSha256 ? "part hashes: [HashCode] and [HashCode256] (SHA-256)"
                                           : "part hashes: [HashCode] only (no [HashCode256])");
        for (int n = 1;; ++n) {
            std::string key = PartKey(n);
            if (settings.GetOr("PartFileIno", key).empty()) break;
            std::string path = PartPath(folder, base, n);
            cabinets.push_back(path);
            if (!fs::exists(fs::u8path(path))) {
                report.problems.push_back("part " + key + " is missing: " + path);
                continue;
            }
            PartHashes hashes;
            if (!PartHashesOfFile(path, hashes, error)) {
                report.problems.push_back(error);
                error.clear();
            } else if (hashes.sha1 != settings.GetOr("HashCode", key)) {
                report.problems.push_back("part " + key + " is corrupt: its hash " + hashes.sha1 +
                                          " differs from [HashCode] " + key + "=" + settings.GetOr("HashCode", key));
                continue;
            } else if (checkSha256 && hashes.sha256 != settings.GetOr("HashCode256", key)) {
                report.problems.push_back("part " + key + " is corrupt: its SHA-256 " + hashes.sha256 +
                                          " differs from [HashCode256] " + key + "=" +
                                          settings.GetOr("HashCode256", key));
                continue;
            }
            CabHeader header;
            if (!ReadCabinetHeader(path, header, error)) {
                report.problems.push_back("part " + key + ": " + error);
                error.clear();
                continue;
            }
            if (header.setId != setId)
                report.problems.push_back("part " + key + " belongs to cabinet set " + std::to_string(header.setId));
            if (header.cabinetIndex != n - 1)
                report.problems.push_back("part " + key + " holds cabinet number " + std::to_string(header.cabinetIndex));
            report.lines.push_back("part " + key + ": " + path + " ok");
        }
        if (cabinets.empty()) report.problems.push_back("[PartFileIno] lists no part files");
    } else {
        if (!payloadEntry) {
            report.problems.push_back("the container holds no payload entry " + std::string(PAYLOAD_ENTRY_NAME));
            return true;
        }
        // A private copy in the temporary folder: the package's own folder may be read-only, and
        // two checks of one package must not share a file.
        std::error_code code;
        std::random_device random;
        temporaryCabinet = (fs::temp_directory_path(code) /
                            ("treskpack_verify_" + std::to_string(random()) + std::to_string(random()) + ".cab"))
                               .u8string();
        if (!CopyEntryToFile(options.packagePath, *payloadEntry, temporaryCabinet, error)) return false;
        cabinets.push_back(temporaryCabinet);
        CabHeader header;
        if (!ReadCabinetHeader(temporaryCabinet, header, error)) {
            report.problems.push_back("payload: " + error);
            error.clear();
        } else if (header.setId != setId) {
            report.problems.push_back("the payload belongs to cabinet set " + std::to_string(header.setId));
        }
    }

    if (!options.extractTo.empty() && report.problems.empty()) {
        CabExtractOptions extract;
        extract.progress = options.progress;
        CabExtractResult extracted;
        if (!ExtractCabinets(cabinets, options.extractTo, extract, extracted, error)) {
            report.problems.push_back("extraction failed: " + error);
            error.clear();
        } else {
            report.lines.push_back("extracted " + std::to_string(extracted.files.size()) + " files (" +
                                   std::to_string(extracted.bytes) + " bytes) to " + options.extractTo);
            unsigned long count = std::strtoul(settings.GetOr("FileCount", "Count", "0").c_str(), nullptr, 10);
            if (count != extracted.files.size())
                report.problems.push_back("[FileCount] Count is " + std::to_string(count) + " but the payload holds " +
                                          std::to_string(extracted.files.size()) + " files");
        }
    }
    if (!temporaryCabinet.empty()) {
        std::error_code ignored;
        fs::remove(fs::u8path(temporaryCabinet), ignored);
    }
    return true;
}
