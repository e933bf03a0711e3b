#pragma once
// Which pages the wizard is built from. The page list depends only on a handful of settings values
// (compared exactly as read, so "1 " or "yes" do not count as "1") and on three facts the
// application already knows when it builds the sheet.
//
// Also home of two small types that every wizard decision shares: the page kind and a log line
// that a decision asks its caller to write.

#include <string>
#include <vector>

enum WizardPageKind {
    PAGE_WELCOME,
    PAGE_LANGUAGE,
    PAGE_REQUIREMENTS,
    PAGE_LICENSE,
    PAGE_DIRCHANGE,
    PAGE_PROGRESS,
    PAGE_AUTOLAUNCH,
    PAGE_FINISH,
};

// A log line a decision wants written: the caller passes level, tag and text to the log as
// Log(level, tag, L"%s", text).
struct WizardLogLine {
    int level = 0;
    std::wstring tag;
    std::wstring text;
    bool operator==(const WizardLogLine& other) const {
        return level == other.level && tag == other.tag && text == other.text;
    }
};

// The inputs of the page list. Strings are the settings values exactly as read (an absent key reads
// as the empty string).
struct WizardPageSettings {
    std::wstring welcomeDialog;                 // [Dialogs] WelcomeDialog
    std::wstring languageDialog;                // [Dialogs] LanguageDialog
    std::wstring licenseDialog;                 // [Dialogs] LicenseDialog
    std::wstring allowChangeTarget;             // [Runtime] AllowChangeTarget
    std::wstring autoLaunchInstallationDialog;  // [Runtime] AutoLaunchInstallationDialog
    bool conditionCheckSuppressed = false;      // the command line switched the condition check off
    bool conditionsFulfilled = false;           // [Conditions] Action1Condition evaluated to fulfilled
                                                // (not looked at when the check is suppressed)
    bool defaultPathUsable = true;              // the full-GUI extract-path check accepted the default
};

// The pages of the wizard in the order they are added:
//   welcome      unless WelcomeDialog is exactly "0"
//   language     only if LanguageDialog is exactly "1"
//   requirements only when the check is not suppressed and the conditions are not fulfilled
//   licence      only if LicenseDialog is exactly "1"
//   location     if AllowChangeTarget is exactly "1", or else when the default path is not usable
//   progress     always
//   autolaunch   only if AutoLaunchInstallationDialog is exactly "1"
//   finish       always
// The caller sets the package result code to -1 while it builds the sheet, as before.
std::vector<WizardPageKind> ChooseWizardPages(const WizardPageSettings& settings);

// The wizard's first page of a page list (PAGE_PROGRESS for an empty list, which the list above
// never is).
WizardPageKind FirstWizardPage(const std::vector<WizardPageKind>& pages);
