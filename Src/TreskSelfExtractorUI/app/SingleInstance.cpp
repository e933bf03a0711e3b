#include "app/SingleInstance.h"

CSingleInstance::CSingleInstance() {
    mutex = CreateMutexW(nullptr, FALSE, MUTEX_NAME);
    createError = GetLastError();
}

CSingleInstance::~CSingleInstance() {
    Release();
}

void CSingleInstance::Release() {
    if (mutex) CloseHandle(mutex);
    mutex = nullptr;
}
