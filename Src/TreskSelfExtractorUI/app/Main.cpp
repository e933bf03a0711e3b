#include <windows.h>

#include "app/TreskSelfExtractorUIApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    theApp.InitInstance();
    return theApp.ExitInstance();
}
