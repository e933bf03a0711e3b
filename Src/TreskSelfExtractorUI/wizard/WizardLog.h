#pragma once
// Writes the log lines that the wizard's decisions ask for.

#include <vector>

#include "log/BuildLogFile.h"
#include "wizard/PageChoice.h"

inline void WriteWizardLog(const std::vector<WizardLogLine>& lines) {
    for (const auto& line : lines) theLog.Log(line.level, line.tag.c_str(), L"%s", line.text);
}
