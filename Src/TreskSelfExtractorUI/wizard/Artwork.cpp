#include "wizard/Artwork.h"

#include "WinGui/Gdi.h"
#include "res/WizardResources.h"

int ScaledArtId(int bitmapId, int artPercent) {
    if (artPercent == 150) return bitmapId + ART_ID_150;
    if (artPercent == 200) return bitmapId + ART_ID_200;
    return bitmapId;
}

HBITMAP LoadArtBitmap(int bitmapId, const wingui::DisplayScale& scale, COLORREF background, bool keyed) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    int percent = wingui::NearestArtPercent(scale.Percent());
    wingui::GdiplusImage image;
    bool loaded = percent == 100 ? image.LoadBitmapResource(module, bitmapId)
                                 : image.LoadResource(module, ScaledArtId(bitmapId, percent), L"PNG");
    if (!loaded) {
        // A drawing missing for the scale: the 100 percent one, enlarged.
        percent = 100;
        if (!image.LoadBitmapResource(module, bitmapId)) return nullptr;
    }
    // The picture's size at 100 percent, brought to the window's scale.
    const int width = scale.Pixels(MulDiv(image.Width(), 100, percent));
    const int height = scale.Pixels(MulDiv(image.Height(), 100, percent));
    return image.CreateBitmap(width, height, background, !keyed);
}
