#pragma once
// Settings checks of the package's conditions and supported-OS rules. They use the program's own
// condition grammar (names, fields, operators, hives, the reduction of expressions), so the
// packager and the program agree on what is valid.

#include <vector>

#include "lint/Lint.h"

void LintConditions(const IniDocument& settings, std::vector<LintFinding>& findings);
void LintOperatingSystems(const IniDocument& settings, std::vector<LintFinding>& findings);
