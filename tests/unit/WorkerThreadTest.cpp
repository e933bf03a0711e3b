// The worker-thread holder and the private messages, with real threads and a real window.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "TestSupport.h"
#include "app/WorkerMessages.h"
#include "app/WorkerThread.h"
#include "log/BuildLogFile.h"

namespace {

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Received> g_received;
std::vector<std::wstring> g_logArguments;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_WORKER_LOG) {
        g_received.push_back({message, 0, lParam});
        if (wParam) g_logArguments.push_back(reinterpret_cast<CWorkerLogRecord*>(wParam)->argument);
        return HandleWorkerLog(wParam);
    }
    if (message >= WM_USER) {
        g_received.push_back({message, wParam, lParam});
        return 7;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateTestWindow() {
    return CreateClassWindow(L"TreskWorkerTestWindow", TestWindowProc);
}

// Pumps the test thread's messages until condition holds or the time is up.
template <typename Condition>
bool PumpUntil(Condition condition, DWORD timeoutMs = 5000) {
    DWORD start = GetTickCount();
    while (!condition()) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

class WorkerThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_received.clear();
        g_logArguments.clear();
        window = CreateTestWindow();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        holder.Stop();
        if (IsWindow(window)) DestroyWindow(window);
    }
    HWND window = nullptr;
    WorkerThread holder;
};

std::atomic<int> g_stoppedByEvent{0};
DWORD WINAPI WaitForStop(LPVOID argument) {
    auto* self = static_cast<WorkerThread*>(argument);
    if (WaitForSingleObject(self->GetStopEvent(), 10000) == WAIT_OBJECT_0) ++g_stoppedByEvent;
    return 0;
}

DWORD WINAPI IgnoreStop(LPVOID) {
    Sleep(2500);
    return 0;
}

TEST_F(WorkerThreadTest, StopEndsCooperativeWorker) {
    g_stoppedByEvent = 0;
    ASSERT_EQ(holder.Start(window, WaitForStop), 0);
    EXPECT_TRUE(holder.HasThread());
    EXPECT_EQ(holder.GetWindow(), window);
    EXPECT_EQ(holder.Stop(), 0);
    EXPECT_EQ(g_stoppedByEvent.load(), 1);
    EXPECT_FALSE(holder.HasThread());
    // The event is reset for the next worker.
    EXPECT_EQ(WaitForSingleObject(holder.GetStopEvent(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(holder.Stop(), 0);  // nothing to stop
}

TEST_F(WorkerThreadTest, StopTimesOutOnWorkerThatIgnoresIt) {
    ASSERT_EQ(holder.Start(window, IgnoreStop), 0);
    DWORD start = GetTickCount();
    EXPECT_EQ(holder.Stop(), 1);
    EXPECT_GE(GetTickCount() - start, 900u);
    EXPECT_FALSE(holder.HasThread());
}

// A worker that, once told to stop, reports its last line with a sent message before it ends.
DWORD WINAPI SendOnTheWayOut(LPVOID argument) {
    auto* self = static_cast<WorkerThread*>(argument);
    if (WaitForSingleObject(self->GetStopEvent(), 10000) != WAIT_OBJECT_0) return 1;
    CWorkerLogRecord record{LOG_INFO, L"Test", L"%s", L"closing"};
    CWorkerNotifier(self->GetWindow()).SendLog(record);
    return 0;
}

TEST_F(WorkerThreadTest, StoppingHandlesWhatTheWorkerSendsMeanwhile) {
    // The waiting thread owns the window the worker sends to: without handling sent messages
    // while it waits, both would wait for each other until the time ran out.
    for (int hold : {0, 1}) {
        SCOPED_TRACE(hold ? "StopAndHold" : "Stop");
        g_logArguments.clear();
        ASSERT_EQ(holder.Start(window, SendOnTheWayOut), 0);
        DWORD start = GetTickCount();
        EXPECT_EQ(hold ? holder.StopAndHold(5000) : holder.Stop(), 0);
        EXPECT_LT(GetTickCount() - start, 900u);
        ASSERT_EQ(g_logArguments.size(), 1u);
        EXPECT_EQ(g_logArguments[0], L"closing");
    }
}

TEST_F(WorkerThreadTest, StartStopsRunningWorkerFirst) {
    g_stoppedByEvent = 0;
    ASSERT_EQ(holder.Start(window, WaitForStop), 0);
    ASSERT_EQ(holder.Start(window, WaitForStop), 0);
    EXPECT_EQ(g_stoppedByEvent.load(), 1);
    EXPECT_EQ(holder.Stop(), 0);
    EXPECT_EQ(g_stoppedByEvent.load(), 2);
}

std::atomic<long> g_counter{0};
DWORD WINAPI Count(LPVOID argument) {
    auto* self = static_cast<WorkerThread*>(argument);
    while (WaitForSingleObject(self->GetStopEvent(), 0) != WAIT_OBJECT_0) {
        WorkerShouldStop();  // the safe point where a paused worker waits
        ++g_counter;
        Sleep(1);
    }
    return 0;
}

TEST_F(WorkerThreadTest, SuspendAndResume) {
    g_counter = 0;
    ASSERT_EQ(holder.Start(window, Count), 0);
    Sleep(50);
    holder.Suspend();
    Sleep(20);
    long frozen = g_counter.load();
    Sleep(100);
    EXPECT_EQ(g_counter.load(), frozen);
    holder.Resume();
    Sleep(100);
    EXPECT_GT(g_counter.load(), frozen);
    // Stop releases a paused worker so that it can see the event.
    holder.Suspend();
    EXPECT_EQ(holder.Stop(), 0);
}

TEST_F(WorkerThreadTest, NotifierSendsFor1002AndPostsOtherwise) {
    CWorkerNotifier notifier(window);
    EXPECT_TRUE(notifier.Notify(WM_EXTRACT_PROGRESS, PROGRESS_STEP, 0));
    EXPECT_TRUE(g_received.empty());  // posted: not handled before the queue is pumped
    EXPECT_TRUE(notifier.Notify(WM_EXTRACT_DONE, 0, NOTIFY_SEND));
    ASSERT_EQ(g_received.size(), 1u);  // sent: handled before Notify returned
    EXPECT_EQ(g_received[0].message, static_cast<UINT>(WM_EXTRACT_DONE));
    EXPECT_EQ(notifier.Send(WM_OVERWRITE_PROMPT, 0, 0), 7);
    ASSERT_TRUE(PumpUntil([] { return g_received.size() == 3; }));
    EXPECT_EQ(g_received[2].message, static_cast<UINT>(WM_EXTRACT_PROGRESS));
    EXPECT_EQ(g_received[2].wParam, static_cast<WPARAM>(PROGRESS_STEP));
}

TEST_F(WorkerThreadTest, NotifierDropsMessagesToDestroyedWindow) {
    CWorkerNotifier notifier(window);
    DestroyWindow(window);
    EXPECT_FALSE(notifier.Notify(WM_EXTRACT_PROGRESS, PROGRESS_STEP, 0));
    EXPECT_FALSE(notifier.Notify(WM_EXTRACT_DONE, 0, NOTIFY_SEND));
    EXPECT_EQ(notifier.Send(WM_EXTRACT_DONE, 0, 0), 0);
    EXPECT_FALSE(notifier.PostLog({LOG_INFO, L"F", L"%s", L"x"}));
    EXPECT_FALSE(notifier.SendLog({LOG_INFO, L"F", L"%s", L"x"}));
    EXPECT_FALSE(CWorkerNotifier(nullptr).Notify(WM_EXTRACT_DONE, 0, 0));
}

// A worker posts records from one buffer that it changes at once; every message carries its own
// copy, so the window thread writes each line as it was when posted.
DWORD WINAPI PostLogLines(LPVOID argument) {
    auto* self = static_cast<WorkerThread*>(argument);
    CWorkerNotifier notifier(self->GetWindow());
    CWorkerLogRecord record{LOG_INFO, L"ExtractPackage", L"Extracting : %s", L""};
    for (int i = 0; i < 5; ++i) {
        record.argument = L"file" + std::to_wstring(i);
        notifier.PostLog(record);
        record.argument = L"overwritten";
    }
    record.argument = L"sent";
    notifier.SendLog(record);
    return 0;
}

TEST_F(WorkerThreadTest, WorkerLogRecordsTravelAsCopies) {
    ScratchFolder folder(L"workerlog");
    std::wstring path = folder / L"w.log";
    theLog.InitLog(path, LOG_THRESHOLD_NORMAL);
    ASSERT_EQ(holder.Start(window, PostLogLines), 0);
    ASSERT_TRUE(PumpUntil([] { return g_received.size() == 6; }));
    EXPECT_EQ(holder.Stop(), 0);
    std::string bytes = ReadBytes(path);
    for (int i = 0; i < 5; ++i)
        EXPECT_NE(bytes.find("|Extracting : file" + std::to_string(i) + "\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("|Extracting : sent\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find("overwritten"), std::string::npos);
    EXPECT_EQ(HandleWorkerLog(0), 1);  // a null record is ignored
    theLog.InitLog(L"", LOG_THRESHOLD_NORMAL);
}

// A worker that posts far more records than a window's queue can hold while the window's thread
// is busy, and then sends a prompt.
constexpr int kFloodRecords = 12000;
DWORD WINAPI FloodLogLines(LPVOID argument) {
    auto* self = static_cast<WorkerThread*>(argument);
    CWorkerNotifier notifier(self->GetWindow());
    for (int i = 0; i < kFloodRecords; ++i)
        if (!notifier.PostLog({LOG_INFO, L"FileOverwrite", L"%s", std::to_wstring(i)})) return 1;
    notifier.Send(WM_OVERWRITE_PROMPT, 0, 0);
    return 0;
}

TEST_F(WorkerThreadTest, PostedRecordsWaitForTheWindowAndComeBeforeALaterSend) {
    workerStopFlag = 0;  // a worker being stopped would not wait
    ASSERT_EQ(holder.Start(window, FloodLogLines), 0);
    Sleep(300);  // the window's thread is busy: the worker must wait, not overflow its queue
    ASSERT_TRUE(PumpUntil([] { return !g_received.empty() && g_received.back().message == WM_OVERWRITE_PROMPT; },
                          30000));
    EXPECT_EQ(holder.Stop(), 0);
    ASSERT_EQ(g_logArguments.size(), static_cast<size_t>(kFloodRecords));
    for (int i = 0; i < kFloodRecords; ++i) ASSERT_EQ(g_logArguments[i], std::to_wstring(i));
    EXPECT_EQ(g_received.size(), static_cast<size_t>(kFloodRecords) + 1);
}

TEST(WorkerFlags, StartCleared) {
    EXPECT_EQ(workerStopFlag.load(), 0);
    EXPECT_EQ(extractionCancelledFlag.load(), 0);
}

}  // namespace
