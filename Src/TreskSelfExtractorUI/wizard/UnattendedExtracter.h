#pragma once
// The window of the Unattended and Silent modes: starts the extraction worker, shows a progress
// bar and a status line (Unattended) or nothing at all (Silent), launches the setup after a
// successful extraction and closes when the work is done.

#include <windows.h>

class CUnattendedExtracter {
public:
    explicit CUnattendedExtracter(int visible) : visible(visible) {}
    ~CUnattendedExtracter();
    // Runs the window modally; returns its end value.
    INT_PTR DoModal();

    // Progress commands of the extraction worker.
    void OnProgress(WPARAM command, LPARAM argument);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void OnExtractDone();
    void OnClose();

    HWND window = nullptr;
    int visible;
    unsigned short stepCount = 1;
    int deletePhase = 0;
    HFONT statusFont = nullptr;
};
