// Makes the files the fuzz script builds its seeds from:
//   SeedTool program FILE             a minimal program file that TreskPack builds packages from
//   SeedTool noise FILE SIZE SEED     bytes that do not compress, so a payload fills several parts
//   SeedTool unpack PACKAGE FOLDER    the package's container (container.bin) and each of its
//                                     entries as a file of its own, as the program finds them

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../tests/common/TestData.h"
#include "container/Container.h"
#include "container/VersionStamp.h"
#include "io/File.h"

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "SeedTool: %s\n", message.c_str());
    return 1;
}

int Unpack(const std::string& package, const std::string& folder) {
    std::string bytes, error;
    if (!ReadWholeFile(package, bytes, error)) return Fail(error);
    VersionStampLocation stamp;
    if (!FindVersionStamp(bytes, stamp, error)) return Fail(package + ": " + error);
    std::vector<ContainerEntry> entries;
    if (!ReadContainer(package, stamp.subtype, entries, error)) return Fail(package + ": " + error);
    std::filesystem::create_directories(folder);
    if (!WriteWholeFile(folder + "/container.bin", bytes.substr(stamp.subtype), error)) return Fail(error);
    for (const auto& entry : entries) {
        if (!CheckEntryName(entry.name, error)) return Fail(package + ": " + error);
        if (!WriteWholeFile(folder + "/" + entry.name, bytes.substr(entry.dataOffset, entry.size), error))
            return Fail(error);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    if (args.size() == 2 && args[0] == "program")
        return WriteWholeFile(args[1], testdata::MakeProgram({0x220}), error) ? 0 : Fail(error);
    if (args.size() == 4 && args[0] == "noise") {
        std::string bytes = testdata::Incompressible(std::strtoul(args[2].c_str(), nullptr, 10),
                                                     static_cast<uint32_t>(std::strtoul(args[3].c_str(), nullptr, 10)));
        return WriteWholeFile(args[1], bytes, error) ? 0 : Fail(error);
    }
    if (args.size() == 3 && args[0] == "unpack") return Unpack(args[1], args[2]);
    return Fail("usage: SeedTool program FILE | noise FILE SIZE SEED | unpack PACKAGE FOLDER");
}
