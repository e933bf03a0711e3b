#include "wizard/PageChoice.h"

std::vector<WizardPageKind> ChooseWizardPages(const WizardPageSettings& settings) {
    std::vector<WizardPageKind> pages;
    if (settings.welcomeDialog != L"0") pages.push_back(PAGE_WELCOME);
    if (settings.languageDialog == L"1") pages.push_back(PAGE_LANGUAGE);
    // The requirements page stays only when the conditions were checked and are not met.
    if (!settings.conditionCheckSuppressed && !settings.conditionsFulfilled) pages.push_back(PAGE_REQUIREMENTS);
    if (settings.licenseDialog == L"1") pages.push_back(PAGE_LICENSE);
    if (settings.allowChangeTarget == L"1" || !settings.defaultPathUsable) pages.push_back(PAGE_DIRCHANGE);
    pages.push_back(PAGE_PROGRESS);
    if (settings.autoLaunchInstallationDialog == L"1") pages.push_back(PAGE_AUTOLAUNCH);
    pages.push_back(PAGE_FINISH);
    return pages;
}

WizardPageKind FirstWizardPage(const std::vector<WizardPageKind>& pages) {
    return pages.empty() ? PAGE_PROGRESS : pages.front();
}
