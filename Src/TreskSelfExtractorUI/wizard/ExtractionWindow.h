#pragma once
// The window that shows an extraction while the worker runs: the wizard's progress page or the
// window of the Unattended and Silent modes. Both hear the worker's messages through one handler
// and differ only in what they show and where they go when it ends.

#include <windows.h>

#include "wizard/ProgressState.h"

class CExtractionWindow {
public:
    CExtractionWindow(ProgressOwner owner) : owner(owner) {}
    virtual ~CExtractionWindow() = default;

    // Handles a message of the extraction worker; true when it was one, with its result.
    bool HandleExtractionMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    // Shows what a progress command changed (command is the worker's, update what it means).
    virtual void ShowProgress(int command, const ProgressUpdate& update) = 0;
    // The worker asks whether an existing file is overwritten: the answer (util/PromptAnswer.h),
    // or 0 from a window that asks nothing.
    virtual int AskOverwrite() { return 0; }
    virtual void OnExtractDone() = 0;
    // The extraction failed, or (Unattended) the worker ended the run.
    virtual void OnExtractEnded() = 0;

    ProgressState progress;

private:
    ProgressOwner owner;
};
