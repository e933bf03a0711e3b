#pragma once
// The keys of the settings file that only the packager can know: sizes, file count, part files
// with their hashes, the cabinet set identifier and the stored form of the extraction password.

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "settings/IniDocument.h"

struct PackageFacts {
    uint64_t packageSize = 0;   // bytes the extracted payload needs
    uint64_t cabSize = 0;       // bytes of the attached cabinet (single-file package)
    uint32_t fileCount = 0;
    uint16_t setId = 0;
    bool multiPart = false;
    std::string partBaseName;   // multi-part: part files are <base>.001, <base>.002, ...
    struct Part {
        std::string timestamp;  // PartTimestamp of the part file
        std::string hash;       // PartHashText of the part file: [HashCode]
        std::string sha256;     // its whole SHA-256: [HashCode256]
    };
    std::vector<Part> parts;
};

void FillPackageKeys(IniDocument& settings, const PackageFacts& facts);
// Removes the entries of [PartFileIno], [HashCode] and [HashCode256]: entries left over from an
// earlier build must not make the program expect other parts.
void ClearPartEntries(IniDocument& settings);

// "%03d": the key of a part in [PartFileIno], [HashCode] and [HashCode256].
std::string PartKey(int number);
// "Y2025:M3:D5:H10:M24:S47:MS0" of a local time.
std::string PartTimestamp(std::time_t when);

// The stored form of an extraction password: every character (printable ASCII only) rotated
// upward by number within the 95 printable codes. number must lie in 0..94.
bool RotatePassword(const std::string& plain, int number, std::string& stored, std::string& error);
// What the program makes of a stored password.
std::string UnrotatePassword(const std::string& stored, int number);

// Marks the package as password-protected with the given plain password.
bool ApplyPassword(IniDocument& settings, const std::string& plain, int number, std::string& error);

// A rotation in 1..94, tried from start on, whose stored form does not begin or end with a blank
// (the program strips those). 0 stores the password unchanged when no rotation fits.
int ChoosePasswordRotation(const std::string& plain, unsigned start);
