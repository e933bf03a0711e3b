#pragma once
// Allows one running instance per session through a named mutex.

#include <windows.h>

#include "util/Handles.h"

class CSingleInstance {
public:
    static constexpr const wchar_t* MUTEX_NAME = L"{AA16C87C-7BE6-4670-8526-4D402D18B369}";

    CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    bool IsAnotherInstanceRunning() const { return createError == ERROR_ALREADY_EXISTS; }
    void Release();

private:
    KernelHandle mutex;
    DWORD createError = 0;
};
