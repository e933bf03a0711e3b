#include "wizard/FileOverwrite.h"

#include "package/UiText.h"
#include "res/resource.h"

CFileOverwrite::CFileOverwrite(const std::wstring& fileName)
    : CSkinnedPrompt(IDD_FILE_OVERWRITE, PROMPT_OVERWRITE, IDC_OVERWRITE_QUESTION, L"Overwrite dialog"),
      fileName(fileName) {}

void CFileOverwrite::SetTexts() {
    SetFitted(IDC_OVERWRITE_FIRST, GetText(700));
    SetFitted(IDC_OVERWRITE_QUESTION, GetText(701));
    SetFitted(IDC_OVERWRITE_FILE, fileName);
}
