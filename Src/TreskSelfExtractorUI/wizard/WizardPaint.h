#pragma once
// What the wizard's pages, its sheet and its prompts paint alike: the page background and the
// texts drawn transparently over it, in the colours of the moment (high contrast or not).

#include <windows.h>

// Fills the window's client area with the page background; for WM_ERASEBKGND.
void FillPageBackground(HWND window, HDC dc);
// Texts, check boxes and radio buttons show the background beneath them, in the page's text
// colour; for WM_CTLCOLORSTATIC and WM_CTLCOLORBTN. Returns the brush to hand back.
HBRUSH TransparentTextColours(HDC dc);
