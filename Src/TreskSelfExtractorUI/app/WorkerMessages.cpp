#include "app/WorkerMessages.h"

#include <atomic>

#include "app/WorkerThread.h"
#include "log/BuildLogFile.h"

namespace {

// Log lines handed to a window's thread and not yet written. A worker that posts far faster than
// the window's thread writes waits here, so the window's message queue (which takes at most some
// thousands of posted messages) never overflows, no line is lost, and the lines waiting (each a
// string of its own) stay few however long the run.
// The count belongs to one window: records left in the queue of a window that was destroyed are
// never written, so the count starts again for the next window.
std::atomic<long> g_pendingLogLines{0};
std::atomic<HWND> g_backlogWindow{nullptr};
constexpr long kMaxPendingLogLines = 4096;

long LinesOf(const CWorkerLogRecord& record) {
    return 1 + static_cast<long>(record.moreArguments.size());
}
// How long a worker waits for the backlog at most; a window's thread that writes nothing for
// that long is stuck, and the worker goes on rather than wait with it.
constexpr DWORD kBacklogWaitMs = 10000;

bool OnWindowThread(HWND window) { return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId(); }

// Waits until at most `limit` posted lines are unwritten.
void WaitForBacklog(HWND window, long limit) {
    if (g_backlogWindow.exchange(window) != window) g_pendingLogLines = 0;
    if (g_pendingLogLines.load() <= limit || OnWindowThread(window)) return;
    DWORD start = GetTickCount();
    // A worker that is being stopped goes on at once: the window's thread may be waiting for it.
    while (g_pendingLogLines.load() > limit && IsWindow(window) && !workerStopFlag.load() &&
           GetTickCount() - start < kBacklogWaitMs)
        Sleep(1);
}

}  // namespace

bool CWorkerNotifier::Notify(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (!IsAlive()) return false;
    if (lParam == NOTIFY_SEND) {
        Send(message, wParam, lParam);
        return true;
    }
    return PostMessageW(window, message, wParam, lParam) != 0;
}

LRESULT CWorkerNotifier::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (!IsAlive()) return 0;
    // What was posted before is written before what the window does for this message (a prompt
    // is shown only once the lines that led to it are in the log).
    WaitForBacklog(window, 0);
    return SendMessageW(window, message, wParam, lParam);
}

bool CWorkerNotifier::PostLog(const CWorkerLogRecord& record) const {
    if (!IsAlive()) return false;
    const long lines = LinesOf(record);
    WaitForBacklog(window, lines < kMaxPendingLogLines ? kMaxPendingLogLines - lines : 0);
    auto* copy = new CWorkerLogRecord(record);
    g_pendingLogLines += lines;
    if (PostMessageW(window, WM_WORKER_LOG, reinterpret_cast<WPARAM>(copy), 0)) return true;
    g_pendingLogLines -= lines;
    delete copy;
    return false;
}

bool CWorkerNotifier::SendLog(const CWorkerLogRecord& record) const {
    if (!IsAlive()) return false;
    WaitForBacklog(window, 0);
    const long lines = LinesOf(record);
    auto* copy = new CWorkerLogRecord(record);
    g_pendingLogLines += lines;
    DWORD_PTR result = 0;
    // The handler owns the copy once it has run; when the window vanished before the send
    // reached it, the copy is still ours to free.
    if (!SendMessageTimeoutW(window, WM_WORKER_LOG, reinterpret_cast<WPARAM>(copy), 0, SMTO_BLOCK, INFINITE,
                             &result) ||
        result != 1) {
        g_pendingLogLines -= lines;
        delete copy;
        return false;
    }
    return true;
}

LRESULT HandleWorkerLog(WPARAM wParam) {
    auto* record = reinterpret_cast<CWorkerLogRecord*>(wParam);
    if (!record) return 1;
    const long lines = LinesOf(*record);
    if (record->moreArguments.empty()) {
        theLog.Log(record->level, record->function.c_str(), record->format.c_str(), record->argument);
    } else {
        record->moreArguments.insert(record->moreArguments.begin(), record->argument);
        theLog.LogLines(record->level, record->function.c_str(), record->format.c_str(), record->moreArguments);
    }
    delete record;
    g_pendingLogLines -= lines;
    return 1;
}
