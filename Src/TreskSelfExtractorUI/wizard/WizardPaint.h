#pragma once
// What the wizard's pages, its sheet and its prompts paint alike: the page background, the texts
// drawn transparently over it in the colours of the moment (high contrast or not), and the skinned
// buttons, which their parent draws.

#include <windows.h>

// Fills the window's client area with the page background; for WM_ERASEBKGND.
void FillPageBackground(HWND window, HDC dc);
// Texts, check boxes and radio buttons show the background beneath them, in the page's text
// colour; for WM_CTLCOLORSTATIC and WM_CTLCOLORBTN. Returns the brush to hand back.
HBRUSH TransparentTextColours(HDC dc);

// The skinned look of a window's own messages: the background (WM_ERASEBKGND), transparent texts
// (WM_CTLCOLORSTATIC, WM_CTLCOLORBTN) and its skinned buttons (WM_DRAWITEM). True when the message
// was handled; result is then its result. Pages, prompts and the sheet call it first.
bool HandleSkinnedChrome(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
// The same for a dialog procedure: what it returns for the message (the colour messages return
// their brush; the others their result through DWLP_MSGRESULT and TRUE).
bool HandleSkinnedDialogChrome(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& returned);
