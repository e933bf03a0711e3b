// Fuzzes the reading of a package's settings file and what the packager does with it: decoding
// (UTF-8 with or without byte-order mark, UTF-16 in either byte order), the INI parse, the
// settings check, the keys the packager fills in, the stored password, and writing the file back
// as UTF-16 for the program.
//
// Input: the bytes of a settings file.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "lint/Lint.h"
#include "settings/IniDocument.h"
#include "settings/PackageSettings.h"
#include "text/Utf.h"

namespace {

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz: %s\n", what);
    __builtin_trap();
}

std::string WithoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size), text, error;
    if (!DecodeTextFile(bytes, text, error)) return 0;
    IniDocument settings = IniDocument::Parse(text);

    LintInput input;
    input.settings = &settings;
    input.supportFiles = {{"Defaultx.ulf", ""}, {"Default1031.ulf", "[FileInfo]\nID=1031\n"},
                          {"TopImage.png", ""}, {"License1033.txt", ""}};
    input.payloadNames = {"\\Setup.exe", "\\Docs\\ReadMe.txt"};
    input.payloadKnown = true;
    FormatFindings(LintPackage(input));

    PackageFacts facts;
    facts.packageSize = size;
    facts.fileCount = 2;
    facts.setId = 4711;
    facts.multiPart = size % 2 == 0;
    facts.partBaseName = "Product";
    facts.parts = {{PartTimestamp(0), "00"}, {PartTimestamp(86400), "11"}};
    FillPackageKeys(settings, facts);

    // The password as the settings give it: the program must get back what the packager stored.
    std::string plain = settings.GetOr("Runtime", "ExtractionPassword", "secret");
    int number = ChoosePasswordRotation(plain, static_cast<unsigned>(size));
    if (ApplyPassword(settings, plain, number, error)) {
        auto stored = settings.Get("Runtime", "ExtractionPassword");
        Require(stored && UnrotatePassword(*stored, number) == plain, "the stored password does not give the plain one back");
    }

    // The file the program reads holds the document's text with CR LF line ends.
    std::string written;
    Require(DecodeTextFile(settings.ToUtf16File(), written, error), "the written settings file cannot be read back");
    Require(WithoutCarriageReturns(written) == WithoutCarriageReturns(settings.ToText()),
            "the written settings file differs from the document");
    return 0;
}
