#pragma once
// Helpers of the fuzz targets: the input as the program's wide text, and a scratch folder of the
// process for the readers that take a file path.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "text/Utf.h"

namespace fuzz {

// The input as the program holds text read from its settings: UTF-16 units in wide characters.
// Valid UTF-8 is decoded; anything else counts one character per byte, so every byte sequence
// still reaches the parser.
inline std::wstring WideText(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::u16string units;
    std::string ignored;
    if (!Utf8ToUtf16(bytes, units, ignored)) units.assign(bytes.begin(), bytes.end());
    return std::wstring(units.begin(), units.end());
}

// A folder of its own under the temporary folder (TMPDIR), made on first use and removed when the
// process ends normally. The script gives each run a TMPDIR of its own and removes it afterwards,
// so whatever a crashed run leaves behind goes too.
class Scratch {
public:
    static Scratch& Get() {
        static Scratch scratch;
        return scratch;
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    std::string Path(const char* name) const { return (folder / name).string(); }

    // Writes the input to the named file of the folder, replacing what the last input left there.
    std::string Write(const char* name, const uint8_t* data, size_t size) const {
        std::string path = Path(name);
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file || (size && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) {
            std::fprintf(stderr, "fuzz: cannot write the scratch file %s\n", path.c_str());
            std::abort();
        }
        return path;
    }

    // Removes a file or folder of the scratch folder (what the input made there).
    void Remove(const char* name) const {
        std::error_code ignored;
        std::filesystem::remove_all(folder / name, ignored);
    }

private:
    Scratch() {
        std::error_code code;
        std::string pattern = (std::filesystem::temp_directory_path(code) / "tresk_fuzz_XXXXXX").string();
        if (code || !mkdtemp(&pattern[0])) {
            std::fprintf(stderr, "fuzz: cannot make a scratch folder under the temporary folder\n");
            std::abort();
        }
        folder = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::filesystem::path folder;
};

}  // namespace fuzz
