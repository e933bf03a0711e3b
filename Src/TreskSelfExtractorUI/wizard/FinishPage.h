#pragma once
// The wizard's last page: the outcome of the run from the package result code, with its picture
// and the package's closing message.

#include "wizard/QirvaPage.h"

class CFinishPage : public CQirvaPage {
public:
    explicit CFinishPage(CQirvaSheet& sheet);
    void InitPage() override;
    void ActivatePage() override;

protected:
    bool OnQueryCancel() override { return true; }

private:
    void WriteOutcome();
    int errorShown = 0;
};
