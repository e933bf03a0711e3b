#pragma once
// Every message box of the program goes through here: the caption is the application name, icon
// and default button follow the requested type, and the buttons carry the current language's
// captions.

#include <windows.h>

#include <map>
#include <string>

// The type actually shown for a requested message-box type.
UINT MessageBoxShownType(UINT requestedType);
// The UI text numbers that caption the buttons of a requested type (button id to text number).
std::map<int, int> MessageBoxCaptionTexts(UINT requestedType);

int AppMessageBox(const std::wstring& text, UINT requestedType);

// A window that owns the message boxes while it is shown (the autolaunch page registers itself).
void SetMessageBoxOwner(HWND owner);
// The application's main window, the owner when no other is registered; and the caption of every
// box (the application name).
void SetMessageBoxMainWindow(HWND window);
void SetMessageBoxCaption(const std::wstring& caption);
