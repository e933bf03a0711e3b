#include "app/AppMessageBox.h"

#include "app/TreskSelfExtractorUIApp.h"

UINT MessageBoxShownType(UINT requestedType) {
    switch (requestedType) {
        case MB_OK: return MB_OK | MB_ICONEXCLAMATION;
        case MB_OKCANCEL: return MB_OKCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2;
        case MB_YESNOCANCEL: return MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3;
        case MB_YESNO: return MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
        case MB_OKCANCEL | MB_ICONERROR: return MB_OKCANCEL | MB_ICONERROR | MB_DEFBUTTON2;
        case MB_YESNO | MB_ICONEXCLAMATION: return MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2;
        default: return requestedType;
    }
}

int AppMessageBox(const std::wstring& text, UINT requestedType) {
    HWND owner = theApp.GetMainWindow();
    if (!owner) owner = GetActiveWindow();
    return MessageBoxW(owner, text.c_str(), theApp.GetApplicationName().c_str(), MessageBoxShownType(requestedType));
}
