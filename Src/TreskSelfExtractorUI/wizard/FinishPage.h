#pragma once
// The wizard's last page: the outcome of the run from the package result code, with its picture
// and the package's closing message; it may offer to open the extraction folder, and Finish
// starts a setup that was deferred to it.

#include "wizard/QirvaPage.h"

class CFinishPage : public CQirvaPage {
public:
    explicit CFinishPage(CQirvaSheet& sheet);
    void InitPage() override;
    void ActivatePage() override;

protected:
    bool OnQueryCancel() override { return true; }
    // Opens the extraction folder when the box is ticked, or starts the setup deferred to Finish.
    bool OnWizardFinish() override;

private:
    void WriteOutcome();
    void OfferToOpenFolder();
    int errorShown = 0;
};
