#include "extract/CabError.h"

#include "log/LogFile.h"

void CError::Clear() {
    erf = ERF{};
    engineCode = 0;
    engineDetail = 0;
}

std::wstring CabErrorText(int code) {
    switch (code) {
        case 0: return L"Success";
        case 1: return L"Cabinet file (or part of splitted CAB) not found";
        case 2: return L"The file is not a cabinet";
        case 3: return L"Unknown cabinet version";
        case 4: return L"Corrupt cabinet";
        case 5: return L"Memory allocation failed";
        case 6: return L"Unknown compression type";
        case 7: return L"Failure decompressing data";
        case 8: return L"Failure writing to target file";
        case 9: return L"Cabinets in set have different RESERVE sizes";
        case 10: return L"Cabinet returned on fdintNEXT_CABINET is incorrect";
        case 11: return L"User aborted extraction";
        case 1000: return L"Could not load Cabinet.dll";
        case 1002: return L"Invalid parameters passed to extraction function";
        case 1005: return L"The path is too long. (Max 260 characters are allowed).";
        case 1011: return L"Could not remove attributes of the file";
        default: return L"Unknown error";
    }
}

std::wstring CError::GetErrorText() const {
    if (!HasError()) return L"Success";
    std::wstring text = CabErrorText(GetErrorCode());
    int detail = GetErrorDetail();
    return detail != 0 ? FormatWide(L"Error %s: %d", text, detail) : text;
}
