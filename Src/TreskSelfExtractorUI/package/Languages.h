#pragma once
// Language files of the package (Default<LCID>.ulf in the package temporary folder) and the
// choice of the setup language.

#include <string>

#include "util/Text.h"
#include "util/Util.h"

// 1 English selected (table emptied), 0 loaded or no file, -1 the file is of another language.
int LoadLanguageFile(int language, const std::wstring& folder);

// The package's setup languages, in reverse order of the setting.
TextList GetSetupLanguages();
int IsSetupLanguage(int language);
// The user's UI language when the package lists it, else English (1033).
int GetDefaultSetupLanguage();
// The language name from that language's file, empty when there is none.
std::wstring GetLanguageName(int language);
// The language page's caption for a language, "Unknown Language" when the package has none.
std::wstring GetRadioButtonText(int language);

// The placeholders of the texts are replaced with the text helpers' ReplaceAll.
using textutil::ReplaceAll;
