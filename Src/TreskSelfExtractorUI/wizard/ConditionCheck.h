#pragma once
// The wizard's requirements page: the messages of the package's conditions that this computer does
// not meet, in the selected language, with Retry once the user has fixed them.

#include "wizard/QirvaPage.h"

class CConditionCheck : public CQirvaPage {
public:
    explicit CConditionCheck(CQirvaSheet& sheet);
    void InitPage() override;
    void ActivatePage() override;
    // Once Retry found the conditions met, the page is passed over on the way back.
    bool IsPassed() const { return passed; }

protected:
    bool OnSetActive() override;
    LRESULT OnWizardNext() override;

private:
    void SetPageTexts();

    bool passed = false;
};
