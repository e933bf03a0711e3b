#pragma once
// The extraction password prompt of a protected package. It ends only with the right password or
// with the whole wizard cancelled.

#include "WinGui/Accessible.h"
#include "WinGui/Dialog.h"

class CQirvaSheet;

class CExtractPassword : public wingui::Dialog {
public:
    explicit CExtractPassword(CQirvaSheet& sheet);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnOk();
    void OnCancel();
    CQirvaSheet& sheet;
    wingui::AccessibleControls accessible;  // the password edit is named by its prompt
};
