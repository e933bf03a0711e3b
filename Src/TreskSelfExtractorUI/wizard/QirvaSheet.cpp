#include "wizard/QirvaSheet.h"

#include <commctrl.h>

#include "app/AppMessageBox.h"
#include "app/WorkerMessages.h"
#include "app/WorkerThread.h"
#include "log/BuildLogFile.h"
#include "package/QirvaInitalizer.h"
#include "package/Settings.h"
#include "package/UiText.h"
#include "res/resource.h"
#include "wizard/ButtonFace.h"
#include "wizard/CancelRules.h"
#include "wizard/ExtractPassword.h"
#include "wizard/KeyRules.h"
#include "wizard/NavigationLayout.h"
#include "wizard/PasswordRules.h"
#include "wizard/WizardColours.h"
#include "wizard/WizardPaint.h"

namespace {

// Posted to the sheet once its window and first page exist: the rest of its initialisation.
constexpr UINT WM_SHEET_READY = WM_APP + 1;
// Posted to move to the finish page outside the notification that asked for it; safe to post
// more than once.
constexpr UINT WM_SHEET_GO_FINISH = WM_APP + 2;
// Posted to move on to the autolaunch page.
constexpr UINT WM_SHEET_GO_AUTOLAUNCH = WM_APP + 3;

std::vector<std::wstring> Words(const std::wstring& list) {
    std::vector<std::wstring> words;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(L',', start);
        if (comma == std::wstring::npos) comma = list.size();
        words.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    return words;
}

// A navigation button's place at a display scale: its distances from the page's right edge and
// its height grow with it, centred on the same line of the band.
RECT ScaledButtonRect(const LayoutRect& rect, int pageRight, const wingui::DisplayScale& scale) {
    const int centre = (rect.top + rect.bottom) / 2;
    const int half = scale.Pixels(rect.Height()) / 2;
    return RECT{pageRight - scale.Pixels(pageRight - rect.left), centre - half,
                pageRight - scale.Pixels(pageRight - rect.right), centre + half};
}

// The height of the button band below the pages at 96 DPI (the height the platform's wizard
// frame gives it there).
constexpr int kBandHeight = 47;

}  // namespace

CQirvaSheet::CQirvaSheet(CWizardContext& context)
    : context(context),
      languagePage(*this),
      licensePage(*this),
      extractorPage(*this),
      autolaunchPage(*this),
      dirChangePage(*this),
      finishPage(*this),
      conditionPage(*this),
      welcomePage(*this) {}

CQirvaSheet::~CQirvaSheet() = default;

CQirvaPage* CQirvaSheet::PageOfKind(WizardPageKind kind) {
    switch (kind) {
        case PAGE_WELCOME: return &welcomePage;
        case PAGE_LANGUAGE: return &languagePage;
        case PAGE_REQUIREMENTS: return &conditionPage;
        case PAGE_LICENSE: return &licensePage;
        case PAGE_DIRCHANGE: return &dirChangePage;
        case PAGE_PROGRESS: return &extractorPage;
        case PAGE_AUTOLAUNCH: return &autolaunchPage;
        case PAGE_FINISH: return &finishPage;
        default: return nullptr;
    }
}

void CQirvaSheet::BuildPages(const std::vector<WizardPageKind>& pages) {
    for (WizardPageKind kind : pages) {
        CQirvaPage* page = PageOfKind(kind);
        if (page) AddPage(page);
    }
}

INT_PTR CQirvaSheet::Run(const std::wstring& caption) {
    INT_PTR result = DoModal(nullptr, caption, PSH_WIZARD97 | PSH_NOAPPLYNOW);
    SetMessageBoxMainWindow(nullptr);
    return result;
}

bool CQirvaSheet::IsFirstPage(const CQirvaPage* page) const {
    int index = GetPageIndex(page);
    return index == 0 || (requirementsPassed == 1 && index == 1);
}

void CQirvaSheet::OnPageActivated(CQirvaPage* page) { activeKind = page->Kind(); }

void CQirvaSheet::OnInitialized() {
    HWND sheet = Hwnd();
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM));
    SendMessageW(sheet, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(sheet, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SetWindowLongPtrW(sheet, GWL_STYLE, GetWindowLongPtrW(sheet, GWL_STYLE) | WS_MINIMIZEBOX | WS_SYSMENU);
    HMENU menu = GetSystemMenu(sheet, FALSE);
    if (menu) AppendMenuW(menu, MF_STRING, SC_MINIMIZE, L"Minimize");
    SetMessageBoxMainWindow(sheet);
    PostMessageW(sheet, WM_SHEET_READY, 0, 0);
}

void CQirvaSheet::FinishInitialisation() {
    HWND sheet = Hwnd();
    // The sheet's own buttons and lines give way to the skinned buttons in the band.
    for (HWND child = GetWindow(sheet, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        if (_wcsicmp(className, L"Button") == 0 || _wcsicmp(className, L"Static") == 0) ShowWindow(child, SW_HIDE);
    }
    bottomImage.LoadFile(context.bottomImagePath);
    topImage.LoadFile(context.topImagePath);
    // The PLUS layout leaves the package title out of the band; every other value paints it.
    const bool plus = GetSettingString(theInitializer.GetSettingsPath(), L"Package", L"Setuptype") == L"PLUS";
    theLog.Log(LOG_INFO, L"Setuptype", plus ? L"PLUS" : L"Classic");
    showTitle = !plus;

    scale = wingui::WindowScale(sheet);
    wingui::Font unusedTitle, unusedLight;
    MakeFonts(unusedTitle, unusedLight);
    LayoutSheet();
    CreateNavigationButtons();
    SetButtonCaptions(L"");
    initialised = 1;
    if (CQirvaPage* page = static_cast<CQirvaPage*>(GetActivePage())) {
        OnPageActivated(page);
        page->ApplyScale();
        page->InitPage();
        page->DescribeForScreenReaders();
        page->ActivatePage();
    }
    InvalidateRect(sheet, nullptr, TRUE);
}

void CQirvaSheet::MakeFonts(wingui::Font& previousTitle, wingui::Font& previousLight) {
    previousTitle = std::move(titleFont);
    previousLight = std::move(lightFont);
    titleFont.Reset(wingui::CreateScaledFont(L"Tahoma", 16, 600, scale));
    lightFont.Reset(wingui::CreateScaledFont(L"Tahoma", 15, 100, scale));
    context.titleFont = titleFont.Get();
    context.lightFont = lightFont.Get();
}

void CQirvaSheet::LayoutSheet() {
    // Every page template has the same size; the page area is that size at the scale.
    if (!pageLayout.IsLoaded()) pageLayout.Load(GetModuleHandleW(nullptr), IDD_PROGRESS_PAGE);
    pageLayout.Prepare(scale);
    const SIZE page = pageLayout.DialogSize();
    pageRect = RECT{0, 0, page.cx, page.cy};
    pageBottom = pageRect.bottom;
    bandHeight = scale.Pixels(kBandHeight);
    RECT window = {}, client = ClientRect();
    GetWindowRect(Hwnd(), &window);
    const int frameWidth = (window.right - window.left) - client.right;
    const int frameHeight = (window.bottom - window.top) - client.bottom;
    SetWindowPos(Hwnd(), nullptr, 0, 0, page.cx + frameWidth, pageBottom + bandHeight + frameHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CQirvaSheet::PlacePage(CQirvaPage* page) const {
    if (!page || !page->Hwnd()) return;
    SetWindowPos(page->Hwnd(), nullptr, pageRect.left, pageRect.top, pageRect.right - pageRect.left,
                 pageRect.bottom - pageRect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

COLORREF CQirvaSheet::PageBackgroundColour() const { return CurrentWizardColours().pageBackground; }

void CQirvaSheet::ApplyScale(const wingui::DisplayScale& newScale) {
    scale = newScale;
    // The old fonts stay alive until every control shows the new ones.
    wingui::Font oldTitle, oldLight;
    MakeFonts(oldTitle, oldLight);
    LayoutSheet();
    for (CQirvaPage* page : {static_cast<CQirvaPage*>(&welcomePage), static_cast<CQirvaPage*>(&languagePage),
                             static_cast<CQirvaPage*>(&conditionPage), static_cast<CQirvaPage*>(&licensePage),
                             static_cast<CQirvaPage*>(&dirChangePage), static_cast<CQirvaPage*>(&extractorPage),
                             static_cast<CQirvaPage*>(&autolaunchPage), static_cast<CQirvaPage*>(&finishPage)})
        if (page->Hwnd()) page->ApplyScale();
    PlaceNavigationButtons();
    RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CQirvaSheet::PlaceNavigationButtons() {
    if (!backButton) return;
    NavigationButtonRects rects = NavigationButtonLayout(pageRect.right, pageBottom, bandHeight);
    const std::pair<CQirvaButton*, LayoutRect> places[] = {{backButton.get(), rects.back},
                                                           {nextButton.get(), rects.next},
                                                           {cancelButton.get(), rects.cancel},
                                                           {finishButton.get(), rects.finish}};
    for (const auto& [button, rect] : places) {
        button->SetScale(scale);
        const RECT place = ScaledButtonRect(rect, pageRect.right, scale);
        SetWindowPos(button->Hwnd(), nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CQirvaSheet::CreateNavigationButtons() {
    // The buttons take the colour of the bottom band around them.
    COLORREF colour = bottomImage.PixelColour(20, 20, RGB(255, 255, 255));
    NavigationButtonRects rects = NavigationButtonLayout(pageRect.right, pageBottom, bandHeight);
    struct Planned {
        std::unique_ptr<CQirvaButton>& button;
        int id;
        int text;
        LayoutRect rect;
        bool visible;
    };
    Planned plan[] = {{backButton, NAV_BACK_ID, 110, rects.back, true},
                    {nextButton, NAV_NEXT_ID, 111, rects.next, true},
                    {cancelButton, NAV_CANCEL_ID, 112, rects.cancel, true},
                    {finishButton, NAV_FINISH_ID, 114, rects.finish, false}};
    for (auto& planned : plan) {
        planned.button = std::make_unique<CQirvaButton>(::GetText(planned.text), Hwnd());
        planned.button->SetBackgroundColour(colour);
        planned.button->SetEnabledLook(planned.visible ? 1 : 0);
        planned.button->SetScale(scale);
        planned.button->Create(Hwnd(), planned.id, ScaledButtonRect(planned.rect, pageRect.right, scale),
                               planned.visible);
        SetWindowPos(planned.button->Hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        planned.button->ApplyNormalLook(0);
    }
    EnableWindow(finishButton->Hwnd(), FALSE);
}

CQirvaButton* CQirvaSheet::ButtonByWord(const std::wstring& word) const {
    if (word == L"BACK") return backButton.get();
    if (word == L"NEXT") return nextButton.get();
    if (word == L"CANCEL") return cancelButton.get();
    if (word == L"FINISH") return finishButton.get();
    return nullptr;
}

void CQirvaSheet::EnableButtons(const std::wstring& list, bool enable) {
    for (const auto& word : Words(list)) {
        CQirvaButton* button = ButtonByWord(word);
        if (!button) continue;
        button->SetEnabledLook(enable ? 1 : 0);
        button->Enable(enable);
        if (enable || word == L"BACK" || word == L"FINISH") {
            button->ApplyNormalLook(0);
        } else {
            button->SetHot(0);
            if (word == L"CANCEL") button->SetFocusLookFlag(0);
            button->ApplyNormalLook(0);
        }
        button->Refresh();
    }
}

void CQirvaSheet::ShowButtons(const std::wstring& list, int showCommand) {
    if (!backButton) return;
    backButton->Show(true);
    nextButton->Show(true);
    for (const auto& word : Words(list))
        if (CQirvaButton* button = ButtonByWord(word)) ShowWindow(button->Hwnd(), showCommand);
}

void CQirvaSheet::SetBackButtonState(bool hideBack, bool keep) {
    if (!backButton) return;
    if (hideBack) {
        backButton->Show(false);
        if (!keep) EnableButtons(L"NEXT,CANCEL", true);
    } else {
        backButton->Show(true);
        nextButton->Show(true);
        EnableButtons(L"BACK,NEXT,CANCEL", true);
    }
}

void CQirvaSheet::SetButtonCaptions(const std::wstring& mode) {
    if (!backButton) return;
    if (mode == L"FINISH")
        finishButton->SetCaption(::GetText(114));
    else
        cancelButton->SetCaption(::GetText(112));
    if (mode == L"RETRY") {
        nextButton->SetCaption(::GetText(115));
        SetActivePageDefault(NAV_NEXT_ID);
    } else {
        nextButton->SetCaption(::GetText(111));
    }
    backButton->SetCaption(::GetText(110));
    for (CQirvaButton* button : {backButton.get(), cancelButton.get(), nextButton.get(), finishButton.get()})
        button->Invalidate();
}

void CQirvaSheet::SetActivePageDefault(int id) const {
    HWND page = reinterpret_cast<HWND>(SendMessageW(Hwnd(), PSM_GETCURRENTPAGEHWND, 0, 0));
    if (page) SendMessageW(page, DM_SETDEFID, static_cast<WPARAM>(id), 0);
}

void CQirvaSheet::GiveFocusLook(CQirvaButton* button, int defaultId, bool takeFocus) {
    if (!button) return;
    for (CQirvaButton* other : {backButton.get(), nextButton.get(), cancelButton.get(), finishButton.get()}) {
        if (other == button) continue;
        other->SetHot(0);
        other->ApplyNormalLook(0);
        other->SetFocusLookFlag(0);
        other->Refresh();
    }
    button->SetHot(1);
    button->ApplyFocusLook();
    button->SetFocusLookFlag(1);
    if (takeFocus && button->IsVisible() && button->IsEnabled()) SetFocus(button->Hwnd());
    SetActivePageDefault(defaultId);
    // The location page's Browse button gives up its focus look.
    if (CQirvaPage* page = PageOfKind(activeKind); page && page->Hwnd()) page->OnNavigationFocus();
}

void CQirvaSheet::ClearNavigationFocusLooks() {
    for (CQirvaButton* button : {backButton.get(), nextButton.get(), cancelButton.get(), finishButton.get()}) {
        if (!button) continue;
        button->SetHot(0);
        button->ApplyNormalLook(0);
        button->SetFocusLookFlag(0);
        button->Refresh();
    }
}

void CQirvaSheet::FocusBackButton() { GiveFocusLook(backButton.get(), NAV_BACK_ID, true); }

void CQirvaSheet::FocusNextButton(bool takeFocus) {
    if (!nextButton) return;
    if (!nextButton->IsEnabled())
        GiveFocusLook(cancelButton.get(), NAV_CANCEL_ID, takeFocus);
    else
        GiveFocusLook(nextButton.get(), NAV_NEXT_ID, takeFocus);
}

void CQirvaSheet::FocusCancelButton() { GiveFocusLook(cancelButton.get(), NAV_CANCEL_ID, true); }

void CQirvaSheet::FocusFinishButton() { GiveFocusLook(finishButton.get(), NAV_FINISH_ID, true); }

bool CQirvaSheet::IsNextEnabled() const { return nextButton && nextButton->IsEnabled(); }

int CQirvaSheet::ConfirmCancel() {
    const WizardPageKind page = activeKind;
    const bool holdsWorker = WorkerHeldDuringCancel(page) != SUSPEND_NONE;
    if (holdsWorker) {
        Sleep(100);
        Worker().Suspend();
        Sleep(10);
    }
    if (!CancelAsksQuestion(page)) return CANCEL_ON_FINISH_PAGE;
    int result = CancelQuestionResult(page, AppMessageBox(::GetText(113), MB_YESNO));
    if (result != CANCEL_CONFIRMED && result != CANCEL_CONFIRMED_AUTOLAUNCH) {
        // Declined (or the box ended otherwise): the worker goes on where it stood.
        if (holdsWorker) Worker().Resume();
        return result;
    }
    workerStopFlag = 1;
    CancelConfirmedAction action = OnCancelConfirmed(page);
    if (action.runLaunchFinished) autolaunchPage.OnCancelConfirmed();
    theInitializer.SetPackageResultCode(action.resultCode);
    if (!action.logText.empty()) theLog.Log(LOG_INFO, L"ConfirmCancel", L"%s", action.logText);
    if (action.stopExtraction) {
        // The worker must stop before anything it wrote is removed: it ends at its next file, and
        // one that does not end in time stays held until the process ends.
        extractionCancelledFlag = 1;
        Worker().StopAndHold(WorkerThread::kCancelWait);
        workerStopFlag = 1;
        // A worker that finished while the question was up has written its own result: the
        // user's cancel is what the run ends with.
        theInitializer.SetPackageResultCode(action.resultCode);
    } else if (holdsWorker) {
        Worker().Resume();
    }
    return action.returnValue;
}

void CQirvaSheet::ActOnCancel(int caller, int result) {
    CancelCallerAction action = ActOnCancelResult(static_cast<CancelCaller>(caller), result, activeKind == PAGE_FINISH);
    if (action.followUp == FOLLOW_GO_TO_FINISH)
        GoToFinishPage();
    else if (action.followUp == FOLLOW_CLICK_FINISH && finishButton)
        SendMessageW(finishButton->Hwnd(), BM_CLICK, 0, 0);
}

void CQirvaSheet::EnableCloseCommand(int showCommand) {
    HMENU menu = GetSystemMenu(Hwnd(), FALSE);
    if (showCommand == SW_HIDE) {
        closeAllowed = 0;
        if (menu) EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);
    } else if (showCommand == SW_SHOW) {
        closeAllowed = 1;
        if (menu) EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    }
}

void CQirvaSheet::GoToFinishPage() {
    // Moving pages inside a page's own notification confuses the sheet: the move is posted.
    PostMessageW(Hwnd(), WM_SHEET_GO_FINISH, 0, 0);
}

void CQirvaSheet::GoToAutolaunchPage() { PostMessageW(Hwnd(), WM_SHEET_GO_AUTOLAUNCH, 0, 0); }

void CQirvaSheet::CloseWizard() { EndModal(0); }

HWND CQirvaSheet::GetAutolaunchProgressBar() {
    HWND page = autolaunchPage.Hwnd();
    return page ? GetDlgItem(page, IDC_AUTOLAUNCH_BAR) : nullptr;
}

void CQirvaSheet::OnLaunchFinished() {
    HWND page = autolaunchPage.Hwnd();
    if (!page || !IsWindow(page)) return;
    if (GetWindowThreadProcessId(page, nullptr) == GetCurrentThreadId())
        autolaunchPage.OnLaunchFinished();
    else
        PostMessageW(page, WM_RUN_LAUNCH_FINISHED, 0, 0);
}

int CQirvaSheet::AskPassword() {
    if (!MustAskPassword(context.passwordRequired, context.passwordAccepted)) return 0;
    CExtractPassword prompt(*this);
    if (prompt.DoModal(Hwnd()) == IDOK) {
        context.passwordAccepted = 1;
        return 0;
    }
    context.passwordAccepted = 0;
    return -1;
}

void CQirvaSheet::PaintBand(HDC dc, const RECT& pageClient) const {
    RECT band = {0, 0, pageClient.right, scale.Pixels(60)};
    const WizardColours colours = CurrentWizardColours();
    if (colours.drawPictures) {
        topImage.Draw(dc, band);
    } else {
        // High contrast: no picture behind the title; a line sets the band off from the page.
        RECT line = {0, band.bottom - scale.Pixels(1), band.right, band.bottom};
        wingui::Brush frame(CreateSolidBrush(colours.pageText));
        FillRect(dc, &line, frame.Get());
    }
    const std::wstring& title = theInitializer.GetPackageTitle();
    if (!showTitle || title.empty() || !context.titleFont) return;
    LayoutRect place = TitleControlRect(0, pageClient.right);
    // The title sits 20 pixels below the top at 96 DPI, as high as its font.
    const int top = scale.Pixels(place.top), height = scale.Pixels(place.Height());
    place.top = top;
    place.bottom = top + height;
    RECT rect = {place.left, place.top, place.right, place.bottom};
    wingui::SelectObjectScope select(dc, context.titleFont);
    auto measure = [&](const std::wstring& text) {
        SIZE size = {};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    SIZE line = {};
    GetTextExtentPoint32W(dc, L"X", 1, &line);
    std::wstring fitted = FitSheetTitle(title, place.Width(), place.Height(), line.cy, measure);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colours.bandTitleText);
    DrawTextW(dc, fitted.c_str(), -1, &rect, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
}

bool CQirvaSheet::PreTranslateMessage(MSG& message) {
    if (!initialised || (message.hwnd != Hwnd() && !IsChild(Hwnd(), message.hwnd))) return false;
    if (message.message != WM_KEYDOWN && message.message != WM_KEYUP) return false;
    const bool consumed = HandleKey(message);
    if (CQirvaPage* page = PageOfKind(activeKind); page && page->Hwnd()) page->AfterSheetKey(message);
    return consumed;
}

bool CQirvaSheet::HandleKey(MSG& message) {
    const WPARAM key = message.wParam;
    WizardKeyInput input;
    const bool down = message.message == WM_KEYDOWN;
    if (key >= VK_LEFT && key <= VK_DOWN)
        input.key = KEY_ARROW;
    else if (down && key == VK_TAB)
        input.key = (GetKeyState(VK_SHIFT) & 0x8000) ? KEY_SHIFT_TAB : KEY_TAB;
    else if (down && key == VK_RETURN)
        input.key = KEY_ENTER;
    else if (down && key == VK_SPACE)
        input.key = KEY_SPACE;
    else if (down && key == VK_ESCAPE)
        input.key = KEY_ESC;
    else
        return false;
    HWND focus = GetFocus();
    input.focusSkinned = CQirvaButton::FromHandle(focus) != nullptr;
    input.focusId = focus ? GetDlgCtrlID(focus) : 0;
    HWND nextStop = nullptr;
    if (input.key == KEY_TAB || input.key == KEY_SHIFT_TAB) {
        nextStop = GetNextDlgTabItem(Hwnd(), focus, input.key == KEY_SHIFT_TAB ? TRUE : FALSE);
        input.nextTabStopSkinned = CQirvaButton::FromHandle(nextStop) != nullptr;
        input.nextTabStopId = nextStop ? GetDlgCtrlID(nextStop) : 0;
    }
    input.page = activeKind;
    input.nextEnabled = IsNextEnabled();
    WizardKeyDecision decision = DecideWizardKey(input);
    if (decision.countArrow) ++arrowCount;
    auto navigation = [&](int id) -> CQirvaButton* {
        switch (id) {
            case NAV_BACK_ID: return backButton.get();
            case NAV_NEXT_ID: return nextButton.get();
            case NAV_CANCEL_ID: return cancelButton.get();
            case NAV_FINISH_ID: return finishButton.get();
            default: return nullptr;
        }
    };
    switch (decision.action) {
        case KEYACT_REFRESH_FOCUS_LOOK:
            if (CQirvaButton* button = navigation(decision.targetId)) button->ApplyFocusLook();
            break;
        case KEYACT_FOCUS_TAB_STOP:
            switch (decision.targetId) {
                case NAV_BACK_ID: FocusBackButton(); break;
                case NAV_NEXT_ID: GiveFocusLook(nextButton.get(), NAV_NEXT_ID, true); break;
                case NAV_CANCEL_ID: FocusCancelButton(); break;
                case NAV_FINISH_ID: FocusFinishButton(); break;
                default:
                    if (nextStop) SetFocus(nextStop);
                    break;
            }
            break;
        case KEYACT_FOCUS_NEXT_BUTTON:
            FocusNextButton(false);
            break;
        case KEYACT_CLICK: {
            CQirvaButton* button = navigation(decision.targetId);
            HWND target = button ? button->Hwnd() : (input.focusSkinned ? focus : nullptr);
            if (target) SendMessageW(target, BM_CLICK, 0, 0);
            break;
        }
        case KEYACT_CONFIRM_CANCEL:
            ActOnCancel(CALLER_ESC_KEY, ConfirmCancel());
            break;
        default:
            break;
    }
    return decision.consumed;
}

LRESULT CQirvaSheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SHEET_READY:
            FinishInitialisation();
            return 0;
        case WM_SHEET_GO_FINISH:
            if (activeKind != PAGE_FINISH) SetActivePage(&finishPage);
            return 0;
        case WM_SHEET_GO_AUTOLAUNCH:
            if (activeKind == PAGE_PROGRESS) SetActivePage(&autolaunchPage);
            return 0;
        case WM_SKIN_BUTTON_CLICK:
            switch (static_cast<int>(wParam)) {
                case NAV_BACK_ID: PressButton(PSBTN_BACK); break;
                case NAV_NEXT_ID: PressButton(PSBTN_NEXT); break;
                case NAV_FINISH_ID:
                    SetModalResult(NAV_FINISH_ID);
                    PressButton(PSBTN_FINISH);
                    break;
                case NAV_CANCEL_ID: ActOnCancel(CALLER_CANCEL_BUTTON, ConfirmCancel()); break;
                default: break;
            }
            return 0;
        case WM_DRAWITEM:
        case WM_ERASEBKGND:
        case WM_CTLCOLORSTATIC: {
            LRESULT chrome = 0;
            if (HandleSkinnedChrome(Hwnd(), message, wParam, lParam, chrome)) return chrome;
            break;
        }
        case WM_PAINT: {
            wingui::PaintDC paint(Hwnd());
            RECT client = ClientRect();
            RECT band = {0, pageBottom, client.right, pageBottom + bandHeight};
            const WizardColours colours = CurrentWizardColours();
            if (colours.drawPictures) {
                bottomImage.Draw(paint.Get(), band);
            } else {
                // High contrast: the band is the page colour, set off from the pages by a line.
                RECT line = {0, pageBottom, client.right, pageBottom + scale.Pixels(1)};
                wingui::Brush frame(CreateSolidBrush(colours.pageText));
                FillRect(paint.Get(), &line, frame.Get());
            }
            return 0;
        }
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            // High contrast switched on or off, or the text size changed: the wizard is laid out
            // and painted anew in the colours and the scale of now.
            if (initialised) {
                wingui::DisplayScale now = wingui::WindowScale(Hwnd());
                now.dpi = scale.dpi;
                ApplyScale(now);
            }
            break;
        case WM_HELP:
            return TRUE;
        case WM_DPICHANGED: {
            // The sheet moved to a monitor of another resolution (or the system's resolution
            // changed): it takes the place the system suggests and lays itself out anew.
            wingui::DisplayScale changed = scale;
            changed.dpi = HIWORD(wParam);
            wingui::MoveToSuggestedRect(Hwnd(), lParam);
            if (initialised) ApplyScale(changed);
            return 0;
        }
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) {
                if (!SystemCloseAsksCancel(lParam == 0, closeAllowed)) return 0;
                int result = ConfirmCancel();
                CancelCallerAction action = ActOnCancelResult(CALLER_SYSTEM_CLOSE, result, activeKind == PAGE_FINISH);
                if (action.followUp == FOLLOW_DEFAULT_CLOSE) break;
                if (action.followUp == FOLLOW_GO_TO_FINISH) GoToFinishPage();
                return 0;
            }
            break;
        case WM_COMMAND:
            if ((LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == 5) && HIWORD(wParam) == BN_CLICKED) {
                ActOnCancel(CALLER_CANCEL_COMMAND, ConfirmCancel());
                return 0;
            }
            break;
        default:
            break;
    }
    return DefaultProc(message, wParam, lParam);
}
