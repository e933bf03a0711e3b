#include "app/ExitCode.h"

int ComputeExitCode(int packageResultCode, int setupReturnCodeValid, int setupReturnCode, bool runFailed,
                    const SetupExitPassOn& passOn) {
    if (packageResultCode == -5 || packageResultCode == -3 || packageResultCode == -2) return -1;
    if (setupReturnCodeValid == 1) return setupReturnCode;
    if (runFailed) return -1;
    if (passOn.requested) {
        // A setup not found (2 from the launch list, -4 at launch time) or not started has no code
        // of its own, and 0 would report its failure as success.
        if (packageResultCode == -4 || packageResultCode == 2) return -1;
        if (passOn.waitedFor && passOn.setupReturned) return passOn.lastSetupCode;
    }
    return 0;
}
