#pragma once
// The record file of the stand-in setup (tests/unit/fixtures/launch/LaunchProbe.cpp): one line
// "program TAB arguments TAB package temporary folders" for each start, and "program TAB end"
// when a start with /sleep=N has waited.

#include <string>
#include <vector>

#include "LogLines.h"

struct ProbeRecord {
    std::string program, arguments, packageTempFolders;
};

// The starts recorded in the file, in the order they happened; the end lines are left out.
inline std::vector<ProbeRecord> ReadProbeRecords(const std::wstring& path) {
    std::vector<ProbeRecord> records;
    for (const auto& line : ReadLogLines(path)) {
        size_t first = line.find('\t');
        size_t last = line.rfind('\t');
        if (first == std::string::npos || line.substr(first + 1) == "end") continue;
        records.push_back({line.substr(0, first), line.substr(first + 1, last - first - 1), line.substr(last + 1)});
    }
    return records;
}
