#include "app/WorkerThread.h"

std::atomic<int> workerStopFlag{0};
std::atomic<int> extractionCancelledFlag{0};

namespace {
// Signalled while the workers may run; reset while the user-interface thread holds them.
HANDLE PauseGate() {
    static HANDLE gate = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    return gate;
}
// Waits for the worker thread while handling the messages that other threads send to this one:
// a worker that reports through a sent message on its way out would otherwise wait for the very
// thread that waits for it.
bool WaitForWorker(HANDLE thread, DWORD timeout) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        const DWORD remaining = elapsed >= timeout ? 0 : timeout - elapsed;
        DWORD result = MsgWaitForMultipleObjectsEx(1, &thread, remaining, QS_SENDMESSAGE, 0);
        if (result == WAIT_OBJECT_0) return true;
        if (result != WAIT_OBJECT_0 + 1) return false;
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

bool WorkerShouldStop() {
    // A bounded wait per round, so a stop set while paused is seen within a second at worst.
    while (!workerStopFlag.load() && WaitForSingleObject(PauseGate(), 1000) == WAIT_TIMEOUT) {
    }
    return workerStopFlag.load() != 0;
}

WorkerThread::WorkerThread() : stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

int WorkerThread::Start(HWND targetWindow, ThreadProcedure procedure) {
    window = targetWindow;
    if (stopEvent) ResetEvent(stopEvent.Get());
    Stop();
    HANDLE created = CreateThread(nullptr, 0, procedure, this, 0, &threadId);
    if (!created) return -static_cast<int>(GetLastError());
    AcquireSRWLockExclusive(&threadLock);
    thread.Reset(created);
    ReleaseSRWLockExclusive(&threadLock);
    return 0;
}

KernelHandle WorkerThread::TakeThread(DWORD& id) {
    // The worker stops its own holder when it is done, while the window thread may stop it at the
    // same moment: whoever takes the handle first waits for the thread and closes it, once.
    AcquireSRWLockExclusive(&threadLock);
    id = threadId;
    KernelHandle taken = std::move(thread);
    if (taken) threadId = 0;
    ReleaseSRWLockExclusive(&threadLock);
    return taken;
}

int WorkerThread::Stop() {
    int timedOut = 0;
    DWORD id = 0;
    if (KernelHandle own = TakeThread(id)) {
        if (stopEvent) SetEvent(stopEvent.Get());
        SetEvent(PauseGate());
        // A worker that stops its own holder when it is done must not wait for itself.
        if (GetCurrentThreadId() != id) timedOut = WaitForWorker(own.Get(), 1000) ? 0 : 1;
    }
    if (stopEvent) ResetEvent(stopEvent.Get());
    return timedOut;
}

int WorkerThread::StopAndHold(DWORD timeout) {
    int timedOut = 0;
    DWORD id = 0;
    if (KernelHandle own = TakeThread(id)) {
        if (stopEvent) SetEvent(stopEvent.Get());
        SetEvent(PauseGate());
        if (GetCurrentThreadId() != id && !WaitForWorker(own.Get(), timeout)) {
            SuspendThread(own.Get());
            timedOut = 1;
        }
    }
    if (stopEvent) ResetEvent(stopEvent.Get());
    return timedOut;
}

void WorkerThread::Suspend() { ResetEvent(PauseGate()); }

void WorkerThread::Resume() { SetEvent(PauseGate()); }

void WorkerThread::WaitAndRelease(DWORD timeout) {
    DWORD id = 0;
    KernelHandle own = TakeThread(id);
    if (!own) return;
    WaitForSingleObject(own.Get(), timeout);
}
