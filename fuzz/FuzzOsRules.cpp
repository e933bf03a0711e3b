// Fuzzes the check of a package's supported-OS rules: the [OS] section's allowed list and its
// exclusion and warning variants, operands joined by &&, || and &&!. The program applies these
// rules against the running Windows, which needs the Windows API; the packager checks the same
// syntax without it, and that check is what runs here.
//
// Input: settings text as the packager reads it (UTF-8 or UTF-16 with byte-order mark). Bytes that
// are neither still go to the parse as they are: the check must take any text.

#include <cstdint>
#include <string>
#include <vector>

#include "lint/LintRules.h"
#include "settings/IniDocument.h"
#include "text/Utf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size), text, error;
    if (!DecodeTextFile(bytes, text, error)) text = bytes;
    IniDocument settings = IniDocument::Parse(text);
    std::vector<LintFinding> findings;
    LintOperatingSystems(settings, findings);
    FormatFindings(findings);
    return 0;
}
