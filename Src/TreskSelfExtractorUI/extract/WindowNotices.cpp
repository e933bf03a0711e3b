#include "extract/WindowNotices.h"

#include "log/BuildLogFile.h"

namespace {

// Often enough for the progress bar and the log to follow the files closely.
constexpr DWORD kBatchMs = 50;
constexpr size_t kMaxLines = 256;
// Well below NOTIFY_SEND, which a progress argument must never be.
constexpr LPARAM kMaxSteps = 100;

}  // namespace

void CWindowNotices::Line(int level, const wchar_t* function, const std::wstring& text) {
    CWorkerNotifier notifier(window);
    if (!notifier.IsAlive()) {
        FlushLines();
        theLog.Log(level, function, L"%s", text);
        return;
    }
    if (lineCount > 0 && (lines.level != level || lines.function != function)) FlushLines();
    if (lineCount == 0) {
        lines = CWorkerLogRecord{level, function, L"%s", text};
        linesSince = GetTickCount();
    } else {
        lines.moreArguments.push_back(text);
    }
    ++lineCount;
    if (lineCount >= kMaxLines || GetTickCount() - linesSince >= kBatchMs) FlushLines();
}

void CWindowNotices::Step() {
    if (steps == 0) stepsSince = GetTickCount();
    ++steps;
    if (steps >= kMaxSteps || GetTickCount() - stepsSince >= kBatchMs) FlushSteps();
}

void CWindowNotices::Flush() {
    FlushLines();
    FlushSteps();
}

void CWindowNotices::FlushLines() {
    if (lineCount == 0) return;
    if (!CWorkerNotifier(window).PostLog(lines)) {
        // The window is gone: the lines are written here, in their order.
        theLog.Log(lines.level, lines.function.c_str(), L"%s", lines.argument);
        for (const auto& more : lines.moreArguments) theLog.Log(lines.level, lines.function.c_str(), L"%s", more);
    }
    lines.moreArguments.clear();
    lineCount = 0;
}

void CWindowNotices::FlushSteps() {
    if (steps == 0) return;
    CWorkerNotifier(window).Notify(WM_EXTRACT_PROGRESS, PROGRESS_STEP, steps);
    steps = 0;
}
