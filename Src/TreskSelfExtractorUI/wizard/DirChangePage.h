#pragma once
// The extraction-location page: the folder the package is extracted into (typed, or picked with
// Browse in the platform's folder browser), the delete-on-exit box and, when a setup is launched
// after extraction, the extract-only box. Next validates the folder and asks before a non-empty
// folder is emptied.

#include <memory>

#include "wizard/LocationRules.h"
#include "wizard/QirvaButton.h"
#include "wizard/QirvaPage.h"

class CDirChangePage : public CQirvaPage {
public:
    explicit CDirChangePage(CQirvaSheet& sheet);
    ~CDirChangePage() override;
    void InitPage() override;
    void ActivatePage() override;
    void AfterSheetKey(const MSG& message) override;
    void OnNavigationFocus() override;

protected:
    LRESULT OnWizardNext() override;
    bool OnCommand(int id, int code, HWND control) override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateBrowseButton();
    // Beside the folder edit, as high as the navigation buttons.
    RECT BrowseButtonPlace() const;
    void OnScaleChanged() override;
    void RefreshAutolaunchControls();
    void ApplyControls(const LocationControls& controls);
    void OnExtractOnlyClicked();
    void OnDeleteOnExitClicked();
    void BrowseForFolder();
    void ShowBrowse(bool show);
    DeleteBoxSettings ReadDeleteBoxSettings() const;

    std::unique_ptr<CQirvaButton> browseButton;
};
