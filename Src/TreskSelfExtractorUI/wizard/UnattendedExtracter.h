#pragma once
// The window of the Unattended and Silent modes: starts the extraction worker, shows a progress
// bar and a status line (Unattended) or nothing at all (Silent), launches the setup after a
// successful extraction and closes when the work is done.

#include <windows.h>

#include "WinGui/Dialog.h"
#include "WinGui/Gdi.h"
#include "wizard/ExtractionWindow.h"

class CLaunchHost;
class WorkerThread;

class CUnattendedExtracter : public wingui::Dialog, private CExtractionWindow {
public:
    // The window's result when the user closed it and confirmed the cancel: the run ends with
    // exit code 6.
    static constexpr INT_PTR CLOSED_BY_USER = 6;

    CUnattendedExtracter(int visible, WorkerThread& worker, CLaunchHost& host);
    // Runs the window modally; returns IDOK, 0 after a launch, or CLOSED_BY_USER.
    INT_PTR DoModal() { return Dialog::DoModal(nullptr); }


protected:
    BOOL OnInitDialog() override;
    void OnScaleChanged() override;
    bool OnCommand(int id, int code, HWND control) override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ShowProgress(int command, const ProgressUpdate& update) override;
    void OnExtractDone() override;
    void OnExtractEnded() override;
    void OnClose();

    int visible;
    WorkerThread& worker;
    CLaunchHost& host;
    wingui::Font statusFont;  // "Tahoma", 15 pixels at 96 DPI, weight 100, for the window's scale
};
