#include "wizard/CompletionDecision.h"

#include "launch/Launcher.h"

ExtractCompletion DecideExtractCompletion(const ExtractCompletionInputs& in) {
    ExtractCompletion out;
    if (in.autolaunchEnabled == 1 && (in.osValidatedBeforeExtraction || !in.osCheckSuppressed) && in.osVerdict == 302) {
        out.recheckOs = true;
        out.launchRefused = 1;
    }
    if (out.launchRefused == 0 && in.autoLaunchInstallationDialog == L"1" && in.extractOnly == 0 &&
        in.autolaunchEnabled == 1 && in.waitForFinish != 0) {
        out.step = COMPLETE_AUTOLAUNCH_PAGE;
        return out;
    }
    out.launchImmediately = 1;
    if (!in.autolaunch.empty() && in.waitForFinish == 0 && in.multilaunch != L"1" && out.launchRefused == 0) {
        out.launchImmediately = 0;
        out.step = COMPLETE_FINISH_DEFERRED;
        return out;
    }
    if (in.autolaunchEnabled == 1) {
        out.step = COMPLETE_LAUNCH_NOW;
        return out;
    }
    out.step = out.launchRefused == 1 ? COMPLETE_STAY : COMPLETE_FINISH;
    return out;
}

bool AutolaunchClosesWizard(int launchResult, bool cancelConfirmed) {
    return launchResult == LAUNCH_CLOSE_WIZARD && !cancelConfirmed;
}
