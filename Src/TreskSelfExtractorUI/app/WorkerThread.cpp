#include "app/WorkerThread.h"

std::atomic<int> workerStopFlag{0};
std::atomic<int> extractionCancelledFlag{0};

WorkerThread::WorkerThread() : stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

WorkerThread::~WorkerThread() {
    if (HasThread()) CloseHandle(thread);
    if (stopEvent) CloseHandle(stopEvent);
}

int WorkerThread::Start(HWND targetWindow, ThreadProcedure procedure) {
    window = targetWindow;
    if (stopEvent) ResetEvent(stopEvent);
    Stop();
    thread = CreateThread(nullptr, 0, procedure, this, 0, &threadId);
    if (!thread) return -static_cast<int>(GetLastError());
    return 0;
}

int WorkerThread::Stop() {
    int timedOut = 0;
    if (HasThread()) {
        if (stopEvent) SetEvent(stopEvent);
        ResumeThread(thread);
        // A worker that stops its own holder when it is done must not wait for itself.
        if (GetCurrentThreadId() != threadId)
            timedOut = WaitForSingleObject(thread, 1000) == WAIT_TIMEOUT ? 1 : 0;
        CloseHandle(thread);
        thread = nullptr;
        threadId = 0;
    }
    if (stopEvent) ResetEvent(stopEvent);
    return timedOut;
}

int WorkerThread::StopAndHold(DWORD timeout) {
    int timedOut = 0;
    if (HasThread()) {
        if (stopEvent) SetEvent(stopEvent);
        ResumeThread(thread);
        if (GetCurrentThreadId() != threadId && WaitForSingleObject(thread, timeout) == WAIT_TIMEOUT) {
            SuspendThread(thread);
            timedOut = 1;
        }
        CloseHandle(thread);
        thread = nullptr;
        threadId = 0;
    }
    if (stopEvent) ResetEvent(stopEvent);
    return timedOut;
}

void WorkerThread::Suspend() {
    if (HasThread()) SuspendThread(thread);
}

void WorkerThread::Resume() {
    if (HasThread()) ResumeThread(thread);
}

void WorkerThread::WaitAndRelease(DWORD timeout) {
    if (!HasThread()) return;
    WaitForSingleObject(thread, timeout);
    CloseHandle(thread);
    thread = nullptr;
    threadId = 0;
}
