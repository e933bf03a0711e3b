#pragma once

enum RunMode : int {
    MODE_FULL_GUI = 510,
    MODE_UNATTENDED = 520,
    MODE_SILENT = 530,
};

// Silent wins over Unattended; neither gives the wizard.
inline int RunModeFor(int silentFlag, int unattendedFlag) {
    if (silentFlag == 1) return MODE_SILENT;
    if (unattendedFlag == 1) return MODE_UNATTENDED;
    return MODE_FULL_GUI;
}
