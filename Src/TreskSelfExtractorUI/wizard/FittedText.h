#pragma once
// Sets a static control's text shortened to the control with "...", measured in the control's own
// font; shared by the pages and the prompts.

#include <windows.h>

#include <string>

#include "wizard/TextFitting.h"

void SetFittedControlText(HWND control, const std::wstring& text, TextFitVariant variant, int mode);
