// The extraction's log lines and progress steps on their way to the window: gathered into few
// messages, every line complete and in its order, every step counted.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "app/WorkerMessages.h"
#include "extract/WindowNotices.h"
#include "log/BuildLogFile.h"
#include "wizard/ProgressState.h"

namespace {

int g_messages = 0;
int64_t g_steps = 0;
LPARAM g_largestStep = 0;

LRESULT CALLBACK NoticesWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_WORKER_LOG) {
        ++g_messages;
        return HandleWorkerLog(wParam);
    }
    if (message == WM_EXTRACT_PROGRESS && wParam == PROGRESS_STEP) {
        ++g_messages;
        g_steps += lParam;
        g_largestStep = std::max(g_largestStep, lParam);
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void DeliverPosted() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

class NoticesTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_messages = 0;
        g_steps = 0;
        g_largestStep = 0;
        theLog.InitLog(logPath, LOG_THRESHOLD_NORMAL);
        window = CreateClassWindow(L"TreskNoticesTestWindow", NoticesWindowProc);
    }
    void TearDown() override {
        DeliverPosted();
        if (window) DestroyWindow(window);
        theLog.InitLog(L"", LOG_THRESHOLD_NORMAL);
    }
    std::vector<std::string> LogLines() { return ReadLogLines(logPath); }

    ScratchFolder folder{L"notices"};
    std::wstring logPath = folder / L"notices.log";
    HWND window = nullptr;
};

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST_F(NoticesTest, EveryLineAndStepOfManyFilesArrivesInOrder) {
    const int kFiles = 1000;
    {
        CWindowNotices notices(window);
        for (int i = 0; i < kFiles; ++i) {
            notices.Line(LOG_INFO, L"FileOverwrite", L"Extracing file : f" + std::to_wstring(i));
            notices.Step();
        }
        // Another kind of line: the lines gathered before it go first.
        notices.Line(LOG_ERROR, L"FdiCallback", L"last line");
    }  // what is left goes out when the notices end
    DeliverPosted();
    auto lines = LogLines();
    ASSERT_EQ(lines.size(), static_cast<size_t>(kFiles + 1));
    for (int i = 0; i < kFiles; ++i)
        EXPECT_TRUE(EndsWith(lines[i], "|          |FileOverwrite                       |Extracing file : f" +
                                           std::to_string(i)))
            << lines[i];
    EXPECT_TRUE(EndsWith(lines.back(), "|ERROR     |FdiCallback                         |last line")) << lines.back();
    EXPECT_EQ(g_steps, kFiles);
    // A progress argument of NOTIFY_SEND would turn the post into a send.
    EXPECT_LT(g_largestStep, NOTIFY_SEND);
    EXPECT_LT(g_messages, kFiles / 10);
}

TEST_F(NoticesTest, WindowThatGoesAwayGetsNoLineLost) {
    CWindowNotices notices(window);
    notices.Line(LOG_INFO, L"FileOverwrite", L"first");
    notices.Line(LOG_INFO, L"FileOverwrite", L"second");
    DestroyWindow(window);
    window = nullptr;
    // Gathered lines and the ones after are written here, in their order.
    notices.Line(LOG_INFO, L"FileOverwrite", L"third");
    auto lines = LogLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(EndsWith(lines[0], "|first"));
    EXPECT_TRUE(EndsWith(lines[1], "|second"));
    EXPECT_TRUE(EndsWith(lines[2], "|third"));
}

TEST(ProgressSteps, AStepMessageCarriesItsCount) {
    struct Case {
        const char* label;
        int32_t before;
        int64_t argument;
        int32_t after;
    };
    const Case cases[] = {
        {"no count is one step", 1, 0, 2},
        {"a count of steps", 1, 40, 41},
        {"capped at the largest range", 2147483640, 100, 2147483647},
    };
    for (const auto& c : cases) {
        ProgressState state;
        state.stepCount = c.before;
        ProgressUpdate update = ApplyProgressCommand(state, PROGRESS_STEP, c.argument, PROGRESS_OWNER_UNATTENDED);
        EXPECT_TRUE(update.setPosition) << c.label;
        EXPECT_EQ(update.position, c.after) << c.label;
        EXPECT_EQ(state.stepCount, c.after) << c.label;
    }
}

}  // namespace
