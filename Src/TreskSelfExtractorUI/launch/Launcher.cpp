#include "launch/Launcher.h"

#include "log/BuildLogFile.h"

void HandleLaunchSetup() {
    // Starting the contained setups is not part of this build yet.
    theLog.Log(LOG_INFO, L"HandleLaunchSetup", L"Launching the setup is not part of this build");
}
