#pragma once
// Scoped owners of GDI and GDI+ objects: each deletes, releases or restores what it holds when it
// goes out of scope, so no paint path can leak a handle or leave an object selected.

#include <windows.h>

#include <string>
#include <utility>

namespace wingui {

// A font, brush, bitmap or pen that this object deletes.
template <typename Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle(handle) {}
    ~GdiObject() { Reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : handle(std::exchange(other.handle, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            Reset();
            handle = std::exchange(other.handle, nullptr);
        }
        return *this;
    }
    void Reset(Handle replacement = nullptr) {
        if (handle) DeleteObject(handle);
        handle = replacement;
    }
    Handle Get() const { return handle; }
    explicit operator bool() const { return handle != nullptr; }

private:
    Handle handle = nullptr;
};

using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Bitmap = GdiObject<HBITMAP>;
using Pen = GdiObject<HPEN>;

// The screen's resolution in dots per inch (96 at the default setting).
int ScreenDpi();
// A length in pixels at 96 DPI, for the screen's resolution.
int ScaleForDpi(int pixels);

// A font by face and weight whose height in pixels at 96 DPI grows with the screen's resolution
// (all other fields zero).
HFONT CreateSimpleFont(const std::wstring& face, int height, int weight);

// Selects an object into a device context and restores the previous one.
class SelectObjectScope {
public:
    SelectObjectScope(HDC dc, HGDIOBJ object) : dc(dc), previous(SelectObject(dc, object)) {}
    ~SelectObjectScope() {
        if (previous) SelectObject(dc, previous);
    }
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;

private:
    HDC dc;
    HGDIOBJ previous;
};

class ClientDC {
public:
    explicit ClientDC(HWND window) : window(window), dc(GetDC(window)) {}
    ~ClientDC() {
        if (dc) ReleaseDC(window, dc);
    }
    ClientDC(const ClientDC&) = delete;
    ClientDC& operator=(const ClientDC&) = delete;
    HDC Get() const { return dc; }

private:
    HWND window;
    HDC dc;
};

class PaintDC {
public:
    explicit PaintDC(HWND window) : window(window) { dc = BeginPaint(window, &paint); }
    ~PaintDC() { EndPaint(window, &paint); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC Get() const { return dc; }
    const RECT& PaintRect() const { return paint.rcPaint; }

private:
    HWND window;
    PAINTSTRUCT paint = {};
    HDC dc = nullptr;
};

class MemoryDC {
public:
    explicit MemoryDC(HDC compatible) : dc(CreateCompatibleDC(compatible)) {}
    ~MemoryDC() {
        if (dc) DeleteDC(dc);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC Get() const { return dc; }

private:
    HDC dc;
};

// A decoded GDI+ image (from a file or from bytes), drawn stretched into a rectangle.
class GdiplusImage {
public:
    GdiplusImage() = default;
    ~GdiplusImage();
    GdiplusImage(const GdiplusImage&) = delete;
    GdiplusImage& operator=(const GdiplusImage&) = delete;

    bool LoadFile(const std::wstring& path);
    // Decodes an image from bytes in memory (a resource, say).
    bool LoadBytes(const void* bytes, size_t size);
    // The image of a resource of the module, by id and type name ("PNG").
    bool LoadResource(HINSTANCE module, int id, const wchar_t* type);
    // A BITMAP resource of the module.
    bool LoadBitmapResource(HINSTANCE module, int id);
    int Width() const;
    int Height() const;
    void Reset();
    bool IsLoaded() const { return image != nullptr; }
    // Draws the image stretched to the rectangle, without keeping its aspect ratio, with a
    // high-quality filter.
    void Draw(HDC dc, const RECT& rect) const;
    // A 24-bit bitmap of the given size holding the image: smoothed with a high-quality filter, or
    // with its pixels repeated (for pictures whose key colour must stay unmixed); filled with the
    // background colour first. Null when there is no image.
    HBITMAP CreateBitmap(int width, int height, COLORREF background, bool smooth) const;
    // The colour of one pixel (0x00BBGGRR); fallback when there is no image or no such pixel.
    COLORREF PixelColour(int x, int y, COLORREF fallback) const;

private:
    void* image = nullptr;  // Gdiplus::GpImage*
};

}  // namespace wingui
