#pragma once
// The program's log files as the Windows-side tests read them: the lines of a file written with
// CR LF line ends, and where a text stands among them.

#include <algorithm>
#include <string>
#include <vector>

#include "FileBytes.h"

// The lines of a log or text file written with CR LF line ends, without them.
inline std::vector<std::string> SplitCrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The lines of the file at path; none when the file is missing.
inline std::vector<std::string> ReadLogLines(const std::wstring& path) {
    return SplitCrLfLines(ReadBytes(path));
}

// The first line at or after from that holds text; std::string::npos when none does.
inline size_t IndexOf(const std::vector<std::string>& lines, const std::string& text, size_t from = 0) {
    for (size_t i = from; i < lines.size(); ++i)
        if (lines[i].find(text) != std::string::npos) return i;
    return std::string::npos;
}

// Whether any line holds text.
inline bool Contains(const std::vector<std::string>& lines, const std::string& text) {
    return IndexOf(lines, text) != std::string::npos;
}

// How many lines hold text.
inline size_t CountContaining(const std::vector<std::string>& lines, const std::string& text) {
    return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(text) != std::string::npos;
    }));
}

// A function column of a log line with the bars around it, as the log writes it: the name padded
// to 35 characters (a longer one is kept whole) and a blank before the closing bar.
inline std::string Column(const std::string& function) {
    return "|" + function + std::string(function.size() < 35 ? 35 - function.size() : 0, ' ') + " |";
}

// The messages of the log lines written under function, in order (the text after the column).
inline std::vector<std::string> LogMessages(const std::wstring& logPath, const std::string& function) {
    std::vector<std::string> messages;
    const std::string column = Column(function);
    for (const auto& line : ReadLogLines(logPath)) {
        size_t at = line.find(column);
        if (at != std::string::npos) messages.push_back(line.substr(at + column.size()));
    }
    return messages;
}
