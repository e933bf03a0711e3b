#include "app/WorkerMessages.h"

#include "log/BuildLogFile.h"

bool CWorkerNotifier::Notify(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (!IsAlive()) return false;
    if (lParam == NOTIFY_SEND) {
        SendMessageW(window, message, wParam, lParam);
        return true;
    }
    return PostMessageW(window, message, wParam, lParam) != 0;
}

LRESULT CWorkerNotifier::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (!IsAlive()) return 0;
    return SendMessageW(window, message, wParam, lParam);
}

bool CWorkerNotifier::PostLog(const CWorkerLogRecord& record) const {
    if (!IsAlive()) return false;
    auto* copy = new CWorkerLogRecord(record);
    if (PostMessageW(window, WM_WORKER_LOG, reinterpret_cast<WPARAM>(copy), 0)) return true;
    delete copy;
    return false;
}

bool CWorkerNotifier::SendLog(const CWorkerLogRecord& record) const {
    if (!IsAlive()) return false;
    auto* copy = new CWorkerLogRecord(record);
    DWORD_PTR result = 0;
    // The handler owns the copy once it has run; when the window vanished before the send
    // reached it, the copy is still ours to free.
    if (!SendMessageTimeoutW(window, WM_WORKER_LOG, reinterpret_cast<WPARAM>(copy), 0, SMTO_BLOCK, INFINITE,
                             &result) ||
        result != 1) {
        delete copy;
        return false;
    }
    return true;
}

LRESULT HandleWorkerLog(WPARAM wParam) {
    auto* record = reinterpret_cast<CWorkerLogRecord*>(wParam);
    if (!record) return 1;
    theLog.Log(record->level, record->function.c_str(), record->format.c_str(), record->argument);
    delete record;
    return 1;
}
