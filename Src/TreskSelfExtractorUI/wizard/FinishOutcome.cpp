#include "wizard/FinishOutcome.h"

#include "package/ResultCode.h"
#include "wizard/TextFitting.h"

namespace {

constexpr int CHECK_LOG_TEXT = 606;  // "Please check the log file."

}  // namespace

FinishOutcome DecideFinishOutcome(const FinishOutcomeInputs& inputs) {
    FinishOutcome outcome;
    outcome.picture = FINISH_PICTURE_ERROR;
    outcome.errorShown = 1;
    switch (inputs.resultCode) {
        case RESULT_CANCELLED: outcome.textIds = {601}; outcome.split = true; break;
        case RESULT_LAUNCH_CANCELLED: outcome.textIds = {614}; outcome.split = true; break;
        case RESULT_SETUP_NOT_FOUND: outcome.textIds = {605, CHECK_LOG_TEXT}; break;
        case RESULT_MISSING_PART: outcome.textIds = {607, CHECK_LOG_TEXT}; break;
        case RESULT_INVALID_PART: outcome.textIds = {608, CHECK_LOG_TEXT}; break;
        case RESULT_CORRUPT_PART: outcome.textIds = {615, CHECK_LOG_TEXT}; break;
        case RESULT_LAUNCH_FAILED:
            outcome.textIds = {611, CHECK_LOG_TEXT};
            outcome.errorShown = 0;
            break;
        case RESULT_SETUP_ERROR:
            outcome.textIds = {611};
            outcome.errorShown = 0;
            outcome.showFinishMessage = true;
            break;
        case RESULT_SUCCESS:
            outcome.errorShown = 0;
            outcome.fitted = true;
            outcome.showFinishMessage = true;
            if (inputs.launchImmediately == 0 && inputs.extractOnly == 0) {
                // The setup starts when Finish is pressed.
                outcome.textIds = {612};
                outcome.picture = FINISH_PICTURE_NOTE;
            } else {
                outcome.textIds = {inputs.autolaunchEnabled == 1 ? 610 : 600};
                outcome.picture = FINISH_PICTURE_SUCCESS;
            }
            if (inputs.resultNotConfigured) {
                outcome.textIds = {616};
                outcome.picture = FINISH_PICTURE_NOTE;
            }
            break;
        default:
            outcome.textIds = {602, CHECK_LOG_TEXT};
            outcome.fitted = true;
            break;
    }
    return outcome;
}

std::wstring ComposeFinishOutcomeText(const FinishOutcome& outcome, const std::function<std::wstring(int)>& getText,
                                      const std::wstring& productName, const std::wstring& fileName) {
    std::wstring text;
    for (size_t i = 0; i < outcome.textIds.size(); ++i) {
        if (i) text += L' ';
        text += getText(outcome.textIds[i]);
    }
    text = ReplacePlaceholder(text, L"[PRODUCTNAME]", productName);
    text = ReplacePlaceholder(text, L"[FILENAME]", fileName);
    if (outcome.split) {
        const size_t at = text.find(L"\\n");
        if (at != std::wstring::npos) text.replace(at, 2, L"\n");
    }
    return text;
}

bool OfferToOpenExtractionFolder(const OpenFolderOfferInputs& inputs) {
    if (inputs.openExtractionLocation != L"1" || inputs.errorShown != 0) return false;
    const std::wstring& launchEntry = inputs.multilaunch == L"1" ? inputs.autoLaunch1 : inputs.autoLaunch;
    const bool nothingLaunchedForUser =
        launchEntry.empty() || !inputs.userIsAdministrator || inputs.extractOnly == 1;
    if (!nothingLaunchedForUser) return false;
    if (inputs.resultCode == RESULT_CANCELLED || inputs.resultCode == RESULT_LAUNCH_CANCELLED) return false;
    return (inputs.launchImmediately == 1 && inputs.waitForFinish) || inputs.extractOnly == 1;
}

FinishAction DecideFinishAction(bool openTicked, bool pathIsFolder, bool pathWritable, int extractOnly,
                                int launchImmediately) {
    if (openTicked) {
        if (!pathIsFolder) return FINISH_REPORT_MISSING_FOLDER;
        return pathWritable ? FINISH_OPEN_FOLDER : FINISH_REPORT_NO_PERMISSION;
    }
    if (extractOnly == 0 && launchImmediately == 0) return FINISH_LAUNCH_SETUP;
    return FINISH_NOTHING;
}
