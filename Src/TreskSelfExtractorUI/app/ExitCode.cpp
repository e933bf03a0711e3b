#include "app/ExitCode.h"

int ComputeExitCode(int packageResultCode, int setupReturnCodeValid, int setupReturnCode, bool runFailed) {
    if (packageResultCode == -5 || packageResultCode == -3 || packageResultCode == -2) return -1;
    if (setupReturnCodeValid == 1) return setupReturnCode;
    if (runFailed) return -1;
    return 0;
}
