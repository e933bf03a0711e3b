#pragma once
// The wizard's welcome page: the package's display name and, when the package asks for it, the
// welcome picture.

#include "WinGui/Gdi.h"
#include "wizard/QirvaPage.h"

class CWelcomePage : public CQirvaPage {
public:
    explicit CWelcomePage(CQirvaSheet& sheet);
    void InitPage() override;
    void ActivatePage() override;

protected:
    LRESULT OnWizardNext() override;
    void PaintPage(HDC dc, const RECT& client) override;

private:
    wingui::GdiplusImage welcomePicture;
};
