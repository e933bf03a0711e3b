// Fuzzes reading the package's cabinets back: the header with its folder and file records, the
// stored names, the following of a set's next-cabinet names, and the extraction, which checks and
// inflates every MSZIP block and writes the files.
//
// Input: one cabinet file. The reader works on files, so the input goes to this process's scratch
// folder first; the files extracted from it go to a subfolder that is removed after each input.

#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "cab/CabReader.h"
#include "cab/CabSource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::Scratch& scratch = fuzz::Scratch::Get();
    std::string path = scratch.Write("input.cab", data, size), error;
    CabHeader header;
    if (!ReadCabinetHeader(path, header, error)) return 0;
    for (const auto& file : header.files) {
        std::string name;
        std::vector<std::string> components;
        if (DecodeStoredName(file, name, error)) SplitStoredName(name, components, error);
    }
    // The next-cabinet names lead to files of the scratch folder at most: the input itself or none.
    std::vector<std::string> parts;
    FindCabinetSet(path, parts, error);

    CabExtractOptions options;
    uint64_t reported = 0;
    options.progress = [&reported](uint64_t done, uint64_t) { reported = done; };
    CabExtractResult result;
    ExtractCabinets({path}, scratch.Path("out"), options, result, error);
    scratch.Remove("out");
    return 0;
}
