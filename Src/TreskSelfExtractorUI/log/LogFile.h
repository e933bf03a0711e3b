#pragma once
// Line-oriented text log shared by the whole program. Every call opens the file, appends its
// line (or lines) and closes it again, so the file is complete on disk after each call.

#include <cstdarg>
#include <cstdint>
#include <string>

#include "util/Format.h"
#include <type_traits>
#include <vector>

enum LogLevel : int {
    LOG_ERROR = 0,
    LOG_WARNING = 1,
    LOG_INFO = 8,
    LOG_DETAIL = 11,
};

constexpr int LOG_LEVEL_COUNT = 12;
constexpr int LOG_THRESHOLD_NORMAL = 9;
constexpr int LOG_THRESHOLD_DEBUG = 11;


// The 8-bit form in which log text is stored: the ANSI code page of the machine, every line feed
// written as CR LF. A character that the code page cannot hold is written as '?'. Best-fit mapping
// is switched off so that no character is silently turned into a different one (a full-width
// backslash must not appear in the log as a path separator).
std::string ToLogBytes(const std::wstring& text);

class CLogFile {
public:
    CLogFile() = default;
    virtual ~CLogFile() = default;
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    int InitLog(const std::wstring& path, int threshold);
    int DeleteLogFile();

    template <typename... Args>
    int Log(int level, const wchar_t* function, const wchar_t* format, const Args&... args) {
        return LogFormatted(level, function, format, formatdetail::Pass(args)...);
    }
    // One line per argument, each formatted with format (one %s), in one append.
    int LogLines(int level, const wchar_t* function, const wchar_t* format, const std::vector<std::wstring>& arguments);
    template <typename... Args>
    int LogUnnamed(int level, const wchar_t* format, const Args&... args) {
        return LogUnnamedFormatted(level, format, formatdetail::Pass(args)...);
    }
    template <typename... Args>
    int WriteRaw(const wchar_t* format, const Args&... args) {
        return WriteRawFormatted(format, formatdetail::Pass(args)...);
    }

    static std::wstring GetLevelText(int level);

    const std::wstring& GetFilePath() const { return filePath; }
    std::wstring GetFileName() const;
    int GetThreshold() const { return threshold; }

    // Lines written per level since the first InitLog; 0 for every level before it.
    static unsigned GetLevelCount(int level);

protected:
    int LogFormatted(int level, const wchar_t* function, const wchar_t* format, ...);
    int LogUnnamedFormatted(int level, const wchar_t* format, ...);
    int WriteRawFormatted(const wchar_t* format, ...);

    static bool CountersReady();

private:
    bool Filtered(int level) const { return level > threshold && level > 6; }
    void Count(int level);
    std::wstring MakeLine(int level, const std::wstring& functionColumn, const wchar_t* separator,
                          const std::wstring& message) const;
    // Appends the text; with createFolders a failed open creates the missing folders of the
    // path and tries once more. Returns whether the file could be opened.
    bool Append(const std::wstring& text, bool createFolders) const;

    std::wstring filePath;
    int threshold = LOG_THRESHOLD_NORMAL;
};
