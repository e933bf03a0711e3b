#pragma once
// The wizard's licence page: the licence agreement and the security information of the selected
// language, each in a list row with its own acceptance box; Next only once every document shown is
// accepted.

#include <richedit.h>

#include <string>

#include "WinGui/Controls.h"
#include "wizard/QirvaPage.h"

class CLicensePage : public CQirvaPage {
public:
    explicit CLicensePage(CQirvaSheet& sheet);
    ~CLicensePage() override;
    void InitPage() override;
    void ActivatePage() override;
    bool IsAccepted() const;

protected:
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;

private:
    void FillList();
    void ShowDocument(const std::wstring& path);
    void ShowRow(int row);
    void UpdateNext();
    std::wstring RowText(int textNumber) const;

    wingui::ListView list;
    wingui::RichEdit viewer;
    HIMAGELIST images = nullptr;
    bool listDescribed = false;
    // The accepted and not accepted symbols of the rows, for the page's scale.
    void MakeRowSymbols();
    void OnScaleChanged() override;
    CHARFORMAT2W defaultFormat = {};
    std::wstring licenseFile, securityFile, shownFile;
    int licenseRow = -1, securityRow = -1;
    bool first = false;
};
