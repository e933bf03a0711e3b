#pragma once
// The look of the skinned button: its parameters, the three looks (normal, hover, focus), the colour
// rule, the procedurally rendered tile and the nine slices that stretch the tile over the button.
//
// Colours are 0x00BBGGRR values, the byte order of the platform's COLORREF (RGB() builds the same
// value): SetPixel takes them as they are; a 32-bit device-independent bitmap wants red and blue
// swapped.

#include <cstdint>
#include <vector>

constexpr uint32_t MakeColour(int red, int green, int blue) {
    return static_cast<uint32_t>(red & 0xFF) | (static_cast<uint32_t>(green & 0xFF) << 8) |
           (static_cast<uint32_t>(blue & 0xFF) << 16);
}
constexpr int ColourRed(uint32_t colour) { return static_cast<int>(colour & 0xFF); }
constexpr int ColourGreen(uint32_t colour) { return static_cast<int>((colour >> 8) & 0xFF); }
constexpr int ColourBlue(uint32_t colour) { return static_cast<int>((colour >> 16) & 0xFF); }

constexpr uint32_t PAGE_BACKGROUND_COLOUR = MakeColour(240, 240, 240);
constexpr uint32_t BUTTON_DEFAULT_FACE = MakeColour(230, 230, 230);
constexpr uint32_t BUTTON_FOCUS_ACCENT = MakeColour(24, 103, 158);
constexpr uint32_t BUTTON_HOVER_ACCENT = MakeColour(239, 181, 73);
constexpr uint32_t BUTTON_DISABLED_TEXT = MakeColour(254, 254, 254);
constexpr uint32_t BUTTON_WHITE_FACE = MakeColour(255, 255, 255);
constexpr uint32_t BUTTON_ENABLED_TEXT = MakeColour(0, 0, 0);

// The parameters of one look, with the initial values of a new button.
struct ButtonLook {
    double radius = 10.0;           // outer radius of the shape, R
    double innerFraction = 0.2;     // ring thickness as a fraction of R, f
    double strokeWidth = 2.0;       // width of the anti-aliased edges, w
    double ringFalloff = 0.5;       // darkening of the ring toward its edges
    double highlightFalloff = 0.5;  // darkening of the highlight
    double highlightOffsetX = 0.0;  // highlight centre relative to the tile centre
    double highlightOffsetY = -7.0;
    double highlightRadius = 7.0;
    double highlightIntensity = 0.4;
    int hot = 0;                    // 1: accent ring and highlight
    int cornerSize = 5;             // nine-slice corner k: 5 normal, 6 hover and focus
    int enabledLook = 0;            // the button is shown as enabled (set by the owner)
    uint32_t backgroundColour = BUTTON_DEFAULT_FACE;  // outside the rounded shape
    uint32_t faceColour = BUTTON_DEFAULT_FACE;        // ring (normal) or highlight (hover, focus)
    uint32_t accentColour = BUTTON_FOCUS_ACCENT;      // ring in the hover and focus looks
};

// The colour rule: face := face, or the default face when face is 0. Then, when accent is non-zero
// or the enabled look is off: accent := accent when it is non-zero and the enabled look is on,
// otherwise the default face. A disabled button therefore shows a grey ring in every look, and the
// normal look (accent 0) leaves an enabled button's accent unchanged.
void SetButtonColours(ButtonLook& look, uint32_t face, uint32_t accent);

// Normal look: corners 5, R 10, f 0.2, not hot, colours (face, 0); face 0 is the default face.
void ApplyNormalLook(ButtonLook& look, uint32_t face);
// Hover look: corners 6, R 6, f 0.3, hot, colours (0, hover accent).
void ApplyHoverLook(ButtonLook& look);
// Focus look: corners 6, R 6, f 0.3, hot, colours (default face, focus accent).
void ApplyFocusLook(ButtonLook& look);

// Caption colour: black when the enabled look is on, RGB(254, 254, 254) otherwise.
uint32_t ButtonTextColour(int enabledLook);

// Half the tile side, e = (int)ceil(w / 2 + R): 11 normal, 7 hover and focus.
int ButtonTileHalf(const ButtonLook& look);

// The rendered tile: side 2e + 1, pixels row by row from the top, each 0x00BBGGRR.
struct ButtonTile {
    int side = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * side + x]; }
};
ButtonTile RenderButtonTile(const ButtonLook& look);

// One copy of the nine-slice rendering: the source rectangle in the tile is stretched to the
// destination rectangle in the item.
struct SliceRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const SliceRect& o) const {
        return left == o.left && top == o.top && width == o.width && height == o.height;
    }
};
struct ButtonSlice {
    SliceRect source;
    SliceRect destination;
};
// The nine slices for a tile of side tileSide, corner size corner and an item of itemWidth x
// itemHeight, in this order: the four corners (top left, top right, bottom left, bottom right),
// top edge, bottom edge, left edge, right edge, centre. Edges and centre come from the one-pixel
// column (row) at x = corner (y = corner). Slices whose destination would be empty or negative (an
// item narrower or lower than two corners) are left out.
std::vector<ButtonSlice> ButtonNineSlices(int tileSide, int corner, int itemWidth, int itemHeight);
