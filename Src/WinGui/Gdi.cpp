#include "Gdi.h"

#include <objidl.h>

#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

namespace wingui {

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int ScaleForDpi(int pixels) { return MulDiv(pixels, ScreenDpi(), 96); }

HFONT CreateSimpleFont(const std::wstring& face, int height, int weight) {
    LOGFONTW font = {};
    font.lfHeight = ScaleForDpi(height);
    font.lfWeight = weight;
    wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

GdiplusImage::~GdiplusImage() { Reset(); }

void GdiplusImage::Reset() {
    if (image) Gdiplus::DllExports::GdipDisposeImage(static_cast<Gdiplus::GpImage*>(image));
    image = nullptr;
}

bool GdiplusImage::LoadFile(const std::wstring& path) {
    Reset();
    Gdiplus::GpImage* loaded = nullptr;
    if (path.empty() || Gdiplus::DllExports::GdipLoadImageFromFile(path.c_str(), &loaded) != Gdiplus::Ok) return false;
    image = loaded;
    return true;
}

bool GdiplusImage::LoadBytes(const void* bytes, size_t size) {
    Reset();
    if (!bytes || size == 0) return false;
    // The stream needs a movable block it owns; it frees the block when it is released.
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return false;
    void* target = GlobalLock(block);
    if (!target) {
        GlobalFree(block);
        return false;
    }
    memcpy(target, bytes, size);
    GlobalUnlock(block);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {
        GlobalFree(block);
        return false;
    }
    Gdiplus::GpImage* loaded = nullptr;
    // A bitmap decoded from a stream keeps reading it; a clone holds its own pixels.
    Gdiplus::GpBitmap* decoded = nullptr;
    bool ok = Gdiplus::DllExports::GdipCreateBitmapFromStream(stream, &decoded) == Gdiplus::Ok;
    if (ok) {
        ok = Gdiplus::DllExports::GdipCloneImage(decoded, &loaded) == Gdiplus::Ok;
        Gdiplus::DllExports::GdipDisposeImage(decoded);
    }
    stream->Release();
    if (!ok) return false;
    image = loaded;
    return true;
}

bool GdiplusImage::LoadResource(HINSTANCE module, int id, const wchar_t* type) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!found) return false;
    HGLOBAL loaded = ::LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    return bytes && LoadBytes(bytes, SizeofResource(module, found));
}

bool GdiplusImage::LoadBitmapResource(HINSTANCE module, int id) {
    Reset();
    Gdiplus::GpBitmap* loaded = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromResource(module, MAKEINTRESOURCEW(id), &loaded) != Gdiplus::Ok)
        return false;
    image = loaded;
    return true;
}

int GdiplusImage::Width() const {
    UINT width = 0;
    if (image) Gdiplus::DllExports::GdipGetImageWidth(static_cast<Gdiplus::GpImage*>(image), &width);
    return static_cast<int>(width);
}

int GdiplusImage::Height() const {
    UINT height = 0;
    if (image) Gdiplus::DllExports::GdipGetImageHeight(static_cast<Gdiplus::GpImage*>(image), &height);
    return static_cast<int>(height);
}

namespace {

// Draws an image into a rectangle of a device context with the filter given.
void DrawImage(HDC dc, void* image, const RECT& rect, bool smooth) {
    Gdiplus::GpGraphics* graphics = nullptr;
    if (Gdiplus::DllExports::GdipCreateFromHDC(dc, &graphics) != Gdiplus::Ok) return;
    Gdiplus::DllExports::GdipSetInterpolationMode(
        graphics, smooth ? Gdiplus::InterpolationModeHighQualityBicubic : Gdiplus::InterpolationModeNearestNeighbor);
    Gdiplus::DllExports::GdipSetPixelOffsetMode(graphics, Gdiplus::PixelOffsetModeHighQuality);
    // The edge pixels are repeated beyond the image, so a stretched picture keeps its edges.
    Gdiplus::GpImageAttributes* attributes = nullptr;
    Gdiplus::DllExports::GdipCreateImageAttributes(&attributes);
    if (attributes) Gdiplus::DllExports::GdipSetImageAttributesWrapMode(attributes, Gdiplus::WrapModeTileFlipXY, 0, FALSE);
    UINT width = 0, height = 0;
    Gdiplus::DllExports::GdipGetImageWidth(static_cast<Gdiplus::GpImage*>(image), &width);
    Gdiplus::DllExports::GdipGetImageHeight(static_cast<Gdiplus::GpImage*>(image), &height);
    Gdiplus::DllExports::GdipDrawImageRectRectI(graphics, static_cast<Gdiplus::GpImage*>(image), rect.left, rect.top,
                                                rect.right - rect.left, rect.bottom - rect.top, 0, 0,
                                                static_cast<INT>(width), static_cast<INT>(height), Gdiplus::UnitPixel,
                                                attributes, nullptr, nullptr);
    if (attributes) Gdiplus::DllExports::GdipDisposeImageAttributes(attributes);
    Gdiplus::DllExports::GdipDeleteGraphics(graphics);
}

}  // namespace

void GdiplusImage::Draw(HDC dc, const RECT& rect) const {
    if (!image) return;
    DrawImage(dc, image, rect, true);
}

HBITMAP GdiplusImage::CreateBitmap(int width, int height, COLORREF background, bool smooth) const {
    if (!image || width <= 0 || height <= 0) return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    MemoryDC dc(nullptr);
    {
        SelectObjectScope select(dc.Get(), bitmap);
        RECT all = {0, 0, width, height};
        Brush fill(CreateSolidBrush(background));
        FillRect(dc.Get(), &all, fill.Get());
        // At its own size the picture is copied pixel for pixel.
        DrawImage(dc.Get(), image, all, smooth && (width != Width() || height != Height()));
    }
    return bitmap;
}

COLORREF GdiplusImage::PixelColour(int x, int y, COLORREF fallback) const {
    if (!image) return fallback;
    UINT width = 0, height = 0;
    Gdiplus::DllExports::GdipGetImageWidth(static_cast<Gdiplus::GpImage*>(image), &width);
    Gdiplus::DllExports::GdipGetImageHeight(static_cast<Gdiplus::GpImage*>(image), &height);
    if (x < 0 || y < 0 || static_cast<UINT>(x) >= width || static_cast<UINT>(y) >= height) return fallback;
    Gdiplus::ARGB argb = 0;
    if (Gdiplus::DllExports::GdipBitmapGetPixel(static_cast<Gdiplus::GpBitmap*>(image), x, y, &argb) != Gdiplus::Ok)
        return fallback;
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

}  // namespace wingui
