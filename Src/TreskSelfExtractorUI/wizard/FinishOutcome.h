#pragma once
// The finish page's decisions: the outcome line, picture and error flag for a package result code,
// whether the finish message is shown, whether the page offers to open the extraction folder, and
// what Finish does.

#include <functional>
#include <string>
#include <vector>

// Pictures of the finish page.
constexpr int FINISH_PICTURE_SUCCESS = 146;
constexpr int FINISH_PICTURE_ERROR = 147;
constexpr int FINISH_PICTURE_NOTE = 174;  // the setup starts on Finish, or finished without a configured result

struct FinishOutcomeInputs {
    int resultCode = 0;          // the package result code R
    int launchImmediately = 1;   // the sheet's launchImmediately
    int extractOnly = 0;         // the extract-only check box was ticked
    int autolaunchEnabled = 0;
    bool resultNotConfigured = false;  // IsResultNotConfigured of the launch results
};

struct FinishOutcome {
    std::vector<int> textIds;  // UI texts of the outcome line, joined by one blank ("%s %s")
    bool split = false;        // the first backslash-n of the text becomes a line break
    bool fitted = false;       // the text is shortened to the control
    int errorShown = 0;
    int picture = FINISH_PICTURE_SUCCESS;
    bool showFinishMessage = false;  // R 0 and -6: GetFinishMessage goes, fitted, into 1061 when not empty
};
FinishOutcome DecideFinishOutcome(const FinishOutcomeInputs& inputs);

// The outcome line's text: the UI texts joined by one blank, [PRODUCTNAME] and [FILENAME] replaced,
// the first backslash-n replaced by a line feed when the outcome says split. (Fitting is the
// caller's, with FIT_FINISH_PAGE.)
std::wstring ComposeFinishOutcomeText(const FinishOutcome& outcome,
                                      const std::function<std::wstring(int)>& getText,
                                      const std::wstring& productName, const std::wstring& fileName);

struct OpenFolderOfferInputs {
    std::wstring openExtractionLocation;  // [Runtime] OpenExtractionLocation
    std::wstring multilaunch;             // [Runtime] Multilaunch
    std::wstring autoLaunch;              // [Runtime] AutoLaunch
    std::wstring autoLaunch1;             // [Runtime] AutoLaunch1
    int errorShown = 0;
    bool userIsAdministrator = false;
    int extractOnly = 0;
    int resultCode = 0;
    int launchImmediately = 1;
    bool waitForFinish = false;  // [Runtime] WaitForAutolaunchFinish is on
};
// Check box 1014 ("&Open the extraction location", 609) is offered when OpenExtractionLocation is
// exactly "1", no error is shown, the launch entry L (AutoLaunch1 when Multilaunch is exactly "1",
// else AutoLaunch) is empty or the user is no administrator or extract-only is ticked, the result
// code is neither 11 nor 12, and either the setup was launched right away with waiting or
// extract-only is ticked.
bool OfferToOpenExtractionFolder(const OpenFolderOfferInputs& inputs);

enum FinishAction {
    FINISH_NOTHING,
    FINISH_OPEN_FOLDER,         // open the extraction folder with LaunchApplication
    FINISH_REPORT_NO_PERMISSION,  // hide the sheet, UI text 414 ([INVALIDPATH]), level-0 log line
    FINISH_REPORT_MISSING_FOLDER, // hide the sheet, UI text 107 ([PATH]), level-0 log line
    FINISH_LAUNCH_SETUP,        // HandleLaunchSetup; 10 closes the wizard
};
// What Finish does after the platform's own handling. openTicked: 1014 is ticked; pathIsFolder:
// the extraction path exists and is a folder; pathWritable: a file can be created in it.
FinishAction DecideFinishAction(bool openTicked, bool pathIsFolder, bool pathWritable, int extractOnly,
                                int launchImmediately);
