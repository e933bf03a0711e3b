#pragma once
// Private window messages by which worker threads report to the window they were started for.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

enum : UINT {
    WM_EXTRACT_PROGRESS = WM_USER + 42,   // 1066, wParam: progress command, lParam: argument
    WM_WORKER_LOG = WM_USER + 43,         // 1067, wParam: CWorkerLogRecord*, lParam: 0
    WM_OVERWRITE_PROMPT = WM_USER + 100,  // 1124
    WM_SKIN_BUTTON_CLICK = WM_USER + 123, // 1147, wParam: control id
    WM_EXTRACT_DONE = WM_USER + 200,      // 1224
    WM_EXTRACT_FAILED = WM_USER + 300,    // 1324
    WM_UNATTENDED_END = WM_USER + 400,    // 1424
    WM_LAUNCH_DONE = WM_USER + 500,       // 1524
    WM_GOTO_FINISH = WM_USER + 600,       // 1624
};

// Commands carried in wParam of WM_EXTRACT_PROGRESS.
enum : WPARAM {
    PROGRESS_STEP = 1,
    PROGRESS_SET_POSITION = 2,
    PROGRESS_SET_RANGE = 3,
    PROGRESS_EMPTY_FOLDER = 4,
};

// The second message parameter that makes the notifier send (and wait) instead of post.
constexpr LPARAM NOTIFY_SEND = 1002;

// A log line that a worker hands to the window thread. Every message carries its own heap copy,
// which the receiving handler writes and frees, so the worker may reuse its own record at once.
// moreArguments carries further lines of the same level, function and format, written after the
// first in one append (the extraction sends the lines of many files in one message).
struct CWorkerLogRecord {
    CWorkerLogRecord() = default;
    CWorkerLogRecord(int level, std::wstring function, std::wstring format, std::wstring argument)
        : level(level), function(std::move(function)), format(std::move(format)), argument(std::move(argument)) {}

    int level = 0;
    std::wstring function;
    std::wstring format;
    std::wstring argument;
    std::vector<std::wstring> moreArguments;
};

// A worker's handle on its target window. Messages to a window that no longer exists are
// dropped without error.
class CWorkerNotifier {
public:
    explicit CWorkerNotifier(HWND window = nullptr) : window(window) {}
    HWND GetWindow() const { return window; }
    bool IsAlive() const { return window && IsWindow(window); }

    // Sends (waiting for the handler) when lParam is NOTIFY_SEND, posts otherwise.
    // Returns whether the message reached the window's thread.
    bool Notify(UINT message, WPARAM wParam, LPARAM lParam) const;
    // Always sends and waits for the handler's result; 0 when the window is gone.
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const;

    bool PostLog(const CWorkerLogRecord& record) const;
    bool SendLog(const CWorkerLogRecord& record) const;

private:
    HWND window;
};

// The window's handler of WM_WORKER_LOG: writes the record's lines through the log and frees it.
// A null record is ignored. Returns 1.
LRESULT HandleWorkerLog(WPARAM wParam);
