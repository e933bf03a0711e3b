#include "wizard/WizardColours.h"

#include <windows.h>

#include "WinGui/Dpi.h"

#include "wizard/ButtonFace.h"

namespace {

// The platform's indexes of the system colours used (winuser.h).
constexpr int kWindowText = 8;       // COLOR_WINDOWTEXT
constexpr int kHighlight = 13;       // COLOR_HIGHLIGHT
constexpr int kButtonFace = 15;      // COLOR_BTNFACE
constexpr int kGrayText = 17;        // COLOR_GRAYTEXT
constexpr int kButtonText = 18;      // COLOR_BTNTEXT

}  // namespace

WizardColours ChooseWizardColours(bool highContrast, const SystemColourLookup& systemColour) {
    WizardColours colours;
    colours.highContrast = highContrast;
    if (!highContrast) {
        colours.pageBackground = PAGE_BACKGROUND_COLOUR;
        colours.pageText = BUTTON_ENABLED_TEXT;
        colours.bandTitleText = MakeColour(255, 255, 255);
        return colours;
    }
    colours.drawPictures = false;
    colours.pageBackground = systemColour(kButtonFace);
    colours.pageText = systemColour(kButtonText);
    colours.bandTitleText = systemColour(kButtonText);
    colours.buttonFace = systemColour(kButtonFace);
    colours.buttonText = systemColour(kButtonText);
    colours.buttonDisabledText = systemColour(kGrayText);
    colours.buttonFrame = systemColour(kWindowText);
    colours.focusFrame = systemColour(kHighlight);
    return colours;
}

bool HighContrastWanted() {
    if (wingui::HighContrastOn()) return true;
    wchar_t value[4] = {};
    return GetEnvironmentVariableW(L"TRESK_HIGH_CONTRAST", value, 4) == 1 && value[0] == L'1';
}

WizardColours CurrentWizardColours() {
    return ChooseWizardColours(HighContrastWanted(), [](int index) { return static_cast<uint32_t>(GetSysColor(index)); });
}
