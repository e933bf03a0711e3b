#pragma once
// Asks whether the contents of an existing, non-empty destination folder may be deleted: Yes, No
// (choose another folder) or Cancel, which asks the wizard's cancel question and ends the prompt
// only when the user confirms it.

#include <string>

#include "wizard/SkinnedPrompt.h"

class CQirvaSheet;

class CFolderdelete : public CSkinnedPrompt {
public:
    CFolderdelete(CQirvaSheet& sheet, const std::wstring& folder);

protected:
    void SetTexts() override;
    void OnAnswer(int buttonId) override;

private:
    CQirvaSheet& sheet;
    std::wstring folder;
};
