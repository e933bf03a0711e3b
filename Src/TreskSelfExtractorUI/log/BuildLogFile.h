#pragma once
// The log of the process: the line writer plus the frame of each log file (start banner with the
// run stamp, and at exit the summary with the error and warning counts).

#include "log/LogFile.h"

extern const wchar_t* const LOG_END_BANNER;

class CBuildLogFile : public CLogFile {
public:
    ~CBuildLogFile() override = default;

    void WriteHeader();
    void Finish();
    void WriteSummary();

    unsigned GetErrorCount() const;
    unsigned GetWarningCount() const;
    const std::wstring& GetRunStamp() const { return runStamp; }

private:
    std::wstring runStamp;
};

// The one log object of the process.
extern CBuildLogFile theLog;
