#pragma once
// Thin wrappers over the common controls the windows use: a handle and the messages by name.

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <string>

namespace wingui {

class ProgressBar {
public:
    explicit ProgressBar(HWND bar = nullptr) : bar(bar) {}
    void Attach(HWND control) { bar = control; }
    HWND Hwnd() const { return bar; }
    void SetRange(int low, int high) const { SendMessageW(bar, PBM_SETRANGE32, low, high); }
    void SetPos(int position) const { SendMessageW(bar, PBM_SETPOS, position, 0); }
    void SetStep(int step) const { SendMessageW(bar, PBM_SETSTEP, step, 0); }
    int GetPos() const { return static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0)); }
    int GetHigh() const { return static_cast<int>(SendMessageW(bar, PBM_GETRANGE, FALSE, 0)); }

private:
    HWND bar;
};

class Static {
public:
    explicit Static(HWND control = nullptr) : control(control) {}
    void Attach(HWND window) { control = window; }
    HWND Hwnd() const { return control; }
    void SetText(const std::wstring& text) const { SetWindowTextW(control, text.c_str()); }
    void Show(bool show) const { ShowWindow(control, show ? SW_SHOW : SW_HIDE); }

private:
    HWND control;
};

class ListView {
public:
    explicit ListView(HWND list = nullptr) : list(list) {}
    void Attach(HWND control) { list = control; }
    HWND Hwnd() const { return list; }
    void SetExtendedStyle(DWORD style) const { ListView_SetExtendedListViewStyle(list, style); }
    void SetImageList(HIMAGELIST images) const { ListView_SetImageList(list, images, LVSIL_SMALL); }
    void InsertColumn(const std::wstring& title, int width) const {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(title.c_str());
        column.cx = width;
        SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    }
    int InsertItem(int row, const std::wstring& text, int image) const {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(text.c_str());
        item.iImage = image;
        return static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    void SetItemImage(int row, int image) const {
        LVITEMW item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        item.iImage = image;
        SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    void DeleteAllItems() const { ListView_DeleteAllItems(list); }
    int GetItemCount() const { return ListView_GetItemCount(list); }
    void Select(int row, bool selected) const {
        ListView_SetItemState(list, row, selected ? (LVIS_SELECTED | LVIS_FOCUSED) : 0, LVIS_SELECTED | LVIS_FOCUSED);
    }
    void SetSelectionMark(int row) const { ListView_SetSelectionMark(list, row); }
    std::wstring GetItemText(int row) const {
        wchar_t text[512] = {};
        ListView_GetItemText(list, row, 0, text, 512);
        return text;
    }

private:
    HWND list;
};

class RichEdit {
public:
    explicit RichEdit(HWND edit = nullptr) : edit(edit) {}
    void Attach(HWND control) { edit = control; }
    HWND Hwnd() const { return edit; }
    void Clear() const { SetWindowTextW(edit, L""); }
    // Streams a file in, as rich text or as plain text; false when it cannot be opened.
    bool StreamInFile(const std::wstring& path, bool richText) const;
    CHARFORMAT2W GetDefaultFormat() const {
        CHARFORMAT2W format = {};
        format.cbSize = sizeof(format);
        SendMessageW(edit, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
        return format;
    }
    void SetDefaultFormat(const CHARFORMAT2W& format) const {
        SendMessageW(edit, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    }
    void ScrollToTop() const { SendMessageW(edit, WM_VSCROLL, SB_TOP, 0); }

private:
    HWND edit;
};

}  // namespace wingui
