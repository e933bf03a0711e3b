#include "wizard/ExtractionWindow.h"

#include "app/WorkerMessages.h"

bool CExtractionWindow::HandleExtractionMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_EXTRACT_PROGRESS: {
            const int command = static_cast<int>(wParam);
            ShowProgress(command, ApplyProgressCommand(progress, command, static_cast<int64_t>(lParam), owner));
            result = 1;
            return true;
        }
        case WM_WORKER_LOG:
            result = HandleWorkerLog(wParam);
            return true;
        case WM_OVERWRITE_PROMPT:
            // The worker waits in its send for the button pressed.
            result = AskOverwrite();
            return true;
        case WM_EXTRACT_DONE:
            OnExtractDone();
            result = 0;
            return true;
        case WM_EXTRACT_FAILED:
        case WM_UNATTENDED_END:
            OnExtractEnded();
            result = 0;
            return true;
        default:
            return false;
    }
}
