#pragma once
// The wizard's progress page: starts the extraction worker when it is first shown, turns the
// worker's progress into the bar and two status lines, and when the worker reports the end decides
// where the wizard goes.

#include "WinGui/Controls.h"
#include "wizard/ExtractionWindow.h"
#include "wizard/QirvaPage.h"

class CExtractorPage : public CQirvaPage, private CExtractionWindow {
public:
    explicit CExtractorPage(CQirvaSheet& sheet);
    void InitPage() override;
    void ActivatePage() override;

protected:
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void SetTexts(int statusText);
    void ShowProgress(int command, const ProgressUpdate& update) override;
    void OnExtractDone() override;
    void OnExtractEnded() override;
    int AskOverwrite() override;
    void StartWorker();

    wingui::ProgressBar bar;
    bool started = false;
};
