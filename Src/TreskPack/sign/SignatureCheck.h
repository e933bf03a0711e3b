#pragma once
// Checks the signature of a package file: present, readable, vouching for exactly the bytes the
// file holds now, and signed with the key of the certificate it names. What it cannot check is
// the trust in that certificate: Windows decides that against its own trusted roots.

#include <string>
#include <vector>

struct SignatureReport {
    bool present = false;
    bool valid = false;
    std::string subject;
    std::string digestName;              // the file digest's algorithm, "SHA-256"
    std::vector<std::string> lines;      // "signature: ..." lines for the verify report
    std::vector<std::string> problems;   // why the signature is not valid
};

// False only when the file cannot be read at all; a missing signature is present = false.
bool CheckSignature(const std::string& path, SignatureReport& report, std::string& error);
