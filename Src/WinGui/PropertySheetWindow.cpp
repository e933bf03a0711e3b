#include "PropertySheetWindow.h"

#include <commctrl.h>

#include <algorithm>

namespace wingui {

namespace {
// The sheet being created on this thread: the sheet callback carries no reference data.
thread_local PropertySheetWindow* g_creating = nullptr;
}  // namespace

PropertySheetWindow::~PropertySheetWindow() {
    if (Hwnd() && IsWindow(Hwnd())) DestroyWindow(Hwnd());
}

void PropertySheetWindow::AddPage(PropertyPage* page) {
    page->SetSheet(this);
    pages.push_back(page);
    if (running && Hwnd()) SendMessageW(Hwnd(), PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(page->CreatePage()));
}

void PropertySheetWindow::RemovePage(PropertyPage* page) {
    auto found = std::find(pages.begin(), pages.end(), page);
    if (found == pages.end()) return;
    if (running && Hwnd()) SendMessageW(Hwnd(), PSM_REMOVEPAGE, static_cast<WPARAM>(found - pages.begin()), 0);
    pages.erase(found);
}

void PropertySheetWindow::SetActivePage(PropertyPage* page) {
    int index = GetPageIndex(page);
    if (index >= 0 && Hwnd()) SendMessageW(Hwnd(), PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

PropertyPage* PropertySheetWindow::GetActivePage() const {
    if (!Hwnd()) return nullptr;
    HWND current = reinterpret_cast<HWND>(SendMessageW(Hwnd(), PSM_GETCURRENTPAGEHWND, 0, 0));
    for (auto* page : pages)
        if (page->Hwnd() && page->Hwnd() == current) return page;
    return nullptr;
}

int PropertySheetWindow::GetPageIndex(const PropertyPage* page) const {
    auto found = std::find(pages.begin(), pages.end(), page);
    return found == pages.end() ? -1 : static_cast<int>(found - pages.begin());
}

RECT PropertySheetWindow::ActivePageRect() const {
    RECT rect = {};
    HWND current = Hwnd() ? reinterpret_cast<HWND>(SendMessageW(Hwnd(), PSM_GETCURRENTPAGEHWND, 0, 0)) : nullptr;
    if (!current) return rect;
    GetWindowRect(current, &rect);
    MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void PropertySheetWindow::EndModal(INT_PTR result) {
    modalResult = result;
    resultGiven = true;
    ended = true;
    // Wakes the loop up should no message be waiting.
    if (Hwnd()) PostMessageW(Hwnd(), WM_NULL, 0, 0);
}

INT_PTR PropertySheetWindow::DoModal(HWND owner, const std::wstring& caption, DWORD flags) {
    std::vector<HPROPSHEETPAGE> handles;
    for (auto* page : pages) handles.push_back(page->CreatePage());
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = flags | PSH_MODELESS | PSH_USECALLBACK;
    header.hwndParent = owner;
    header.hInstance = GetModuleHandleW(nullptr);
    header.pszCaption = caption.c_str();
    header.nPages = static_cast<UINT>(handles.size());
    header.phpage = handles.data();
    header.pfnCallback = SheetCallback;
    g_creating = this;
    INT_PTR created = ::PropertySheetW(&header);
    g_creating = nullptr;
    HWND sheet = reinterpret_cast<HWND>(created);
    if (created <= 0 || !IsWindow(sheet)) return -1;
    if (Hwnd() != sheet) Attach(sheet);

    running = true;
    ended = false;
    resultGiven = false;
    const bool disableOwner = owner && IsWindowEnabled(owner);
    if (disableOwner) EnableWindow(owner, FALSE);
    MSG message;
    while (!ended && SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got == -1) break;
        if (PreTranslateMessage(message)) continue;
        if (!SendMessageW(sheet, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(&message))) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    running = false;
    if (!resultGiven) {
        // Finished or cancelled through the sheet's own buttons.
        LRESULT result = SendMessageW(sheet, PSM_GETRESULT, 0, 0);
        modalResult = result > 0 ? IDOK : IDCANCEL;
    }
    if (disableOwner) EnableWindow(owner, TRUE);
    DestroyWindow(sheet);
    return modalResult;
}

int CALLBACK PropertySheetWindow::SheetCallback(HWND window, UINT message, LPARAM lParam) {
    PropertySheetWindow* self = g_creating;
    if (!self) return 0;
    if (message == PSCB_PRECREATE) {
        self->OnPreCreate(reinterpret_cast<DLGTEMPLATE*>(lParam));
    } else if (message == PSCB_INITIALIZED) {
        self->Attach(window);
        self->OnInitialized();
    }
    return 0;
}

}  // namespace wingui
