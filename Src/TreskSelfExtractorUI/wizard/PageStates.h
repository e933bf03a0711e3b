#pragma once
// The state of the four navigation buttons for each page: which are shown and enabled, which one
// carries the focus look and is the page's default button, and the caption mode.

#include <string>

#include "wizard/PageChoice.h"

// Control ids of the navigation buttons (the default-button ids the pages send).
enum : int {
    NAV_CANCEL_ID = 2,
    NAV_BACK_ID = 12323,
    NAV_NEXT_ID = 12324,
    NAV_FINISH_ID = 12325,
};

struct NavButtonState {
    bool shown = false;
    bool enabled = false;  // a hidden button is reported disabled
    bool operator==(const NavButtonState& other) const {
        return shown == other.shown && enabled == other.enabled;
    }
};

struct WizardPageState {
    NavButtonState back, next, cancel, finish;
    int defaultButton = NAV_NEXT_ID;  // 2, 12323, 12324 or 12325; also the button with the focus look
    std::wstring captionMode;         // L"", L"RETRY" (Next reads "&Retry") or L"FINISH"
};

// firstPage: the page is the wizard's first page (the licence and location pages also count as
// first after the requirements page passed while it was first).
// licenseAccepted: the licence page's acceptance rule is met (see LicenseNextEnabled).
// launchEndedWhileSetupRuns: on the autolaunch page, launching ended or was cancelled while a
// setup still runs (Cancel is then disabled).
// Arguments that do not concern the page are ignored.
WizardPageState GetWizardPageState(WizardPageKind page, bool firstPage, bool licenseAccepted,
                                   bool launchEndedWhileSetupRuns);
