#include "app/ExitCode.h"

#include "package/ResultCode.h"

int ComputeExitCode(int packageResultCode, int setupReturnCodeValid, int setupReturnCode, bool runFailed,
                    const SetupExitPassOn& passOn) {
    if (packageResultCode == RESULT_CORRUPT_PART || packageResultCode == RESULT_INVALID_PART ||
        packageResultCode == RESULT_MISSING_PART) return -1;
    if (setupReturnCodeValid == 1) return setupReturnCode;
    if (runFailed) return -1;
    if (passOn.requested) {
        // A setup not found (from the launch list, or at launch time) or not started has no code
        // of its own, and 0 would report its failure as success.
        if (packageResultCode == RESULT_LAUNCH_FAILED || packageResultCode == RESULT_SETUP_NOT_FOUND) return -1;
        if (passOn.waitedFor && passOn.setupReturned) return passOn.lastSetupCode;
    }
    return 0;
}
