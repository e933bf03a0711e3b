#include "wizard/PageStates.h"

namespace {

constexpr NavButtonState HIDDEN{false, false};
constexpr NavButtonState ACTIVE{true, true};

}  // namespace

WizardPageState GetWizardPageState(WizardPageKind page, bool firstPage, bool licenseAccepted,
                                   bool launchEndedWhileSetupRuns) {
    WizardPageState state;
    state.back = HIDDEN;
    state.next = ACTIVE;
    state.cancel = ACTIVE;
    state.finish = HIDDEN;
    state.defaultButton = NAV_NEXT_ID;
    switch (page) {
        case PAGE_WELCOME:
            break;
        case PAGE_LANGUAGE:
        case PAGE_DIRCHANGE:
            state.back = firstPage ? HIDDEN : ACTIVE;
            break;
        case PAGE_REQUIREMENTS:
            // Back stays available even on the first page: it is the way out of the retry loop.
            state.back = ACTIVE;
            state.captionMode = L"RETRY";
            break;
        case PAGE_LICENSE:
            state.back = firstPage ? HIDDEN : ACTIVE;
            state.next.enabled = licenseAccepted;
            state.defaultButton = licenseAccepted ? NAV_NEXT_ID : NAV_CANCEL_ID;
            break;
        case PAGE_PROGRESS:
            state.next = HIDDEN;
            state.defaultButton = NAV_CANCEL_ID;
            break;
        case PAGE_AUTOLAUNCH:
            state.next = HIDDEN;
            state.cancel.enabled = !launchEndedWhileSetupRuns;
            state.defaultButton = NAV_CANCEL_ID;
            break;
        case PAGE_FINISH:
            state.next = HIDDEN;
            state.cancel = HIDDEN;
            state.finish = ACTIVE;
            state.defaultButton = NAV_FINISH_ID;
            state.captionMode = L"FINISH";
            break;
    }
    return state;
}
