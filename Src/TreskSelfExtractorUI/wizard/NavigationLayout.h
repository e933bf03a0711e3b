#pragma once
// Where the sheet puts its navigation buttons and its title, and where the overwrite and
// folder-delete dialogs put their row of buttons. Rectangles are client coordinates.

#include <vector>

// Control ids of the navigation buttons (also the default-button ids the pages send).
enum : int {
    NAV_CANCEL_ID = 2,
    NAV_BACK_ID = 12323,
    NAV_NEXT_ID = 12324,
    NAV_FINISH_ID = 12325,
};

struct LayoutRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const LayoutRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// The four navigation buttons, 30 pixels high, vertically centred in the button band:
// top = pageBottom + bandHeight / 2 - 15; with R = pageRect.right:
// Back R-356..R-246, Next R-244..R-136, Cancel and Finish R-134..R-26.
struct NavigationButtonRects {
    LayoutRect back, next, cancel, finish;
};
NavigationButtonRects NavigationButtonLayout(int pageRight, int pageBottom, int bandHeight);

// The sheet's title control (id 1000): x = (int)(clientWidth x 0.3f), y = clientTop + 20, height 20.
// Its right edge stays 20 pixels inside the client area, so the right-aligned title is never cut
// off at the window's edge.
LayoutRect TitleControlRect(int clientTop, int clientWidth);

// A prompt dialog's row of skinned buttons: width 95 on a grid starting at
// x0 = (dialogWidth - n x 95 - 2 x (n - 1)) / 2 (truncating toward zero); button k (1-based) spans
// x0 + (k - 1) x 95 (plus 2 for k > 1) to x0 + k x 95, 30 pixels high, from top = the bottom of the
// question text + 3. Five buttons give the overwrite dialog's row exactly; three the folder-delete
// row, centred on the same grid.
struct PromptButton {
    int id = 0;           // control id
    int captionText = 0;  // UI text number of the caption
    LayoutRect rect;
};
enum PromptKind { PROMPT_OVERWRITE, PROMPT_FOLDER_DELETE };
// The prompt buttons' control ids.
enum : int {
    PROMPT_YES_ID = 1024,
    PROMPT_YES_TO_ALL_ID = 1027,
    PROMPT_NO_ID = 1028,
    PROMPT_NO_TO_ALL_ID = 1029,
    PROMPT_CANCEL_ID = 2,
};
// Overwrite: Yes (702), Yes to All (703), No (704), No to All (705), Cancel (112). Folder delete:
// Yes (702), No (704), Cancel (112).
std::vector<PromptButton> PromptButtonRow(PromptKind kind, int dialogWidth, int questionBottom);
// The rectangles alone for count buttons.
std::vector<LayoutRect> PromptButtonRects(int count, int dialogWidth, int questionBottom);

// The answer a prompt button stores (util/PromptAnswer.h; 0 for an id that is not a prompt
// button) and the level-8 log text of an answer (empty for an unknown code).
int PromptAnswerCode(int buttonId);
const wchar_t* PromptAnswerLogText(int answerCode);
