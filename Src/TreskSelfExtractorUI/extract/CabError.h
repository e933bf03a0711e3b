#pragma once
// The outcome of a cabinet operation: the library's error record and the engine's own code.

#include <windows.h>
#include <fdi.h>

#include <string>

// Engine codes raised by this program beside the library's codes 1 to 11.
enum : int {
    CAB_ERROR_NONE = 0,
    CAB_ERROR_NOT_FOUND = 1,
    CAB_ERROR_NOT_A_CABINET = 2,
    CAB_ERROR_CORRUPT = 4,
    CAB_ERROR_WRITE = 8,
    CAB_ERROR_ABORTED = 11,
    CAB_ERROR_LIBRARY = 1000,
    CAB_ERROR_PARAMETERS = 1002,
    CAB_ERROR_PATH_TOO_LONG = 1005,
    CAB_ERROR_ATTRIBUTES = 1011,
};

class CError {
public:
    CError() { Clear(); engineCode = -1; }
    void Clear();
    bool HasError() const { return erf.fError || engineCode != 0 || engineDetail != 0; }
    int GetErrorCode() const { return engineCode != 0 ? engineCode : erf.erfOper; }
    int GetErrorDetail() const { return engineDetail != 0 ? engineDetail : erf.erfType; }
    std::wstring GetErrorText() const;
    void SetEngineCode(int code) { engineCode = code; }

    ERF erf;

private:
    int engineCode = 0;
    int engineDetail = 0;
};

// The English text of an engine code.
std::wstring CabErrorText(int code);
