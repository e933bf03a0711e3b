#pragma once
// What the extraction tells its window while it runs: log lines and progress steps. Gathered
// into batches, they cost the window's thread one message (and the log one append) for many
// files instead of one message per line and one per step, which leaves the processor to the
// extraction. A batch goes out when it is full, when it has waited long enough, when the kind of
// line changes, and whenever the caller flushes (the output writer does before it waits for
// work, so nothing gathered waits longer than the work before it).
// One thread at a time uses an object: the output writer's thread while it runs, else the
// engine's.

#include <windows.h>

#include <string>

#include "app/WorkerMessages.h"

class CWindowNotices {
public:
    explicit CWindowNotices(HWND window) : window(window) {}
    ~CWindowNotices() { Flush(); }
    CWindowNotices(const CWindowNotices&) = delete;
    CWindowNotices& operator=(const CWindowNotices&) = delete;

    // A log line (written by the window's thread, or here when there is no window).
    void Line(int level, const wchar_t* function, const std::wstring& text);
    // One progress step.
    void Step();
    // Posts what is gathered.
    void Flush();

private:
    void FlushLines();
    void FlushSteps();

    HWND window;
    CWorkerLogRecord lines;  // argument, then moreArguments
    size_t lineCount = 0;
    DWORD linesSince = 0;
    LPARAM steps = 0;
    DWORD stepsSince = 0;
};
