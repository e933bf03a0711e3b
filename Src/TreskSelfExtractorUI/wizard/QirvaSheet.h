#pragma once
// The wizard of Full GUI runs: a property sheet whose pages the package settings choose, with its
// own skinned navigation buttons in a band at the bottom, the band images, the cancel question
// that every way of cancelling ends in, and the keyboard handling of the skinned buttons.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "WinGui/DialogLayout.h"
#include "WinGui/Dpi.h"
#include "WinGui/Gdi.h"
#include "WinGui/PropertySheetWindow.h"
#include "launch/Launcher.h"
#include "wizard/AutoLaunchSilentPage.h"
#include "wizard/ConditionCheck.h"
#include "wizard/DirChangePage.h"
#include "wizard/ExtractorPage.h"
#include "wizard/FinishPage.h"
#include "wizard/LanguagePage.h"
#include "wizard/LicensePage.h"
#include "wizard/QirvaButton.h"
#include "wizard/WelcomePage.h"
#include "wizard/WizardContext.h"

class WorkerThread;

class CQirvaSheet : public wingui::PropertySheetWindow, public CLaunchWizard {
public:
    explicit CQirvaSheet(CWizardContext& context);
    ~CQirvaSheet() override;

    // Adds the pages in the order given.
    void BuildPages(const std::vector<WizardPageKind>& pages);
    // Runs the wizard modally; returns its modal result.
    INT_PTR Run(const std::wstring& caption);

    CWizardContext& Context() { return context; }
    WorkerThread& Worker() { return *context.worker; }
    bool IsInitialised() const { return initialised == 1; }
    // The wizard's first page, or the page after a requirements page that passed while first.
    bool IsFirstPage(const CQirvaPage* page) const;
    void SetRequirementsPassed() { requirementsPassed = 1; }
    WizardPageKind ActiveKind() const { return activeKind; }
    void OnPageActivated(CQirvaPage* page);

    // The navigation buttons; lists are words "BACK", "NEXT", "CANCEL", "FINISH" separated by commas.
    void EnableButtons(const std::wstring& list, bool enable);
    void ShowButtons(const std::wstring& list, int showCommand);
    void SetBackButtonState(bool hideBack, bool keep);
    void SetButtonCaptions(const std::wstring& mode);
    void FocusBackButton();
    void FocusNextButton(bool takeFocus);
    void FocusCancelButton();
    void FocusFinishButton();
    // Every navigation button gives up its focus look (a page's own button has the focus).
    void ClearNavigationFocusLooks();
    bool IsNextEnabled() const;
    // 0 the page's wizard was cancelled (going to the finish page), 1000 on the finish page, -1
    // declined, 1001 confirmed on the autolaunch page, 1 any other answer.
    int ConfirmCancel();
    void EnableCloseCommand(int showCommand);
    void GoToFinishPage();
    // The extraction password, when the package needs it and it was not accepted yet: 0 accepted
    // or not needed, -1 not accepted (the wizard was cancelled).
    int AskPassword();

    // Draws the top band image and the package title over the top 60 pixels of a page.
    void PaintBand(HDC dc, const RECT& pageClient) const;
    // The display scale the wizard is laid out for: its monitor's resolution and the text size.
    const wingui::DisplayScale& Scale() const { return scale; }
    // Moves a page to the page area of the sheet.
    void PlacePage(CQirvaPage* page) const;
    // The colour behind the pages' texts and pictures.
    COLORREF PageBackgroundColour() const;
    void SetLaunchImmediately(int value) { launchImmediately = value; }
    // Moves on to the autolaunch page (posted, like the move to the finish page).
    void GoToAutolaunchPage();
    // Ends the wizard's run without a question, as after a launch that closes it.
    void CloseWizard();

    // What the launch needs of the wizard. The launch worker calls these from its own thread:
    // window work is posted to the window's thread.
    HWND GetWizardWindow() override { return Hwnd(); }
    HWND GetAutolaunchPageWindow() override { return autolaunchPage.Hwnd(); }
    HWND GetAutolaunchProgressBar() override;
    void OnLaunchFinished() override;
    int GetLaunchImmediately() override { return launchImmediately; }
    void MoveToFinishPage() override { GoToFinishPage(); }

protected:
    void OnInitialized() override;
    bool PreTranslateMessage(MSG& message) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FinishInitialisation();
    // Makes the wizard's fonts for the scale; the previous ones are returned to be deleted once
    // no control shows them.
    void MakeFonts(wingui::Font& previousTitle, wingui::Font& previousLight);
    // The page area and the button band for the scale, and the sheet's size around them.
    void LayoutSheet();
    // Lays the whole wizard out again for another scale (WM_DPICHANGED, a changed text size).
    void ApplyScale(const wingui::DisplayScale& newScale);
    void PlaceNavigationButtons();
    void CreateNavigationButtons();
    CQirvaButton* ButtonByWord(const std::wstring& word) const;
    void GiveFocusLook(CQirvaButton* button, int defaultId, bool takeFocus);
    void ActOnCancel(int caller, int result);
    CQirvaPage* PageOfKind(WizardPageKind kind);
    void SetActivePageDefault(int id) const;
    bool HandleKey(MSG& message);

    CWizardContext& context;
    CLanguagePage languagePage;
    CLicensePage licensePage;
    CExtractorPage extractorPage;
    CAutoLaunchSilentPage autolaunchPage;
    CDirChangePage dirChangePage;
    CFinishPage finishPage;
    CConditionCheck conditionPage;
    CWelcomePage welcomePage;

    std::unique_ptr<CQirvaButton> cancelButton, nextButton, backButton, finishButton;
    wingui::GdiplusImage topImage, bottomImage;
    RECT pageRect = {};
    int pageBottom = 0;
    int bandHeight = 0;
    int closeAllowed = 1;
    int initialised = 0;
    int arrowCount = 0;
    int launchImmediately = 1;
    int requirementsPassed = 0;
    bool showTitle = true;  // [Package] Setuptype is not "PLUS": the band carries the package title
    wingui::DisplayScale scale;
    wingui::Font titleFont, lightFont;  // the context's fonts, made for the scale
    wingui::DialogLayout pageLayout;    // the pages' template size
    WizardPageKind activeKind = PAGE_WELCOME;
};
