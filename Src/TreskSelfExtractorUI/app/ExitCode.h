#pragma once
// The process exit code that sums up a run.

// A missing, invalid or corrupt part file gives -1; a launched setup whose failure stops the
// launching passes its own code on; a run that ended without the package extracted because of an
// error (runFailed: a failed extraction other than the user's cancel, missing rights, a wrong or
// missing password, a failed start-up) gives -1, so an unattended deployment can tell it from
// success; everything else, the user's cancel and unmet conditions among it, ends with 0.
int ComputeExitCode(int packageResultCode, int setupReturnCodeValid, int setupReturnCode, bool runFailed);
