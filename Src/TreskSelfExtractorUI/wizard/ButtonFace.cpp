#include "wizard/ButtonFace.h"

#include <cmath>

namespace {

double Clamp(double value, double low, double high) { return value < low ? low : (value > high ? high : value); }

int Channel(double value) {
    const int truncated = static_cast<int>(value);  // toward zero
    return truncated < 0 ? 0 : (truncated > 255 ? 255 : truncated);
}

void SetCornerAndShape(ButtonLook& look, int corner, double radius, double innerFraction, int hot) {
    look.cornerSize = corner;
    look.radius = radius;
    look.innerFraction = innerFraction;
    look.hot = hot;
}

}  // namespace

void SetButtonColours(ButtonLook& look, uint32_t face, uint32_t accent) {
    look.faceColour = face != 0 ? face : BUTTON_DEFAULT_FACE;
    if (accent != 0 || look.enabledLook == 0)
        look.accentColour = (accent != 0 && look.enabledLook == 1) ? accent : BUTTON_DEFAULT_FACE;
}

void ApplyNormalLook(ButtonLook& look, uint32_t face) {
    SetCornerAndShape(look, 5, 10.0, 0.2, 0);
    SetButtonColours(look, face, 0);
}

void ApplyHoverLook(ButtonLook& look) {
    SetCornerAndShape(look, 6, 6.0, 0.3, 1);
    SetButtonColours(look, 0, BUTTON_HOVER_ACCENT);
}

void ApplyFocusLook(ButtonLook& look) {
    SetCornerAndShape(look, 6, 6.0, 0.3, 1);
    SetButtonColours(look, BUTTON_DEFAULT_FACE, BUTTON_FOCUS_ACCENT);
}

uint32_t ButtonTextColour(int enabledLook) { return enabledLook ? BUTTON_ENABLED_TEXT : BUTTON_DISABLED_TEXT; }

int ButtonTileHalf(const ButtonLook& look) {
    return static_cast<int>(std::ceil(look.strokeWidth / 2.0 + look.radius));
}

ButtonTile RenderButtonTile(const ButtonLook& look) {
    const int e = ButtonTileHalf(look);
    const double R = look.radius;
    const double w = look.strokeWidth;
    const double c = Clamp((1.0 - look.innerFraction) * R, 0.0, R);
    ButtonTile tile;
    tile.side = 2 * e + 1;
    tile.pixels.resize(static_cast<size_t>(tile.side) * tile.side);
    const uint32_t colours[3] = {look.backgroundColour, look.faceColour, look.accentColour};
    for (int y = -e; y <= e; ++y) {
        for (int x = -e; x <= e; ++x) {
            const double d = std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y);
            const double a = (d - R) * 2.0 / w;
            const double r = Clamp(a + 0.5, 0.0, 1.0);
            const double b = (d - c) * 2.0 / w;
            const double shade = (c + R - 2.0 * d) / (R - c);
            const double D = Clamp(b + 0.5, 0.0, 1.0) * Clamp(0.5 - a, 0.0, 1.0) * (1.0 - look.ringFalloff * shade * shade);
            double O = 0.0;
            if (look.hot) {
                const double hx = x - look.highlightOffsetX;
                const double hy = y - look.highlightOffsetY;
                const double B = std::sqrt(hx * hx + hy * hy);
                const double inner = d / c;
                O = Clamp(0.5 - b, 0.0, 1.0) * (1.0 - inner * inner * look.highlightFalloff) *
                    (Clamp(1.0 - look.highlightFalloff * B / look.highlightRadius, -1.0, 1.0) * look.highlightIntensity + 1.0);
            }
            int channels[3];
            for (int i = 0; i < 3; ++i) {
                const int shift = 8 * i;
                const double background = (colours[0] >> shift) & 0xFF;
                const double face = (colours[1] >> shift) & 0xFF;
                const double accent = (colours[2] >> shift) & 0xFF;
                // Not hot: the ring takes the face colour; hot: the accent, and the face lights the inside.
                const double value = look.hot ? background * r + accent * D + face * O : background * r + face * D;
                channels[i] = Channel(value);
            }
            tile.pixels[static_cast<size_t>(y + e) * tile.side + (x + e)] = MakeColour(channels[0], channels[1], channels[2]);
        }
    }
    return tile;
}

std::vector<ButtonSlice> ButtonNineSlices(int tileSide, int corner, int itemWidth, int itemHeight) {
    const int T = tileSide, k = corner, W = itemWidth, H = itemHeight;
    const int innerW = W - 2 * k, innerH = H - 2 * k;
    std::vector<ButtonSlice> slices = {
        {{0, 0, k, k}, {0, 0, k, k}},
        {{T - k, 0, k, k}, {W - k, 0, k, k}},
        {{0, T - k, k, k}, {0, H - k, k, k}},
        {{T - k, T - k, k, k}, {W - k, H - k, k, k}},
        {{k, 0, 1, k}, {k, 0, innerW, k}},
        {{k, T - k, 1, k}, {k, H - k, innerW, k}},
        {{0, k, k, 1}, {0, k, k, innerH}},
        {{T - k, k, k, 1}, {W - k, k, k, innerH}},
        {{k, k, 1, 1}, {k, k, innerW, innerH}},
    };
    std::vector<ButtonSlice> kept;
    for (const auto& slice : slices)
        if (slice.destination.width > 0 && slice.destination.height > 0) kept.push_back(slice);
    return kept;
}
