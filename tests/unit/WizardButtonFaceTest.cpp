// The skinned button's look: the rendered tile of each look, the colour rule and the nine slices
// that stretch the tile over a button.
#include <gtest/gtest.h>

#include <vector>

#include "wizard/ButtonFace.h"

namespace {

ButtonLook Look(int which, int enabled = 1) {
    ButtonLook look;
    look.enabledLook = enabled;
    look.backgroundColour = PAGE_BACKGROUND_COLOUR;
    if (which == 0) ApplyNormalLook(look, 0);
    if (which == 1) ApplyHoverLook(look);
    if (which == 2) ApplyFocusLook(look);
    return look;
}

const char* const LOOK_NAMES[] = {"normal", "hover", "focus"};

TEST(ButtonFace, LooksSetShapeAndCorners) {
    struct Case {
        int which, tileSide, half, corner, hot;
        double radius, innerFraction;
    };
    const Case cases[] = {{0, 23, 11, 5, 0, 10.0, 0.2}, {1, 15, 7, 6, 1, 6.0, 0.3}, {2, 15, 7, 6, 1, 6.0, 0.3}};
    for (const auto& c : cases) {
        const ButtonLook look = Look(c.which);
        SCOPED_TRACE(LOOK_NAMES[c.which]);
        EXPECT_EQ(ButtonTileHalf(look), c.half);
        EXPECT_EQ(RenderButtonTile(look).side, c.tileSide);
        EXPECT_EQ(look.cornerSize, c.corner);
        EXPECT_EQ(look.hot, c.hot);
        EXPECT_DOUBLE_EQ(look.radius, c.radius);
        EXPECT_DOUBLE_EQ(look.innerFraction, c.innerFraction);
    }
}

TEST(ButtonFace, TilePixels) {
    for (int which = 0; which < 3; ++which) {
        SCOPED_TRACE(LOOK_NAMES[which]);
        const ButtonTile tile = RenderButtonTile(Look(which));
        const int last = tile.side - 1;
        // Outside the rounded shape only the background shows.
        for (auto [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}})
            EXPECT_EQ(tile.At(x, y), PAGE_BACKGROUND_COLOUR) << x << "," << y;
        // The shape is symmetric left to right (the highlight lies straight above the centre).
        for (int y = 0; y < tile.side; ++y)
            for (int x = 0; x < tile.side; ++x) ASSERT_EQ(tile.At(x, y), tile.At(last - x, y)) << x << "," << y;
    }
}

TEST(ButtonFace, NormalLookValues) {
    const ButtonTile tile = RenderButtonTile(Look(0));
    // Inside the inner circle the normal look has neither background nor face: black, unused.
    EXPECT_EQ(tile.At(11, 11), MakeColour(0, 0, 0));
    // The pixel (k, k) = (5, 5) lies on the shaded ring and is what fills the button's centre:
    // 230 x 0.8548 = 196.
    EXPECT_EQ(tile.At(5, 5), MakeColour(196, 196, 196));
}

TEST(ButtonFace, HoverAndFocusLookValues) {
    const ButtonTile hover = RenderButtonTile(Look(1));
    // The highlight saturates the centre: 230 x 1.2, clamped.
    EXPECT_EQ(hover.At(7, 7), MakeColour(255, 255, 255));
    // On the ring, 5 pixels right of the centre, the hover accent shows at 99.4 %.
    EXPECT_EQ(hover.At(12, 7), MakeColour(237, 179, 72));
    // The highlight is lit from above (right around the centre both sides saturate).
    for (int dy = 2; dy <= 3; ++dy) EXPECT_GT(ColourRed(hover.At(7, 7 - dy)), ColourRed(hover.At(7, 7 + dy))) << dy;
    const ButtonTile focus = RenderButtonTile(Look(2));
    EXPECT_GT(ColourBlue(focus.At(12, 7)), ColourRed(focus.At(12, 7)));
}

TEST(ButtonFace, DisabledButtonKeepsAGreyRingAndLightText) {
    for (int which = 0; which < 3; ++which) {
        const uint32_t ring = RenderButtonTile(Look(which, 0)).At(which == 0 ? 20 : 12, which == 0 ? 11 : 7);
        EXPECT_EQ(ColourRed(ring), ColourGreen(ring)) << LOOK_NAMES[which];
        EXPECT_EQ(ColourGreen(ring), ColourBlue(ring)) << LOOK_NAMES[which];
    }
    EXPECT_EQ(ButtonTextColour(0), MakeColour(254, 254, 254));
    EXPECT_EQ(ButtonTextColour(1), MakeColour(0, 0, 0));
}

TEST(ButtonFace, ColourRule) {
    const uint32_t RED = MakeColour(200, 0, 0), WHITE = BUTTON_WHITE_FACE;
    struct Case {
        int enabled;
        uint32_t accentBefore, face, accent;
        uint32_t faceAfter, accentAfter;
    };
    const Case cases[] = {
        {1, RED, 0, 0, BUTTON_DEFAULT_FACE, RED},  // the normal look keeps an enabled button's accent
        {1, RED, WHITE, 0, WHITE, RED},
        {1, RED, 0, BUTTON_HOVER_ACCENT, BUTTON_DEFAULT_FACE, BUTTON_HOVER_ACCENT},
        {0, RED, 0, 0, BUTTON_DEFAULT_FACE, BUTTON_DEFAULT_FACE},
        {0, RED, 0, BUTTON_FOCUS_ACCENT, BUTTON_DEFAULT_FACE, BUTTON_DEFAULT_FACE},
    };
    for (const auto& c : cases) {
        ButtonLook look;
        look.enabledLook = c.enabled;
        look.accentColour = c.accentBefore;
        SetButtonColours(look, c.face, c.accent);
        EXPECT_EQ(look.faceColour, c.faceAfter) << c.enabled << " " << c.face << " " << c.accent;
        EXPECT_EQ(look.accentColour, c.accentAfter) << c.enabled << " " << c.face << " " << c.accent;
    }
}

TEST(ButtonFace, NineSlices) {
    const std::vector<ButtonSlice> slices = ButtonNineSlices(23, 5, 108, 30);
    const std::vector<std::pair<SliceRect, SliceRect>> expected = {
        {{0, 0, 5, 5}, {0, 0, 5, 5}},      {{18, 0, 5, 5}, {103, 0, 5, 5}},
        {{0, 18, 5, 5}, {0, 25, 5, 5}},    {{18, 18, 5, 5}, {103, 25, 5, 5}},
        {{5, 0, 1, 5}, {5, 0, 98, 5}},     {{5, 18, 1, 5}, {5, 25, 98, 5}},
        {{0, 5, 5, 1}, {0, 5, 5, 20}},     {{18, 5, 5, 1}, {103, 5, 5, 20}},
        {{5, 5, 1, 1}, {5, 5, 98, 20}},
    };
    ASSERT_EQ(slices.size(), expected.size());
    for (size_t i = 0; i < slices.size(); ++i) {
        EXPECT_EQ(slices[i].source, expected[i].first) << i;
        EXPECT_EQ(slices[i].destination, expected[i].second) << i;
    }
    // The destinations cover every pixel of the item exactly once, for both corner sizes.
    for (auto [tile, corner] : {std::pair{23, 5}, {15, 6}}) {
        std::vector<int> covered(95 * 30, 0);
        for (const auto& s : ButtonNineSlices(tile, corner, 95, 30))
            for (int y = s.destination.top; y < s.destination.top + s.destination.height; ++y)
                for (int x = s.destination.left; x < s.destination.left + s.destination.width; ++x) ++covered[y * 95 + x];
        for (int n : covered) ASSERT_EQ(n, 1) << "corner " << corner;
    }
    // An item no wider than two corners gets its corners only.
    EXPECT_EQ(ButtonNineSlices(15, 6, 12, 30).size(), 6u);
}

}  // namespace
