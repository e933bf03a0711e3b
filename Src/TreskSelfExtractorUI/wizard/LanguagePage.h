#pragma once
// The wizard's language page: the package's setup languages as radio buttons; a click switches the
// whole user interface to the chosen language at once.

#include <vector>

#include "wizard/LanguageRadios.h"
#include "wizard/QirvaPage.h"

class CLanguagePage : public CQirvaPage {
public:
    explicit CLanguagePage(CQirvaSheet& sheet);
    void InitPage() override;
    void ActivatePage() override;

protected:
    LRESULT OnWizardNext() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    void SetHeading();
    void OnRadioClicked();

    std::vector<std::wstring> languageList;
    std::vector<LanguageRadioSlot> slots;
    int defaultLanguage = FALLBACK_LANGUAGE;
};
