#pragma once
// Checks a package's settings against its files before it is built. The program itself reports
// no syntax errors at run time (a broken condition or OS rule simply comes out false), so the
// packager has to catch them.

#include <string>
#include <utility>
#include <vector>

#include "settings/IniDocument.h"

struct LintFinding {
    bool error = true;    // false: a warning that does not stop the build
    std::string where;    // "[Section] Key" or a file name
    std::string message;
};

struct LintInput {
    const IniDocument* settings = nullptr;
    // Support files by container name, with their text decoded where they are language files.
    struct SupportFile {
        std::string name;
        std::string text;  // UTF-8 text of .ulf files; empty for others
    };
    std::vector<SupportFile> supportFiles;
    // Stored names of the payload files ("\\Setup\\Start.exe"); empty when not known.
    std::vector<std::string> payloadNames;
    bool payloadKnown = false;
    // Payload files whose names cannot be stored (file path, reason); they are left out of
    // payloadNames.
    std::vector<std::pair<std::string, std::string>> refusedPayloadNames;
};

std::vector<LintFinding> LintPackage(const LintInput& input);

// "[Section] Key: message" lines, errors first.
std::string FormatFindings(const std::vector<LintFinding>& findings);
bool HasErrors(const std::vector<LintFinding>& findings);
