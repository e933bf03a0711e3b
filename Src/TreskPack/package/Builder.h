#pragma once
// Builds a package: a copy of the program file with the version stamp and the container of
// support files, the settings completed with what only the packager knows, and the payload as an
// attached cabinet or as part files beside the program.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cab/CabWriter.h"
#include "lint/Lint.h"
#include "settings/PackageSettings.h"

struct BuildOptions {
    std::string programPath;
    std::string settingsPath;
    std::vector<std::string> supportInputs;  // files, or folders whose files are all taken
    std::string payloadFolder;
    std::string outputPath;                  // the package program file
    uint64_t partSize = 0;                   // 0: single-file package
    std::optional<uint16_t> setId;           // default: random, never 0
    std::optional<std::string> password;     // plain extraction password
    int level = 6;
    unsigned threads = 0;
    bool ignoreLintErrors = false;
    CabProgress progress;
};

struct BuildResult {
    std::vector<std::string> outputs;  // the program file, then the part files
    PackageFacts facts;
    std::vector<LintFinding> findings;
};

bool BuildPackage(const BuildOptions& options, BuildResult& result, std::string& error);

// The support files in container order: language files by number, Defaultx.ulf, the band
// images, then the rest by name. Fails on names the container cannot carry or duplicates.
struct SupportFile {
    std::string name;
    std::string path;
};
bool CollectSupportFiles(const std::vector<std::string>& inputs, const IniDocument& settings,
                         std::vector<SupportFile>& files, std::string& error);

// What the settings check needs to know of the package's files. payloadFolder may be empty.
bool LintInputFor(const IniDocument& settings, const std::vector<SupportFile>& support,
                  const std::string& payloadFolder, LintInput& input, std::string& error);
