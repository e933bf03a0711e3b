#pragma once
// What the wizard is given by the application that runs it: fonts, the band images, the worker
// holder, the launch host, and the run facts its pages decide on. The wizard reads nothing else
// of the application.

#include <windows.h>

#include <string>

class CLaunchHost;
class WorkerThread;

struct CWizardContext {
    HFONT titleFont = nullptr;  // "Tahoma", height 16, weight 600
    HFONT lightFont = nullptr;  // "Tahoma", height 15, weight 100
    std::wstring topImagePath;
    std::wstring bottomImagePath;
    WorkerThread* worker = nullptr;
    CLaunchHost* host = nullptr;

    std::wstring settingsHash;      // taken at start-up, for the integrity check
    std::wstring passwordRequired;  // "1" when the package needs its extraction password
    std::wstring expectedPassword;
    int passwordAccepted = 0;       // set by the password prompt
    int defaultPathUsable = 1;      // the default extraction path passed its checks
    int userUiLanguage = 1033;
    int osCheckedBeforeExtraction = 0;  // the supported systems were checked before extraction

    // Choices made on the location page (the folder it settles on is the initialiser's
    // extraction path).
    int extractOnly = 0;             // the extract-only box is ticked
    int* deleteOnExit = nullptr;     // the application's delete-on-exit choice, read at exit
};
