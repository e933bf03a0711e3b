#pragma once
// The colours the wizard and its prompts draw with. In the normal look they are the program's own
// (light-grey pages, skinned buttons, the package's band images); with high contrast on, every
// colour is one of the user's system colours, no picture is drawn behind or beside a text, and the
// buttons are plain framed buttons that show the focus.

#include <cstdint>
#include <functional>

struct WizardColours {
    bool highContrast = false;
    bool drawPictures = true;        // band images, the welcome picture, the page pictures
    uint32_t pageBackground = 0;     // pages, prompts, the sheet's own background
    uint32_t pageText = 0;           // texts on the pages (and the band title in high contrast)
    uint32_t bandTitleText = 0;      // the package title in the top band
    uint32_t buttonFace = 0;         // high contrast: the skinned buttons' face ...
    uint32_t buttonText = 0;         // ... caption ...
    uint32_t buttonDisabledText = 0; // ... caption when disabled ...
    uint32_t buttonFrame = 0;        // ... frame ...
    uint32_t focusFrame = 0;         // ... and the frame that shows the focus
};

// The platform's system colour of an index (COLOR_BTNFACE, ...), as 0x00BBGGRR.
using SystemColourLookup = std::function<uint32_t(int index)>;

WizardColours ChooseWizardColours(bool highContrast, const SystemColourLookup& systemColour);

// Whether the wizard draws in high contrast: the user's system setting, or the environment
// variable TRESK_HIGH_CONTRAST set to "1" (for systems that cannot switch the setting, such as the
// test machines). Read at every call, so a change shows at the next paint.
bool HighContrastWanted();
// The colours for now.
WizardColours CurrentWizardColours();
