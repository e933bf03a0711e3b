#pragma once
// The files that go into a cabinet: where each comes from, the name it is stored under, and the
// size, DOS date and time and attributes taken from the source file.

#include <cstdint>
#include <string>
#include <vector>
#include <utility>

struct CabSourceFile {
    std::string sourcePath;  // UTF-8 path of the file to pack
    std::string storedName;  // UTF-8 relative path with a leading backslash: "\\setup.exe", "\\sub\\dir\\a.txt"
    uint64_t size = 0;
    uint16_t date = 0;        // DOS date and time of the last modification, local time
    uint16_t time = 0;
    uint16_t attributes = 0;  // read-only, hidden, system, archive; the writer adds the UTF-8 name bit
};

// Every regular file under folder (recursively; links to folders are not followed), stored under
// its path relative to folder, sorted by stored name so the order never depends on the file
// system. Empty folders cannot be stored in a cabinet and are left out. Fails on names the
// program could not extract (see CheckStoredName).
// With refusedNames, a file whose name cannot be stored is recorded there (path, reason) and left
// out instead of failing the whole collection.
bool CollectPayloadFolder(const std::string& folder, std::vector<CabSourceFile>& files, std::string& error,
                          std::vector<std::pair<std::string, std::string>>* refusedNames = nullptr);

// Describes one file to be stored under storedName.
bool DescribeSourceFile(const std::string& path, const std::string& storedName, CabSourceFile& file,
                        std::string& error);

// A name the writer stores: valid UTF-8, a leading backslash, at most 255 bytes, components
// that are not empty, "." or "..", no reserved device names, no trailing dot or blank, and no
// characters that Windows file names cannot hold.
bool CheckStoredName(const std::string& name, std::string& error);

// Splits a name read from a cabinet into the components of a relative path; false for anything
// that could leave the target folder or that Windows cannot create: "..", ".", empty components,
// drive letters, colons, a second leading backslash, control and wildcard characters, reserved
// device names and components ending in a dot or blank. One leading
// backslash is the format's usual start of a relative path and is accepted.
bool SplitStoredName(const std::string& name, std::vector<std::string>& components, std::string& error);
