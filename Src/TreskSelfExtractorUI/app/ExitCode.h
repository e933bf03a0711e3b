#pragma once
// The process exit code that sums up a run.

// What the package asks for with [Runtime] ReturnSetupExitCode=1, and what the launch left for it.
struct SetupExitPassOn {
    bool requested = false;    // the package sets ReturnSetupExitCode=1
    bool waitedFor = false;    // the setups were waited for (without waiting a code means nothing)
    bool setupReturned = false;  // at least one launched setup's code was recorded
    int lastSetupCode = 0;     // the code of the last one
};

// A missing, invalid or corrupt part file gives -1; a launched setup whose failure stops the
// launching passes its own code on; a run that ended without the package extracted because of an
// error (runFailed: a failed extraction other than the user's cancel, missing rights, a wrong or
// missing password, a failed start-up) gives -1, so an unattended deployment can tell it from
// success. A package that asks for it passes the last setup's own code on (3010, 1641: a restart
// is needed or has begun), or -1 when a setup could not be found or started (result code 2 or -4).
// Everything else, the user's cancel and unmet conditions among it, ends with 0.
int ComputeExitCode(int packageResultCode, int setupReturnCodeValid, int setupReturnCode, bool runFailed,
                    const SetupExitPassOn& passOn = SetupExitPassOn());
