#pragma once
// Every message box of the program goes through here: the caption is the application name and
// icon and default button follow the requested type.

#include <windows.h>

#include <string>

// The type actually shown for a requested message-box type.
UINT MessageBoxShownType(UINT requestedType);

int AppMessageBox(const std::wstring& text, UINT requestedType);
