#include "wizard/LocationRules.h"

namespace {

constexpr int kLevel = 8;
const wchar_t* const kTag = L"CDirChangePage";

WizardLogLine Line(const wchar_t* text) { return WizardLogLine{kLevel, kTag, text}; }

// A package that does not wait for an asynchronous bundle, or a frame setup that deletes by
// itself, never offers deleting on exit.
bool DeleteBoxWithheld(const DeleteBoxSettings& s) {
    return (s.zubBundle == L"0" && s.waitForFinish == 0) || s.rahmensetup == L"1";
}

}  // namespace

LocationControls RefreshLocationControls(int autolaunchEnabled, bool extractOnlyTicked, const DeleteBoxSettings& settings) {
    LocationControls c;
    c.autolaunchEnabled = autolaunchEnabled;
    if (autolaunchEnabled == 1) {
        c.log.push_back(Line(L"Autolaunch is enabled"));
        c.extractOnlyBox = SHOW;
        c.infoLine = SHOW;
        if (extractOnlyTicked) {
            c.autolaunchEnabled = 0;
            c.log.push_back(Line(L"Autolaunch is disabled"));
        } else {
            c.autolaunchEnabled = 1;
        }
    } else {
        c.deleteBox = HIDE;
        c.log.push_back(Line(L"Autolaunch is disabled"));
    }
    if (DeleteBoxWithheld(settings)) {
        c.log.push_back(Line(L"Asynchronous mode/RahmenSetup and delete on finish option will not be shown"));
        c.deleteBox = HIDE;
    }
    c.extractOnly = extractOnlyTicked ? 1 : 0;
    return c;
}

LocationControls ExtractOnlyClicked(bool ticked, const DeleteBoxSettings& settings) {
    LocationControls c;
    if (ticked) {
        c.extractOnly = 1;
        c.autolaunchEnabled = 0;
        c.clearDeleteBox = true;
        c.deleteBox = HIDE;
        c.log.push_back(Line(L"Extract the package and donot install option is checked.Enabling the controls for extract path change"));
        c.log.push_back(Line(L"Autolaunch is disabled by user"));
    } else {
        DeleteBoxSettings missingAsZero = settings;
        if (missingAsZero.rahmensetup.empty()) missingAsZero.rahmensetup = L"0";
        if ((settings.zubBundle != L"0" || settings.waitForFinish != 0) && missingAsZero.rahmensetup != L"1")
            c.deleteBox = SHOW;
        c.extractOnly = 0;
        c.autolaunchEnabled = 1;
        c.log.push_back(Line(L"Extract the package and donot install option is unchecked.Disabling the controls for extract path change"));
        c.log.push_back(Line(L"Autolaunch is enabled"));
    }
    return c;
}

WizardLogLine DeleteOnExitClicked(bool ticked) {
    return Line(ticked ? L"Delete extracted file on delete is enabled by user"
                       : L"Delete extracted file on delete is not enabled by user");
}
