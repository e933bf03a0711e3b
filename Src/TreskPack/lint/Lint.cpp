#include "lint/Lint.h"

#include "lint/LintRules.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <set>

namespace {

// The program reads a value through a 1024-character buffer and a whole section through a
// 2000-character one (both UTF-16, both ending in nulls).
constexpr size_t kValueCharacters = 1023;
constexpr size_t kSectionCharacters = 1998;

// Length in UTF-16 code units of UTF-8 text: what the program's buffers count.
size_t Utf16Length(const std::string& utf8) {
    size_t units = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) == 0x80) continue;  // continuation byte
        units += c >= 0xF0 ? 2 : 1;        // four-byte sequences need a surrogate pair
    }
    return units;
}

bool IsDecimal(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

class Linter {
public:
    explicit Linter(const LintInput& input) : input(input), settings(*input.settings) {
        for (const auto& file : input.supportFiles) supportNames.insert(LowerAscii(file.name));
        for (const auto& name : input.payloadNames) payloadNames.insert(LowerAscii(name));
    }

    std::vector<LintFinding> Run() {
        CheckSupportFile("Images", "TopImage");
        CheckSupportFile("Images", "BottomImage");
        CheckLicenceFiles("LicenseFiles");
        CheckLicenceFiles("SecurityLicenseFiles");
        CheckLanguages();
        CheckLanguageFiles();
        CheckPayloadNames();
        CheckLaunchEntries();
        CheckReturnCodes();
        CheckNumbers();
        CheckSetupExitCode();
        CheckPartHashes();
        CheckLengths();
        LintConditions(settings, findings);
        LintOperatingSystems(settings, findings);
        return findings;
    }

private:
    void Add(bool error, const std::string& where, const std::string& message) {
        findings.push_back({error, where, message});
    }

    bool HasSupportFile(const std::string& name) const { return supportNames.count(LowerAscii(name)) != 0; }

    void CheckSupportFile(const char* section, const char* key) {
        std::string name = settings.GetOr(section, key);
        if (!name.empty() && !HasSupportFile(name))
            Add(true, std::string("[") + section + "] " + key, "names '" + name + "', which the package does not contain");
    }

    void CheckLicenceFiles(const char* section) {
        for (const auto& entry : settings.Entries(section)) {
            if (!IsDecimal(entry.first))
                Add(true, std::string("[") + section + "] " + entry.first, "the key must be a language number such as 1033");
            if (!entry.second.empty() && !HasSupportFile(entry.second))
                Add(true, std::string("[") + section + "] " + entry.first,
                    "names '" + entry.second + "', which the package does not contain");
        }
        if (settings.HasSection(section) && !settings.Get(section, "1033"))
            Add(false, std::string("[") + section + "]", "has no entry for 1033, the fallback language");
    }

    std::vector<std::string> SetupLanguages() const {
        return SplitList(settings.GetOr("Languages", "SetupLanguages"), ';');
    }

    void CheckLanguages() {
        for (const auto& language : SetupLanguages()) {
            if (!IsDecimal(language)) {
                Add(true, "[Languages] SetupLanguages", "'" + language + "' is not a language number");
                continue;
            }
            if (language != "1033" && !HasSupportFile("Default" + language + ".ulf"))
                Add(true, "[Languages] SetupLanguages",
                    "lists " + language + " but the package has no language file Default" + language + ".ulf");
        }
    }

    void CheckLanguageFiles() {
        for (const auto& file : input.supportFiles) {
            std::string lower = LowerAscii(file.name);
            if (lower.size() < 12 || lower.compare(0, 7, "default") != 0 || lower.compare(lower.size() - 4, 4, ".ulf") != 0)
                continue;
            std::string number = file.name.substr(7, file.name.size() - 11);
            if (LowerAscii(number) == "x") continue;
            if (!IsDecimal(number)) {
                Add(true, file.name, "a language file is named Default<language number>.ulf");
                continue;
            }
            IniDocument document = IniDocument::Parse(file.text);
            // The program takes the key "ID" exactly as written.
            std::optional<std::string> id;
            for (const auto& section : document.Sections())
                if (EqualsNoCase(section.name, "FileInfo"))
                    for (const auto& line : section.lines)
                        if (line.key == "ID" && !id) id = line.value;
            if (!id)
                Add(false, file.name, "has no [FileInfo] ID");
            else if (*id != number)
                Add(true, file.name, "[FileInfo] ID is " + *id + ", so the program refuses to load it as " + number);
        }
    }

    // The launch entries in the order the program reads them.
    std::vector<std::pair<std::string, std::string>> LaunchEntries() const {
        std::vector<std::pair<std::string, std::string>> entries;
        if (settings.GetOr("Runtime", "Multilaunch") == "1") {
            for (int n = 1;; ++n) {
                std::string key = "AutoLaunch" + std::to_string(n);
                std::string value = settings.GetOr("Runtime", key);
                if (value.empty()) break;
                entries.emplace_back(key, value);
            }
        } else {
            std::string value = settings.GetOr("Runtime", "AutoLaunch");
            if (!value.empty()) entries.emplace_back("AutoLaunch", value);
        }
        return entries;
    }

    void CheckLaunchEntries() {
        for (const auto& entry : LaunchEntries()) {
            std::string stored = "\\" + entry.second;
            while (stored.size() > 1 && stored[1] == '\\') stored.erase(1, 1);
            if (input.payloadKnown && payloadNames.count(LowerAscii(stored)) == 0)
                Add(true, "[Runtime] " + entry.first,
                    "launches '" + entry.second + "', which the payload does not contain");
        }
    }

    void CheckReturnCodes() {
        // 1033 is the setup language whenever the user's language is not listed, so its section
        // needs the messages too.
        std::vector<std::string> languages = SetupLanguages();
        if (std::find(languages.begin(), languages.end(), "1033") == languages.end()) languages.push_back("1033");
        for (const auto& entry : LaunchEntries()) {
            for (const auto& code : settings.Entries(entry.first)) {
                if (LowerAscii(code.first).compare(0, 11, "returncode_") != 0) continue;
                std::string where = "[" + entry.first + "] " + code.first;
                std::string number = code.first.substr(11);
                if (!(IsDecimal(number) || (number.size() > 1 && number[0] == '-' && IsDecimal(number.substr(1)))))
                    Add(true, where, "the key must be ReturnCode_ followed by a decimal return code");
                std::string value = code.second;
                std::string lower = LowerAscii(value);
                if (lower.compare(0, 6, "error:") == 0)
                    value = value.substr(6);
                else if (lower.compare(0, 8, "success:") == 0)
                    value = value.substr(8);
                else
                    Add(false, where, "has neither 'error:' nor 'success:', so the program ignores it");
                value = TrimText(value);
                if (value.empty()) continue;
                if (value.front() != '{' || value.back() != '}') {
                    Add(true, where, "the message must be a language key in braces, such as {InstallFailed}");
                    continue;
                }
                std::string key = value;
                while (!key.empty() && key.front() == '{') key.erase(0, 1);
                while (!key.empty() && key.back() == '}') key.pop_back();
                for (const auto& language : languages)
                    if (!settings.Get(language, key))
                        Add(true, where, "refers to {" + key + "}, which section [" + language + "] lacks");
            }
        }
    }

    void CheckNumbers() {
        std::string setId = settings.GetOr("Qirva", "GUID2");
        if (!setId.empty() && (!IsDecimal(setId) || std::strtoull(setId.c_str(), nullptr, 10) > 65535))
            Add(true, "[Qirva] GUID2", "must be a number from 0 to 65535");
        std::string maxLength = settings.GetOr("Runtime", "ExtractPathMaxLength");
        if (!maxLength.empty() && !IsDecimal(maxLength))
            Add(true, "[Runtime] ExtractPathMaxLength", "must be a number");
        std::string wait = settings.GetOr("Runtime", "WaitForAutolaunchFinish");
        if (!wait.empty() && wait != "0" && wait != "1")
            Add(false, "[Runtime] WaitForAutolaunchFinish", "'" + wait + "' is read as 1");
    }

    void CheckSetupExitCode() {
        const std::string where = "[Runtime] ReturnSetupExitCode";
        std::string value = settings.GetOr("Runtime", "ReturnSetupExitCode");
        if (value.empty() || value == "0") return;
        if (value != "1") {
            Add(false, where, "'" + value + "' is read as 0: only 1 passes the setup's exit code on");
            return;
        }
        if (LaunchEntries().empty())
            Add(false, where, "the package launches no setup, so there is no exit code to pass on");
        else if (settings.GetOr("Runtime", "WaitForAutolaunchFinish") == "0")
            Add(false, where,
                "WaitForAutolaunchFinish=0: the program does not wait for the setup, so there is no exit code "
                "to pass on");
    }

    // The part hashes the packager records. The program compares them exactly, so a value in
    // upper case or of another length makes it refuse the part as corrupt; once [HashCode256]
    // holds any entry, every listed part needs one there too.
    void CheckPartHashes() {
        struct Kind {
            const char* section;
            size_t digits;
            bool always;  // checked by the program even when the section is missing
        };
        std::vector<std::string> parts;
        for (const auto& entry : settings.Entries("PartFileIno"))
            if (!entry.second.empty()) parts.push_back(entry.first);
        for (const Kind kind : {Kind{"HashCode", 32, true}, Kind{"HashCode256", 64, false}}) {
            auto entries = settings.Entries(kind.section);
            if (entries.empty() && !kind.always) continue;
            const std::string section = std::string("[") + kind.section + "]";
            for (const auto& entry : entries) {
                const std::string where = section + " " + entry.first;
                if (entry.first.size() != 3 || !IsDecimal(entry.first) || entry.first == "000")
                    Add(true, where, "the key must be a part number of three digits, such as 001");
                const std::string& value = entry.second;
                bool hex = std::all_of(value.begin(), value.end(),
                                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
                if (value.size() != kind.digits || !hex)
                    Add(true, where,
                        "must be " + std::to_string(kind.digits) +
                            " lower-case hexadecimal digits; the program refuses the part as corrupt otherwise");
            }
            for (const auto& part : parts)
                if (settings.GetOr(kind.section, part).empty())
                    Add(true, section,
                        "has no entry for part " + part + " of [PartFileIno]; the program refuses that part as corrupt");
        }
    }

    // Values and whole sections longer than the program's read buffers would be cut without a
    // word at run time (a cut condition expression, say, comes out false).
    void CheckLengths() {
        std::set<std::string> wholeSections = {"runtime", "os"};
        for (const auto& entry : LaunchEntries()) wholeSections.insert(LowerAscii(entry.first));
        for (const auto& section : settings.Sections()) {
            size_t sectionLength = 0;
            for (const auto& line : section.lines) {
                if (line.key.empty()) continue;
                size_t length = Utf16Length(line.value);
                sectionLength += Utf16Length(line.key) + 1 + length + 1;
                if (length > kValueCharacters)
                    Add(true, "[" + section.name + "] " + line.key,
                        "the value is " + std::to_string(length) + " characters long; the program reads only the first " +
                            std::to_string(kValueCharacters) + " (cut at " + std::to_string(kValueCharacters) +
                            " characters)");
            }
            if (wholeSections.count(LowerAscii(section.name)) && sectionLength > kSectionCharacters)
                Add(true, "[" + section.name + "]",
                    "the section is " + std::to_string(sectionLength) + " characters long; the program reads it whole "
                    "but only the first " + std::to_string(kSectionCharacters) + " (cut at " +
                        std::to_string(kSectionCharacters) + " characters)");
        }
    }

    void CheckPayloadNames() {
        for (const auto& refused : input.refusedPayloadNames) Add(true, refused.first, refused.second);
    }

    const LintInput& input;
    const IniDocument& settings;
    std::set<std::string> supportNames;
    std::set<std::string> payloadNames;
    std::vector<LintFinding> findings;
};

}  // namespace

std::vector<LintFinding> LintPackage(const LintInput& input) {
    if (!input.settings) return {};
    return Linter(input).Run();
}

bool HasErrors(const std::vector<LintFinding>& findings) {
    return std::any_of(findings.begin(), findings.end(), [](const LintFinding& f) { return f.error; });
}

std::string FormatFindings(const std::vector<LintFinding>& findings) {
    std::string text;
    for (bool errors : {true, false})
        for (const auto& finding : findings)
            if (finding.error == errors)
                text += std::string(errors ? "error: " : "warning: ") + finding.where + ": " + finding.message + "\n";
    return text;
}
