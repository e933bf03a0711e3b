#pragma once
// Signs a built package out of place: the signer writes a signed copy beside the package, the copy
// is checked (still the same package, a signature that vouches for it), and only then does it
// replace the package. A failing signer leaves the package as it was. A signed package is signed
// anew from an unsigned copy, so its signature is replaced, whichever signer is used. A
// multi-part package's program file is signed; its parts are covered by the hashes in its settings.
// Without a description the built-in signer is given the package's display name ([Package] NameDispl).

#include <string>
#include <vector>

#include "sign/SignerCommand.h"

struct SignResult {
    std::vector<std::string> lines;     // what was done, and the new signature's facts
    std::vector<std::string> warnings;
};

bool SignPackage(const std::string& packagePath, const SignerOptions& options, SignResult& result,
                 std::string& error);
