#pragma once
// The condition check of a package: whether its [Conditions] allow extraction on this computer,
// and which messages tell the user what is missing.

#include <string>

// Reads and evaluates [Conditions] of the settings file. Returns 1 when extraction may go on
// (also when the package has no Action1Condition), 0 when the conditions are not met.
// conditionMessageKeys receives the message keys of the run, each followed by ";": first the
// action's key in braces, then the keys of the unmet conditions to show ("{MsgPrerequisites};
// {MsgRuntime};"); a package without Action1Condition leaves it unchanged. Each key resolves to
// its text with LookupConditionMessage (checks/Condition.h).
int CheckConditions(const std::wstring& settingsFile, int language, std::wstring& conditionMessageKeys);
