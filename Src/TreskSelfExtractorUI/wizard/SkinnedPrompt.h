#pragma once
// The overwrite and folder-delete prompts share this: a modal dialog owned by the wizard, captioned
// with the package title, with light texts fitted to their controls and a centred row of skinned
// buttons. The keyboard moves the focus look along the buttons, Enter and Space press the focused
// one, and Esc does nothing: only a button (or closing the window, which is Cancel) ends it.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "WinGui/Dialog.h"
#include "WinGui/Gdi.h"
#include "util/PromptAnswer.h"
#include "wizard/NavigationLayout.h"
#include "wizard/QirvaButton.h"

class CSkinnedPrompt : public wingui::Dialog {
public:
    // The answer of the button pressed (util/PromptAnswer.h); ANSWER_NONE until one is pressed.
    int GetAnswer() const { return answer; }

protected:
    CSkinnedPrompt(int templateId, PromptKind kind, int questionId, const wchar_t* logTag);
    ~CSkinnedPrompt() override;

    BOOL OnInitDialog() override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Fonts, texts, picture and buttons follow the prompt to a monitor of another resolution.
    void OnScaleChanged() override;
    // Sets the prompt's texts; the fonts are set already.
    virtual void SetTexts() = 0;
    // A button was pressed: stores its code, logs it and ends the dialog. The folder-delete prompt
    // asks the wizard's cancel question on Cancel instead of ending at once.
    virtual void OnAnswer(int buttonId);
    // Stores the code of the button pressed and, when log is true, writes its log line.
    void StoreAnswer(int buttonId, bool log = true);
    void SetFitted(int id, const std::wstring& text);

private:
    static LRESULT CALLBACK KeyFilter(int code, WPARAM wParam, LPARAM lParam);
    bool HandleKey(const MSG& message);
    // Gives the texts the light font and the picture, both for the prompt's scale.
    void ApplyFontAndPicture();
    // Creates the row of buttons below the question (or moves it there) and fits the prompt to it.
    void PlaceButtons();
    void MoveFocusLook(int step);

    PromptKind kind;
    int questionId;
    const wchar_t* logTag;
    wingui::Font lightFont;
    wingui::Bitmap picture;
    int answer = ANSWER_NONE;
    HHOOK keyHook = nullptr;
    std::vector<std::unique_ptr<CQirvaButton>> buttons;
    static CSkinnedPrompt* active;
};
