#pragma once
// The settings file and the language files as the program reads them: through the system's
// profile functions, which take only UTF-16LE with byte-order mark as Unicode. TreskPack build
// stores them in that form whatever form they are given in; a package that carries them as they
// are (built by other means, or changed afterwards) has them read in the system's 8-bit code page,
// where characters outside ASCII come out wrong. lint says so for each such file.

#include <string>
#include <utility>
#include <vector>

#include "lint/Lint.h"

// A warning for every file that holds characters outside ASCII and is not UTF-16LE with
// byte-order mark: the settings file, and the language files (Default*.ulf) among the support
// files given as (container name, path). False when a file cannot be read.
bool LintTextFileForms(const std::string& settingsPath, const std::vector<std::pair<std::string, std::string>>& support,
                       std::vector<LintFinding>& findings, std::string& error);

// The finding for one file's bytes, if any.
bool TextFormFinding(const std::string& name, const std::string& bytes, LintFinding& finding);
