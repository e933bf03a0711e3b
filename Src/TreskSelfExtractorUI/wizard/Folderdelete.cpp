#include "wizard/Folderdelete.h"

#include "package/UiText.h"
#include "util/PromptAnswer.h"
#include "res/resource.h"
#include "wizard/CancelRules.h"
#include "wizard/QirvaSheet.h"

CFolderdelete::CFolderdelete(CQirvaSheet& sheet, const std::wstring& folder)
    : CSkinnedPrompt(IDD_FOLDER_DELETE, PROMPT_FOLDER_DELETE, IDC_FOLDER_DELETE_QUESTION, L"FolderDelete dialog"),
      sheet(sheet),
      folder(folder) {}

void CFolderdelete::SetTexts() {
    SetFitted(IDC_FOLDER_DELETE_FIRST, GetText(706));
    SetFitted(IDC_FOLDER_DELETE_QUESTION, GetText(707));
    SetFitted(IDC_FOLDER_DELETE_PATH, folder);
}

void CFolderdelete::OnAnswer(int buttonId) {
    // Yes and No are logged; Cancel is the wizard's cancel question, which logs its own outcome.
    StoreAnswer(buttonId, PromptAnswerCode(buttonId) != ANSWER_CANCEL);
    if (GetAnswer() != ANSWER_CANCEL) {
        End(GetAnswer());
        return;
    }
    // Cancel: the wizard's own question. Confirmed, the wizard is on its way to the finish page and
    // the prompt ends; declined, the prompt stays for another answer.
    if (sheet.ConfirmCancel() == CANCEL_CONFIRMED) {
        sheet.GoToFinishPage();
        End(0);
    }
}
