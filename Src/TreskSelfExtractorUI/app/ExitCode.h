#pragma once
// The process exit code that sums up a run.

// A missing, invalid or corrupt part file gives -1; a launched setup whose failure stops the
// launching passes its own code on; everything else ends with 0.
int ComputeExitCode(int packageResultCode, int setupReturnCodeValid, int setupReturnCode);
