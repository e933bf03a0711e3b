#pragma once
// The requirements page's list: the messages of the failing conditions in the selected language,
// each cut to an equal share of the room.

#include <functional>
#include <string>
#include <vector>

#include "wizard/PageChoice.h"

struct ConditionMessageText {
    std::wstring text;               // the messages, each followed by a line feed
    std::vector<WizardLogLine> log;  // one level-11 line per listed message, tag "Condition Message"
};

// setupLanguages: [LANGUAGES] SetupLanguages as read ("1031;1033"); selectedLanguage: the selected
// setup language; failingConditions: the names of the failing conditions separated by ";";
// messageFor: the message of a condition name in the selected language (empty when none).
// For each entry of setupLanguages equal to the selected language, the names with a non-empty
// message are listed; with count such names, a message longer than 550 / count - 15 characters is
// cut to that many characters (none when the limit is negative) followed by "...". "[NEWLINE]"
// becomes a line feed and "[TAB]" a tab everywhere in the result.
ConditionMessageText BuildConditionMessageText(const std::wstring& setupLanguages, int selectedLanguage,
                                               const std::wstring& failingConditions,
                                               const std::function<std::wstring(const std::wstring&)>& messageFor);
