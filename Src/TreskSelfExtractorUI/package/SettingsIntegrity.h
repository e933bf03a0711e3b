#pragma once
// The settings file may not change while the wizard runs: its hash is taken at start-up and
// compared again before the wizard moves on from its first pages.

#include <string>

// 1 when the settings file still has the start-up hash (or cannot be hashed now), 0 when it
// changed. Logs the check under "IsParameterFileNotCorrupt".
int IsParameterFileNotCorrupt(const std::wstring& settingsPath, const std::wstring& settingsHash);
