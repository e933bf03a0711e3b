#pragma once
// The program's own pictures for a display scale. Each is drawn for 100, 150 and 200 percent
// (scripts/make-artwork); the drawing nearest to the window's scale is taken and brought to the
// exact size with a high-quality filter.

#include <windows.h>

#include "WinGui/Dpi.h"

// The resource of a picture drawn for a scale: the 100 percent bitmap's id, or the id of its
// 150 or 200 percent PNG.
int ScaledArtId(int bitmapId, int artPercent);

// A bitmap of the picture for the scale, on the background colour; keyed pictures (whose magenta
// is made transparent by an image list) are enlarged by repeating pixels, so the key colour
// never mixes into their edges. Null when the picture is missing; the caller owns it.
HBITMAP LoadArtBitmap(int bitmapId, const wingui::DisplayScale& scale, COLORREF background, bool keyed = false);
