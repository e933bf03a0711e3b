#include "wizard/NavigationLayout.h"

#include <cstddef>

#include "util/PromptAnswer.h"

namespace {

constexpr int NAV_BUTTON_HEIGHT = 30;
constexpr int PROMPT_BUTTON_WIDTH = 95;
constexpr int PROMPT_BUTTON_GAP = 2;
constexpr int TITLE_MARGIN = 20;

}  // namespace

NavigationButtonRects NavigationButtonLayout(int pageRight, int pageBottom, int bandHeight) {
    const int top = pageBottom + bandHeight / 2 - 15;
    const int bottom = top + NAV_BUTTON_HEIGHT;
    const int R = pageRight;
    NavigationButtonRects rects;
    rects.back = {R - 356, top, R - 246, bottom};
    rects.next = {R - 244, top, R - 136, bottom};
    rects.cancel = {R - 134, top, R - 26, bottom};
    rects.finish = rects.cancel;
    return rects;
}

LayoutRect TitleControlRect(int clientTop, int clientWidth) {
    const int x = static_cast<int>(static_cast<float>(clientWidth) * 0.3f);
    const int top = clientTop + TITLE_MARGIN;
    // A right-aligned title in a control that reached past the client area would lose its end.
    int right = clientWidth - TITLE_MARGIN;
    if (right < x) right = x;
    return {x, top, right, top + 20};
}

std::vector<LayoutRect> PromptButtonRects(int count, int dialogWidth, int questionBottom) {
    std::vector<LayoutRect> rects;
    if (count <= 0) return rects;
    const int w = PROMPT_BUTTON_WIDTH;
    const int x0 = (dialogWidth - count * w - PROMPT_BUTTON_GAP * (count - 1)) / 2;  // truncates toward zero
    const int top = questionBottom + 3;
    for (int k = 1; k <= count; ++k) {
        const int left = x0 + (k - 1) * w + (k > 1 ? PROMPT_BUTTON_GAP : 0);
        rects.push_back({left, top, x0 + k * w, top + NAV_BUTTON_HEIGHT});
    }
    return rects;
}

std::vector<PromptButton> PromptButtonRow(PromptKind kind, int dialogWidth, int questionBottom) {
    struct Button {
        int id, captionText;
    };
    static const Button overwrite[] = {{PROMPT_YES_ID, 702},
                                           {PROMPT_YES_TO_ALL_ID, 703},
                                           {PROMPT_NO_ID, 704},
                                           {PROMPT_NO_TO_ALL_ID, 705},
                                           {PROMPT_CANCEL_ID, 112}};
    static const Button folderDelete[] = {{PROMPT_YES_ID, 702}, {PROMPT_NO_ID, 704}, {PROMPT_CANCEL_ID, 112}};
    const Button* buttons = kind == PROMPT_OVERWRITE ? overwrite : folderDelete;
    const int count = kind == PROMPT_OVERWRITE ? 5 : 3;
    const std::vector<LayoutRect> rects = PromptButtonRects(count, dialogWidth, questionBottom);
    std::vector<PromptButton> row;
    for (int i = 0; i < count; ++i) row.push_back({buttons[i].id, buttons[i].captionText, rects[static_cast<size_t>(i)]});
    return row;
}

int PromptAnswerCode(int buttonId) {
    switch (buttonId) {
        case PROMPT_YES_ID: return ANSWER_YES;
        case PROMPT_YES_TO_ALL_ID: return ANSWER_YES_TO_ALL;
        case PROMPT_NO_ID: return ANSWER_NO;
        case PROMPT_NO_TO_ALL_ID: return ANSWER_NO_TO_ALL;
        case PROMPT_CANCEL_ID: return ANSWER_CANCEL;
        default: return 0;
    }
}

const wchar_t* PromptAnswerLogText(int answerCode) {
    switch (answerCode) {
        case ANSWER_YES: return L"User Clicked on 'Yes' button";
        case ANSWER_YES_TO_ALL: return L"User Clicked on 'Yes To All' button";
        case ANSWER_NO: return L"User Clicked on 'No' button";
        case ANSWER_NO_TO_ALL: return L"User Clicked on 'No To All' button";
        case ANSWER_CANCEL: return L"User Clicked on 'Cancel' button";
        default: return L"";
    }
}
