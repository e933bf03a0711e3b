#pragma once
// The application's one worker-thread holder, shared by the extraction and the launch worker,
// and the two flags by which the user-interface thread stops the workers.

#include <windows.h>

#include <atomic>

#include "util/Handles.h"

// Set by a confirmed Cancel in the wizard; polled by the cabinet engine and the launcher.
extern std::atomic<int> workerStopFlag;
// Set by a confirmed cancel of a running extraction; polled by the attached-file reader and read
// at exit to remove what was extracted.
extern std::atomic<int> extractionCancelledFlag;

// The workers' safe point: waits while the user-interface thread holds the workers paused (the
// cancel question is up), then returns whether they must stop. Workers call it wherever they
// look at the stop flag, so a paused worker never holds a lock another thread needs.
bool WorkerShouldStop();

class WorkerThread {
public:
    using ThreadProcedure = DWORD(WINAPI*)(LPVOID holder);

    WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Stops a running worker first, then starts procedure with this holder as its argument.
    // Returns 0, or the platform error as a negative value when no thread could be created.
    int Start(HWND targetWindow, ThreadProcedure procedure);
    // Signals the stop event, resumes the thread and waits up to 1000 ms for it. Returns 1 when
    // the wait timed out (the handle is closed all the same), else 0.
    int Stop();
    // Stop for a worker whose files are about to be removed: when it does not end within
    // timeout ms it is suspended for good, so it can no longer write. Returns 1 on timeout.
    int StopAndHold(DWORD timeout);
    // How long a cancelled extraction worker is given to reach its next safe point and close its
    // files. It checks the stop flag at every file and every block it copies, so it ends long
    // before on any machine; a worker held before that would keep its open files from removal.
    static constexpr DWORD kCancelWait = 10000;
    // Pause and release the worker at its next safe point (WorkerShouldStop); the thread itself
    // is never suspended, since a thread suspended inside the heap or the loader would hang the
    // window thread.
    void Suspend();
    void Resume();

    HWND GetWindow() const { return window; }
    void SetWindow(HWND targetWindow) { window = targetWindow; }
    HANDLE GetThread() const { return thread.Get(); }
    HANDLE GetStopEvent() const { return stopEvent.Get(); }
    bool HasThread() const { return static_cast<bool>(thread); }
    // Waits up to timeout ms for the thread, then closes its handle and forgets it.
    void WaitAndRelease(DWORD timeout);

private:
    // Takes the thread's handle out of the holder (none when there is none) with its id.
    KernelHandle TakeThread(DWORD& id);

    HWND window = nullptr;
    KernelHandle thread;
    DWORD threadId = 0;
    // Held while the thread's handle is taken out or put in.
    SRWLOCK threadLock = SRWLOCK_INIT;
    KernelHandle stopEvent;
};
