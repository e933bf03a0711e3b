#pragma once
// The launch host of the launch tests: what the launch asks of the application that runs it (the
// system's verdict, the delete-on-exit choice and the setups' return-code messages), held by the
// test, so a test sets it up without the application object.

#include "app/ReturnCodes.h"
#include "checks/OSValidator.h"
#include "launch/Launcher.h"

class TestLaunchHost : public CLaunchHost {
public:
    int GetOsVerdict() override { return osVerdict; }
    int GetDeleteOnExit() override { return deleteOnExit; }
    CReturnCodeMessages& GetReturnCodes() override { return returnCodes; }
    // The tests' package temporary folder lies in their scratch folder and goes with it.
    void DeletePackageTempFolder() override {}

    int osVerdict = OS_SUPPORTED;
    int deleteOnExit = 0;
    CReturnCodeMessages returnCodes;
};
