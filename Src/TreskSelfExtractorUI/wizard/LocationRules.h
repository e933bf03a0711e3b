#pragma once
// The extraction-location page's decisions: which of its launch controls show after a refresh and
// after the extract-only box is clicked, and what that does to the autolaunch flag.

#include <string>
#include <vector>

#include "wizard/PageChoice.h"

// The settings that decide whether the delete-on-exit box can be offered.
struct DeleteBoxSettings {
    std::wstring zubBundle;    // [Qirva] ZubBundle
    std::wstring rahmensetup;  // [Qirva] Rahmensetup
    int waitForFinish = 1;     // [Runtime] WaitForAutolaunchFinish is on
};

// Visibility changes of a control; KEEP leaves it as it is.
enum ControlChange { KEEP, SHOW, HIDE };

struct LocationControls {
    ControlChange extractOnlyBox = KEEP;  // 1036
    ControlChange infoLine = KEEP;        // 1044
    ControlChange deleteBox = KEEP;       // 1043
    bool clearDeleteBox = false;          // untick 1043 (and deleteOnExit := 0)
    int autolaunchEnabled = 0;
    int extractOnly = 0;                  // only meaningful after a click
    std::vector<WizardLogLine> log;       // level 8, tag "CDirChangePage"
};

// Refreshing the launch controls on initialisation and on each activation.
LocationControls RefreshLocationControls(int autolaunchEnabled, bool extractOnlyTicked, const DeleteBoxSettings& settings);

// The extract-only box was clicked and is now ticked or cleared.
LocationControls ExtractOnlyClicked(bool ticked, const DeleteBoxSettings& settings);

// The delete-on-exit box was clicked: its log line.
WizardLogLine DeleteOnExitClicked(bool ticked);
