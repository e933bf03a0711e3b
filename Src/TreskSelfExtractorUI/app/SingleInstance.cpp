#include "app/SingleInstance.h"

// The error is read right after the mutex is made (members are made in their order): it tells
// whether another instance made it first.
CSingleInstance::CSingleInstance() : mutex(CreateMutexW(nullptr, FALSE, MUTEX_NAME)), createError(GetLastError()) {}

void CSingleInstance::Release() {
    mutex.Reset();
}
