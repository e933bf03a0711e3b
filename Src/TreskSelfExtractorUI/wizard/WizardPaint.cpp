#include "wizard/WizardPaint.h"

#include "WinGui/Gdi.h"
#include "wizard/WizardColours.h"

void FillPageBackground(HWND window, HDC dc) {
    RECT client = {};
    GetClientRect(window, &client);
    wingui::Brush background(CreateSolidBrush(CurrentWizardColours().pageBackground));
    FillRect(dc, &client, background.Get());
}

HBRUSH TransparentTextColours(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, CurrentWizardColours().pageText);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}
