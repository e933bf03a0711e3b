// Display scale: the user's text size from the message font, the picture drawn for a scale, and
// the dialog templates laid out again from their dialog units at any resolution.
#include <gtest/gtest.h>

#include <windows.h>
#include <objidl.h>

#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

#include "WinGui/DialogTemplate.h"
#include "WinGui/Dpi.h"
#include "res/WizardResources.h"
#include "res/resource.h"
#include "wizard/Artwork.h"
#include "wizard/ButtonFace.h"
#include "wizard/WizardColours.h"

namespace {

// The pictures are decoded and scaled with the imaging library, which the program starts first.
class ImagingLibrary : public ::testing::Environment {
public:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(token); }

private:
    ULONG_PTR token = 0;
};
const auto* const imagingLibrary = ::testing::AddGlobalTestEnvironment(new ImagingLibrary);

TEST(DisplayScale, TextSizeFromTheMessageFont) {
    struct Case {
        int height, dpi, percent;
    };
    const Case cases[] = {
        {-12, 96, 100},   // the default 9-point font
        {-11, 96, 100},   // an older system's 8-point default counts as the default
        {-18, 96, 150},   // text enlarged by half
        {18, 96, 150},    // a cell height is read the same
        {-24, 192, 100},  // the default at 200 percent resolution
        {-36, 192, 150},
        {-27, 96, 225},   // the largest text size the system offers
        {0, 96, 100},     // no font reported
        {-12, 0, 100},    // no resolution reported
    };
    for (const auto& c : cases)
        EXPECT_EQ(wingui::TextScalePercent(c.height, c.dpi), c.percent) << c.height << " at " << c.dpi;
}

TEST(DisplayScale, PixelsGrowWithResolutionAndTextSize) {
    EXPECT_EQ((wingui::DisplayScale{96, 100}).Pixels(47), 47);
    EXPECT_EQ((wingui::DisplayScale{120, 100}).Pixels(47), 59);
    EXPECT_EQ((wingui::DisplayScale{192, 100}).Pixels(47), 94);
    EXPECT_EQ((wingui::DisplayScale{96, 150}).Pixels(47), 71);
    EXPECT_EQ((wingui::DisplayScale{144, 150}).FontDpi(), 216);
    EXPECT_EQ((wingui::DisplayScale{144, 150}).Percent(), 225);
}

// A dialog laid out larger than its template is centred again, and never starts off the screen.
TEST(DisplayScale, ADialogCentredInTheWorkArea) {
    const RECT screen = {0, 0, 1280, 984};
    struct Case {
        const char* label;
        RECT area;
        SIZE size;
        RECT centred;
    };
    const Case cases[] = {
        {"fits", screen, {743, 182}, {268, 401, 1011, 583}},
        {"grown by the text size", screen, {1114, 272}, {83, 356, 1197, 628}},
        {"wider than the screen", screen, {1400, 300}, {0, 342, 1400, 642}},
        {"higher than the screen", screen, {600, 1100}, {340, 0, 940, 1100}},
        {"a second monitor to the left", {-1920, 0, 0, 1040}, {743, 182}, {-1332, 429, -589, 611}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const RECT r = wingui::CentredIn(c.area, c.size);
        EXPECT_EQ(r.left, c.centred.left);
        EXPECT_EQ(r.top, c.centred.top);
        EXPECT_EQ(r.right, c.centred.right);
        EXPECT_EQ(r.bottom, c.centred.bottom);
    }
}

TEST(Artwork, NearestDrawingForAScale) {
    struct Case {
        int percent, art;
    };
    const Case cases[] = {{100, 100}, {110, 100}, {124, 100}, {125, 150}, {150, 150}, {174, 150},
                          {175, 200}, {200, 200}, {300, 200}, {50, 100}};
    for (const auto& c : cases) EXPECT_EQ(wingui::NearestArtPercent(c.percent), c.art) << c.percent;
    EXPECT_EQ(ScaledArtId(IDB_HEADING, 100), IDB_HEADING);
    EXPECT_EQ(ScaledArtId(IDB_HEADING, 150), IDB_HEADING + ART_ID_150);
    EXPECT_EQ(ScaledArtId(IDB_NOTE, 200), IDB_NOTE + ART_ID_200);
}

TEST(Artwork, EveryPictureAtEveryScaleHasItsSize) {
    // Each drawing exists for every scale and comes out at the picture's size for the window.
    struct Picture {
        int id, side;
    };
    const Picture pictures[] = {{IDB_HEADING, 48}, {IDB_SUCCESS, 48}, {IDB_ERROR, 48}, {IDB_REQUIREMENTS, 48},
                                {IDB_NOTE, 48}, {IDB_QUESTION, 32}, {IDB_LICENSE_OPEN, 14}, {IDB_LICENSE_ACCEPTED, 14}};
    for (int dpi : {96, 120, 144, 168, 192, 240}) {
        for (const auto& picture : pictures) {
            const wingui::DisplayScale scale{dpi, 100};
            for (int percent : {150, 200})
                EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(ScaledArtId(picture.id, percent)), L"PNG"), nullptr)
                    << picture.id << " at " << percent;
            HBITMAP bitmap = LoadArtBitmap(picture.id, scale, RGB(240, 240, 240));
            ASSERT_NE(bitmap, nullptr) << picture.id << " at " << dpi;
            BITMAP size = {};
            GetObjectW(bitmap, sizeof(size), &size);
            EXPECT_EQ(size.bmWidth, scale.Pixels(picture.side)) << picture.id << " at " << dpi;
            EXPECT_EQ(size.bmHeight, scale.Pixels(picture.side)) << picture.id << " at " << dpi;
            DeleteObject(bitmap);
        }
    }
}

TEST(DialogTemplate, ReadsTheTemplatesOfTheProgram) {
    wingui::DialogTemplateLayout layout;
    ASSERT_TRUE(wingui::LoadDialogTemplate(nullptr, IDD_LANGUAGE_PAGE, layout));
    EXPECT_EQ(layout.rect.cx, 317);
    EXPECT_EQ(layout.rect.cy, 193);
    EXPECT_TRUE(layout.hasFont);
    EXPECT_EQ(layout.pointSize, 8);
    EXPECT_EQ(layout.face, L"MS Shell Dlg");
    // The picture, the heading and the ten radio buttons, in template order.
    ASSERT_EQ(layout.items.size(), 12u);
    EXPECT_EQ(layout.items[0].id, IDC_PAGE_PICTURE);
    EXPECT_EQ(layout.items[1].id, IDC_LANGUAGE_HEADING);
    EXPECT_EQ(layout.items[1].rect.x, 52);
    EXPECT_EQ(layout.items[1].rect.cx, 250);
    EXPECT_EQ(layout.items[11].id, 1017);
    EXPECT_EQ(layout.items[11].rect.y, 175);

    // A template cut short is refused rather than read past its end.
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_LANGUAGE_PAGE), reinterpret_cast<LPCWSTR>(RT_DIALOG));
    ASSERT_NE(found, nullptr);
    const void* bytes = LockResource(LoadResource(nullptr, found));
    const DWORD size = SizeofResource(nullptr, found);
    for (DWORD cut : {0ul, 10ul, size / 2, size - 1})
        EXPECT_FALSE(wingui::ParseDialogTemplate(bytes, cut, layout)) << cut;
}

TEST(DialogTemplate, LayoutGrowsInProportionToTheResolution) {
    // Base units of the template font at 96 DPI: 6 x 13.
    const wingui::DialogBaseUnits units{6, 13};
    const wingui::DialogUnitsRect page{0, 0, 317, 193}, line{11, 139, 295, 18};
    const RECT at96 = wingui::MapDialogUnitsScaled(page, units, 96);
    EXPECT_EQ(at96.right, 476);
    EXPECT_EQ(at96.bottom, 314);
    for (int dpi : {120, 144, 192, 216, 288}) {
        const RECT scaled = wingui::MapDialogUnitsScaled(line, units, dpi);
        // Every edge is its exact place at 96 DPI times the factor, rounded once.
        const double factor = dpi / 96.0;
        EXPECT_NEAR(scaled.left, 11 * 6 / 4.0 * factor, 0.5) << dpi;
        EXPECT_NEAR(scaled.right, (11 + 295) * 6 / 4.0 * factor, 0.5) << dpi;
        EXPECT_NEAR(scaled.top, 139 * 13 / 8.0 * factor, 0.5) << dpi;
        EXPECT_NEAR(scaled.bottom, (139 + 18) * 13 / 8.0 * factor, 0.5) << dpi;
    }
    // The dialog manager's rounding at 96 DPI, within a pixel.
    const RECT manager = wingui::MapDialogUnits(line, units);
    const RECT ours = wingui::MapDialogUnitsScaled(line, units, 96);
    EXPECT_NEAR(ours.left, manager.left, 1);
    EXPECT_NEAR(ours.right, manager.right, 1);
    EXPECT_NEAR(ours.bottom, manager.bottom, 1);
}

TEST(WizardColours, HighContrastTakesEveryColourFromTheSystem) {
    // A stand-in system palette: each index maps to a colour that names it.
    auto system = [](int index) { return static_cast<uint32_t>(0x010101u * static_cast<uint32_t>(index)); };
    const WizardColours normal = ChooseWizardColours(false, system);
    EXPECT_FALSE(normal.highContrast);
    EXPECT_TRUE(normal.drawPictures);
    EXPECT_EQ(normal.pageBackground, PAGE_BACKGROUND_COLOUR);
    EXPECT_EQ(normal.bandTitleText, MakeColour(255, 255, 255));

    const WizardColours contrast = ChooseWizardColours(true, system);
    EXPECT_TRUE(contrast.highContrast);
    EXPECT_FALSE(contrast.drawPictures) << "no picture behind or beside a text";
    struct Case {
        const char* what;
        uint32_t colour;
        int index;
    };
    const Case cases[] = {
        {"page background", contrast.pageBackground, COLOR_BTNFACE},
        {"page text", contrast.pageText, COLOR_BTNTEXT},
        {"band title", contrast.bandTitleText, COLOR_BTNTEXT},
        {"button face", contrast.buttonFace, COLOR_BTNFACE},
        {"button text", contrast.buttonText, COLOR_BTNTEXT},
        {"disabled button text", contrast.buttonDisabledText, COLOR_GRAYTEXT},
        {"button frame", contrast.buttonFrame, COLOR_WINDOWTEXT},
        {"focus frame", contrast.focusFrame, COLOR_HIGHLIGHT},
    };
    for (const auto& c : cases) EXPECT_EQ(c.colour, system(c.index)) << c.what;
}

}  // namespace
