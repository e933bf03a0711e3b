#pragma once
// What the progress page does when the extraction worker reports the end: go to the autolaunch
// page, go to the finish page with the setup deferred to Finish, launch at once, or go to the
// finish page; and whether the operating-system check is run again first.

#include <string>

struct ExtractCompletionInputs {
    int autolaunchEnabled = 0;                // the initialiser's flag, after the location page
    int waitForFinish = 1;                    // [Runtime] WaitForAutolaunchFinish is on
    int extractOnly = 0;                      // the extract-only box was ticked
    int osVerdict = 300;                      // the start-up check: 300 supported, 301 warning, 302 not supported
    bool osValidatedBeforeExtraction = false; // the system was checked before extraction
    bool osCheckSuppressed = false;           // -NoOSCheck on the command line
    std::wstring autoLaunchInstallationDialog;  // [Runtime] AutoLaunchInstallationDialog
    std::wstring autolaunch;                  // [Runtime] Autolaunch
    std::wstring multilaunch;                 // [Runtime] Multilaunch
};

enum ExtractCompletionStep {
    COMPLETE_AUTOLAUNCH_PAGE,  // the autolaunch page runs the launch
    COMPLETE_FINISH_DEFERRED,  // the finish page; Finish starts the setup
    COMPLETE_LAUNCH_NOW,       // HandleLaunchSetup from the progress page; 10 closes the wizard
    COMPLETE_FINISH,           // the finish page
    COMPLETE_STAY,             // nothing (the launch was refused and nothing else applies)
};

struct ExtractCompletion {
    bool recheckOs = false;     // run the operating-system check again with its message
    int launchRefused = 0;      // the launch is refused for this operating system
    int launchImmediately = 1;  // the sheet's launchImmediately
    ExtractCompletionStep step = COMPLETE_FINISH;
};

ExtractCompletion DecideExtractCompletion(const ExtractCompletionInputs& inputs);

// Whether the launch worker of the autolaunch page ends the wizard once it is done: when the launch
// returned 10 (LAUNCH_CLOSE_WIZARD: refused system, No to the warning, several setups, or one
// neither waited for nor shown) and the user did not cancel meanwhile. A cancelled launch always
// ends on the finish page, which reports the cancel.
bool AutolaunchClosesWizard(int launchResult, bool cancelConfirmed);
