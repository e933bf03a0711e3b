#include "lint/LintTextForm.h"

#include "io/File.h"
#include "settings/IniDocument.h"
#include "util/TextFileForm.h"

namespace {

bool IsLanguageFileName(const std::string& name) {
    std::string lower = LowerAscii(name);
    return lower.size() > 11 && lower.compare(0, 7, "default") == 0 && lower.compare(lower.size() - 4, 4, ".ulf") == 0;
}

std::string FileNameOf(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool TextFormFinding(const std::string& name, const std::string& bytes, LintFinding& finding) {
    using textfileform::Form;
    Form form = textfileform::Classify(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    // ASCII text reads the same in every form.
    if (form == Form::Utf16Le || form == Form::Ascii) return false;
    finding.error = false;
    finding.where = name;
    finding.message = std::string("is ") + textfileform::Describe(form) +
                      ", not UTF-16LE with byte-order mark: TreskPack build stores it as UTF-16LE, but a package "
                      "that carries it as it is has it read in the system's 8-bit code page, where characters "
                      "outside ASCII come out wrong";
    return true;
}

bool LintTextFileForms(const std::string& settingsPath, const std::vector<std::pair<std::string, std::string>>& support,
                       std::vector<LintFinding>& findings, std::string& error) {
    std::vector<std::pair<std::string, std::string>> files = {{FileNameOf(settingsPath), settingsPath}};
    for (const auto& file : support)
        if (IsLanguageFileName(file.first)) files.push_back(file);
    for (const auto& file : files) {
        std::string bytes;
        if (!ReadWholeFile(file.second, bytes, error)) return false;
        LintFinding finding;
        if (TextFormFinding(file.first, bytes, finding)) findings.push_back(finding);
    }
    return true;
}
