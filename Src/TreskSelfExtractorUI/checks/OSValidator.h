#pragma once
// Identification of the running Windows.

class COSValidator {
public:
    // Major version of the running Windows as the kernel reports it (not subject to the
    // compatibility shims that GetVersionEx applies).
    static int GetMajorVersion();
};
