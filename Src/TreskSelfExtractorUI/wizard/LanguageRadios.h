#pragma once
// The language page's radio buttons: which language each of the ten slots offers and how, which one
// is marked, what a click selects, and the language chosen when the page starts.

#include <functional>
#include <string>
#include <vector>

#include "wizard/PageChoice.h"

// The radio buttons' control ids in slot order.
constexpr int LANGUAGE_RADIO_IDS[10] = {1006, 1007, 1008, 1009, 1010, 1011, 1012, 1015, 1016, 1017};
constexpr int FALLBACK_LANGUAGE = 1033;

struct LanguageRadioSlot {
    int controlId = 0;
    int lcid = 0;
    bool enabled = true;  // shown and enabled; false for a language not installed on the machine
    std::wstring text;
};

struct LanguageRadios {
    std::vector<LanguageRadioSlot> slots;  // one per language offered, at most ten, in slot order
    std::vector<WizardLogLine> log;
};

// languageList: the package's setup languages (decimal strings) in package order. installed(lcid):
// the language is installed on this machine. radioText(lcid): the value of the language's key in
// [RADIOBUTTONSTRING] of Defaultx.ulf (empty gives "Unknown Language"). languageName(lcid):
// [FileInfo] LangName of the language's own file, the text of a language that is not installed,
// whose radio is disabled (logged at level 8, tag "DisplayRadioButtons").
LanguageRadios BuildLanguageRadios(const std::vector<std::wstring>& languageList,
                                   const std::function<bool(int)>& installed,
                                   const std::function<std::wstring(int)>& radioText,
                                   const std::function<std::wstring(int)>& languageName);

// The radio to mark: the only slot when there is exactly one, else the first slot whose language is
// the selected one; 0 when none. Logs at level 8, tag "SetSelectedUserLang".
struct LanguageRadioMark {
    int controlId = 0;
    std::vector<WizardLogLine> log;
};
LanguageRadioMark SelectCurrentLanguageRadio(const std::vector<LanguageRadioSlot>& slots,
                                             int selectedLanguage);

// A radio was clicked: the first slot (in slot order) that isMarked(controlId) reports gives the new
// language, which reload(lcid) loads (level-8 line, tag "Language Selected"). When reloading fails
// or no slot is marked, 1033 is selected and reloaded. Returns the selected language.
int LanguageAfterRadioClick(const std::vector<LanguageRadioSlot>& slots,
                            const std::function<bool(int)>& isMarked,
                            const std::function<bool(int)>& reload, std::vector<WizardLogLine>& log);

// The language selected when the page starts: the user's UI language when it is one of the
// package's languages, else 1033.
int DefaultSetupLanguage(int userUiLanguage, const std::vector<std::wstring>& languageList);

// A decimal language identifier as the page reads it (leading digits; 0 when there are none).
int ParseLanguageId(const std::wstring& text);
