#pragma once
// Sets a static control's text shortened to the control with "...", measured in the control's own
// font; shared by the pages and the prompts.

#include <windows.h>

#include <string>

#include "wizard/TextFitting.h"

void SetFittedControlText(HWND control, const std::wstring& text, TextFitVariant variant, int mode);
// Sets a text whose placeholder is replaced by value, the value shortened with "..." first when
// the text would not fit (FitTextWithShortenedValue), measured in the control's font.
void SetFittedControlTextWithValue(HWND control, const std::wstring& templateText, const std::wstring& placeholder,
                                   const std::wstring& value, TextFitVariant variant);
