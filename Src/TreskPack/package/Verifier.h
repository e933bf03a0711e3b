#pragma once
// Reads a package back the way the program does: finds the container through the version
// stamp, lists its entries, reads the settings, and checks every part file (presence, hashes,
// cabinet set and number) or the attached payload cabinet; optionally extracts the payload. A
// signed package's signature is checked too (sign/SignatureCheck).

#include <string>
#include <vector>

#include "cab/CabWriter.h"

struct VerifyOptions {
    std::string packagePath;
    std::string extractTo;  // empty: do not extract
    CabProgress progress;
};

struct VerifyReport {
    std::vector<std::string> lines;     // what was found, in order
    std::vector<std::string> problems;  // what the program would refuse
};

// False only when the package cannot be read at all (error says why); problems of a readable
// package are listed in the report.
bool VerifyPackage(const VerifyOptions& options, VerifyReport& report, std::string& error);
