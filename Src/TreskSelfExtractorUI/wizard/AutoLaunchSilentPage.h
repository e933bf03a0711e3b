#pragma once
// The autolaunch page, between the progress and the finish page: the launch worker starts the
// package's setups while the page shows their progress. Cancel stays available until the launch
// ends; confirmed while a setup runs, it is greyed out and the finish page follows when that
// setup returns.

#include "WinGui/Controls.h"
#include "wizard/QirvaPage.h"

class CAutoLaunchSilentPage : public CQirvaPage {
public:
    explicit CAutoLaunchSilentPage(CQirvaSheet& sheet);
    void InitPage() override;
    void ActivatePage() override;
    // The launch ended, or the user confirmed Cancel: the finish page follows once no setup runs
    // any more; while one runs, Cancel and Close are switched off.
    void OnLaunchFinished();
    // The user confirmed Cancel while the launch runs: the launch then always ends on the finish page.
    void OnCancelConfirmed();

protected:
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The launch worker ended: the wizard closes when the launch says so, else the finish page follows.
    void OnLaunchDone();

    wingui::ProgressBar bar;
    bool cancelConfirmed = false;
    bool started = false;
};

// Posted to the autolaunch page by another thread to run OnLaunchFinished on the page's own.
constexpr UINT WM_RUN_LAUNCH_FINISHED = WM_APP + 20;
