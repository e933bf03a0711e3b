#pragma once
// The package result code: how extraction and launching ended. The initialiser keeps it; the
// finish page's texts and the exit code are decided from it. Extraction also stores the engine's
// own codes (the library's and the system's errors) here.

enum PackageResultCode : int {
    RESULT_SETUP_ERROR = -6,         // a launched setup returned a code the package marks as error
    RESULT_CORRUPT_PART = -5,        // a part file's hash differs from the stored one
    RESULT_LAUNCH_FAILED = -4,       // a setup could not be started
    RESULT_INVALID_PART = -3,        // a part file is not the package's cabinet
    RESULT_MISSING_PART = -2,        // a part file (or the attached payload) is not there
    RESULT_FAILED = -1,              // extraction failed, or the requirements were not met
    RESULT_SUCCESS = 0,
    RESULT_SETUP_NOT_FOUND = 2,      // the launch entry names no file of the package
    RESULT_CANCELLED = 11,           // the user cancelled extraction or launching
    RESULT_LAUNCH_CANCELLED = 12,    // the user cancelled on the autolaunch page
};
