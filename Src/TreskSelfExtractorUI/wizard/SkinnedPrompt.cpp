#include "wizard/SkinnedPrompt.h"

#include "WinGui/Gdi.h"
#include "app/WorkerMessages.h"
#include "log/BuildLogFile.h"
#include "package/QirvaInitalizer.h"
#include "package/UiText.h"
#include "res/resource.h"
#include "res/WizardResources.h"
#include "wizard/Artwork.h"
#include "wizard/ButtonFace.h"
#include "wizard/FittedText.h"
#include "wizard/TextFitting.h"
#include "wizard/WizardColours.h"
#include "wizard/WizardPaint.h"

namespace {
// Room below the row of buttons.
constexpr int kBottomMargin = 10;
}  // namespace

CSkinnedPrompt* CSkinnedPrompt::active = nullptr;

CSkinnedPrompt::CSkinnedPrompt(int templateId, PromptKind kind, int questionId, const wchar_t* logTag)
    : Dialog(templateId), kind(kind), questionId(questionId), logTag(logTag) {
    ScaleWithMonitor();
}

CSkinnedPrompt::~CSkinnedPrompt() {
    if (keyHook) UnhookWindowsHookEx(keyHook);
    if (active == this) active = nullptr;
}

BOOL CSkinnedPrompt::OnInitDialog() {
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM));
    SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SetWindowLongPtrW(Hwnd(), GWL_STYLE, GetWindowLongPtrW(Hwnd(), GWL_STYLE) | WS_SYSMENU);
    SetWindowTextW(Hwnd(), theInitializer.GetPackageTitle().c_str());
    ApplyFontAndPicture();
    SetTexts();
    PlaceButtons();
    // The dialog's own message loop hands every message to the thread's message filter first:
    // that is where the prompt sees the keys before the dialog manager does.
    active = this;
    keyHook = SetWindowsHookExW(WH_MSGFILTER, KeyFilter, nullptr, GetCurrentThreadId());
    return FALSE;
}

void CSkinnedPrompt::ApplyFontAndPicture() {
    wingui::Font font(wingui::CreateScaledFont(L"Tahoma", 15, 100, Scale()));
    for (HWND child = GetWindow(Hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (font && GetDlgCtrlID(child) != IDC_PROMPT_PICTURE && !CQirvaButton::FromHandle(child))
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    if (font) lightFont = std::move(font);
    // High contrast shows no pictures.
    const WizardColours colours = CurrentWizardColours();
    ShowWindow(Item(IDC_PROMPT_PICTURE), colours.drawPictures ? SW_SHOW : SW_HIDE);
    wingui::Bitmap drawn(LoadArtBitmap(IDB_QUESTION, Scale(), colours.pageBackground));
    if (drawn) {
        HBITMAP previous = reinterpret_cast<HBITMAP>(SendDlgItemMessageW(
            Hwnd(), IDC_PROMPT_PICTURE, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(drawn.Get())));
        // The template's own bitmap comes back once and is deleted here; the ones made here are
        // deleted by their owner.
        if (previous && previous != picture.Get()) {
            wingui::Bitmap templateBitmap(previous);
        }
        picture = std::move(drawn);
    }
}

void CSkinnedPrompt::OnScaleChanged() {
    ApplyFontAndPicture();
    SetTexts();
    PlaceButtons();
    RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CSkinnedPrompt::PlaceButtons() {
    RECT client = {}, question = {};
    GetClientRect(Hwnd(), &client);
    GetWindowRect(Item(questionId), &question);
    MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&question), 2);
    // The row is laid out at 96 DPI and grows with the prompt's scale, like the fonts.
    const wingui::DisplayScale& scale = Scale();
    auto unscale = [&scale](int pixels) { return MulDiv(pixels, 100 * wingui::kDefaultDpi, scale.dpi * scale.textPercent); };
    std::vector<PromptButton> row = PromptButtonRow(kind, unscale(client.right), unscale(question.bottom));
    const bool creating = buttons.empty();
    for (size_t i = 0; i < row.size(); ++i) {
        const PromptButton& planned = row[i];
        RECT rect = {scale.Pixels(planned.rect.left), scale.Pixels(planned.rect.top), scale.Pixels(planned.rect.right),
                     scale.Pixels(planned.rect.bottom)};
        if (creating) {
            auto button = std::make_unique<CQirvaButton>(GetText(planned.captionText), Hwnd());
            button->SetBackgroundColour(PAGE_BACKGROUND_COLOUR);
            button->SetScale(scale);
            button->Create(Hwnd(), planned.id, rect, true);
            button->SetEnabledLook(1);
            button->ApplyNormalLook(0);
            buttons.push_back(std::move(button));
        } else if (i < buttons.size()) {
            buttons[i]->SetScale(scale);
            SetWindowPos(buttons[i]->Hwnd(), nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    // The dialog grows or shrinks to hold the row.
    if (!row.empty()) {
        RECT window = {};
        GetWindowRect(Hwnd(), &window);
        int wanted = scale.Pixels(row.front().rect.bottom + kBottomMargin);
        int height = (window.bottom - window.top) + (wanted - client.bottom);
        SetWindowPos(Hwnd(), nullptr, 0, 0, window.right - window.left, height, SWP_NOMOVE | SWP_NOZORDER);
    }
    if (creating && !buttons.empty()) {
        CQirvaButton* yes = buttons.front().get();
        yes->SetHot(1);
        yes->ApplyFocusLook();
        yes->SetFocusLookFlag(1);
        SetFocus(yes->Hwnd());
    }
}

void CSkinnedPrompt::SetFitted(int id, const std::wstring& text) {
    SetFittedControlText(Item(id), text, FIT_PAGE, PromptFitMode(id));
}

void CSkinnedPrompt::StoreAnswer(int buttonId, bool log) {
    answer = PromptAnswerCode(buttonId);
    const wchar_t* text = PromptAnswerLogText(answer);
    if (log && text && *text) theLog.Log(LOG_INFO, logTag, L"%s", text);
}

void CSkinnedPrompt::OnAnswer(int buttonId) {
    StoreAnswer(buttonId);
    End(answer);
}

void CSkinnedPrompt::MoveFocusLook(int step) {
    if (buttons.empty()) return;
    int count = static_cast<int>(buttons.size());
    int current = 0;
    for (int i = 0; i < count; ++i)
        if (buttons[i]->GetFocusLookFlag() == 1 || buttons[i]->Hwnd() == GetFocus()) current = i;
    int next = ((current + step) % count + count) % count;
    for (int i = 0; i < count; ++i) {
        CQirvaButton& button = *buttons[i];
        if (i == next) continue;
        button.SetHot(0);
        button.SetFocusLookFlag(0);
        button.ApplyNormalLook(0);
    }
    CQirvaButton& target = *buttons[next];
    target.SetHot(1);
    target.ApplyFocusLook();
    target.SetFocusLookFlag(1);
    SetFocus(target.Hwnd());
}

bool CSkinnedPrompt::HandleKey(const MSG& message) {
    if (message.hwnd != Hwnd() && !IsChild(Hwnd(), message.hwnd)) return false;
    if (message.message != WM_KEYDOWN && message.message != WM_KEYUP && message.message != WM_CHAR) return false;
    const WPARAM key = message.wParam;
    if (message.message == WM_CHAR) return key == VK_ESCAPE || key == VK_RETURN;
    if (message.message == WM_KEYUP) return key == VK_ESCAPE || key == VK_RETURN || key == VK_SPACE || key == VK_TAB;
    switch (key) {
        case VK_ESCAPE:
            return true;
        case VK_TAB:
            MoveFocusLook((GetKeyState(VK_SHIFT) & 0x8000) ? -1 : 1);
            return true;
        case VK_LEFT:
        case VK_UP:
            MoveFocusLook(-1);
            return true;
        case VK_RIGHT:
        case VK_DOWN:
            MoveFocusLook(1);
            return true;
        case VK_RETURN:
        case VK_SPACE:
            for (const auto& button : buttons)
                if (button->GetFocusLookFlag() == 1) {
                    OnAnswer(button->GetId());
                    return true;
                }
            return true;
        default:
            return false;
    }
}

LRESULT CALLBACK CSkinnedPrompt::KeyFilter(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX && active && lParam && active->HandleKey(*reinterpret_cast<MSG*>(lParam))) return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR CSkinnedPrompt::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    INT_PTR chrome = 0;
    if (HandleSkinnedDialogChrome(Hwnd(), message, wParam, lParam, chrome)) return chrome;
    switch (message) {
        case WM_SKIN_BUTTON_CLICK:
            OnAnswer(static_cast<int>(wParam));
            SetResult(0);
            return TRUE;
        case WM_COMMAND:
            // A button's own command counts as its press; the dialog manager's Esc (IDCANCEL
            // without a control) does not.
            if (HIWORD(wParam) == BN_CLICKED && lParam != 0 && PromptAnswerCode(LOWORD(wParam)) != 0) {
                OnAnswer(LOWORD(wParam));
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) return TRUE;
            break;
        case WM_CLOSE:
            // Closing the window is Cancel.
            OnAnswer(IDCANCEL);
            return TRUE;
        case WM_HELP:
            return TRUE;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            // High contrast switched on or off: the picture and the buttons follow.
            OnScaleChanged();
            return FALSE;
        case WM_DESTROY:
            if (keyHook) UnhookWindowsHookEx(keyHook);
            keyHook = nullptr;
            if (active == this) active = nullptr;
            break;
        default:
            break;
    }
    return Dialog::DialogProc(message, wParam, lParam);
}
