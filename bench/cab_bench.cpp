// Drives the cabinet writer and reader on a folder for pack_benchmark.sh (and by hand):
//
//   cab_bench pack FOLDER OUTPUT [--part-size BYTES] [--level N] [--threads N] [--set-id N]
//       packs FOLDER into OUTPUT (one cabinet) or OUTPUT.001, .002, ... (with --part-size) and
//       prints the files written, bytes in and out, seconds and MB/s.
//   cab_bench extract TARGET CABINET...
//       extracts one cabinet or the parts of a set, in order, into TARGET.
//   cab_bench generate FOLDER MIB FILES
//       writes a payload of about MIB MiB in FILES files: text that compresses well, binary data
//       that compresses somewhat, and random data that does not; the same bytes on every run.
//   cab_bench small FOLDER FILES
//       writes FILES small text files (100 to 1100 bytes) in folders of 250, as a payload of many
//       small resources; the same bytes on every run.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cab/CabReader.h"
#include "cab/CabSource.h"
#include "cab/CabWriter.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: cab_bench pack FOLDER OUTPUT [--part-size BYTES] [--level N] [--threads N] [--set-id N]\n"
                 "       cab_bench extract TARGET CABINET...\n"
                 "       cab_bench generate FOLDER MIB FILES\n"
                 "       cab_bench small FOLDER FILES\n");
    return 2;
}

struct Random {
    uint64_t state;
    uint64_t Next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
};

// One file's bytes of the given kind: 0 text, 1 structured binary, 2 random.
void Fill(std::string& bytes, size_t size, int kind, Random& random) {
    static const char* words[] = {"install", "package", "the", "setup", "file", "version", "registry", "of",
                                  "windows", "component", "and", "value", "system", "folder", "a", "update",
                                  "configuration", "service", "to", "program", "data", "user", "key", "is"};
    bytes.clear();
    bytes.reserve(size);
    if (kind == 0) {
        while (bytes.size() < size) {
            bytes += words[random.Next() % (sizeof words / sizeof *words)];
            bytes += random.Next() % 12 == 0 ? "\r\n" : " ";
        }
    } else if (kind == 1) {
        // Records of a small table: repeated structure with varying numbers, like program code or
        // resources.
        while (bytes.size() < size) {
            uint64_t r = random.Next();
            uint32_t record[4] = {static_cast<uint32_t>(r & 0xFFFF), 0x00401000u + static_cast<uint32_t>(r >> 48),
                                  static_cast<uint32_t>((r >> 16) & 0xFF), 0x8B55EC8Bu};
            bytes.append(reinterpret_cast<const char*>(record), sizeof record);
        }
    } else {
        while (bytes.size() < size) {
            uint64_t r = random.Next();
            bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
        }
    }
    bytes.resize(size);
}

int Generate(int argc, char** argv) {
    if (argc != 5) return Usage();
    std::filesystem::path folder = argv[2];
    uint64_t total = std::strtoull(argv[3], nullptr, 10) << 20;
    uint64_t count = std::strtoull(argv[4], nullptr, 10);
    if (count < 10) return Usage();
    Random random{0x9E3779B97F4A7C15ull};
    // A tenth of the bytes in many small files, the rest in a few large ones (as installers have:
    // many small resources, a few large archives and programs).
    uint64_t large = std::max<uint64_t>(1, count / 200), small = count - large;
    uint64_t smallBytes = total / 10, largeBytes = total - smallBytes;
    std::string bytes;
    for (uint64_t i = 0; i < count; ++i) {
        bool isLarge = i % (count / large) == 0 && i / (count / large) < large;
        uint64_t size = isLarge ? largeBytes / large : smallBytes / small * 2 * (random.Next() % 1000) / 1000;
        int kind = static_cast<int>(random.Next() % 3);
        std::filesystem::path path = folder / ("dir" + std::to_string(i % 37)) / ("file" + std::to_string(i) + ".dat");
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        for (uint64_t left = size; left > 0;) {
            size_t chunk = static_cast<size_t>(std::min<uint64_t>(left, 8 << 20));
            Fill(bytes, chunk, kind, random);
            out.write(bytes.data(), static_cast<std::streamsize>(chunk));
            left -= chunk;
        }
        if (!out) {
            std::fprintf(stderr, "cab_bench: cannot write %s\n", path.string().c_str());
            return 1;
        }
    }
    return 0;
}

int GenerateSmall(int argc, char** argv) {
    if (argc != 4) return Usage();
    std::filesystem::path folder = argv[2];
    uint64_t count = std::strtoull(argv[3], nullptr, 10);
    if (count < 1) return Usage();
    Random random{0x2545F4914F6CDD1Dull};
    std::string bytes;
    char name[64];
    for (uint64_t i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "Resources%03u", static_cast<unsigned>(i / 250));
        std::filesystem::path path = folder / name;
        std::snprintf(name, sizeof name, "resource_%06u.txt", static_cast<unsigned>(i));
        path /= name;
        if (i % 250 == 0) std::filesystem::create_directories(path.parent_path());
        Fill(bytes, 100 + random.Next() % 1001, 0, random);
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cab_bench: cannot write %s\n", path.string().c_str());
            return 1;
        }
    }
    return 0;
}

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int Pack(int argc, char** argv) {
    if (argc < 4) return Usage();
    std::string folder = argv[2], output = argv[3];
    CabWriteOptions options;
    for (int i = 4; i + 1 < argc; i += 2) {
        unsigned long long value = std::strtoull(argv[i + 1], nullptr, 10);
        if (!std::strcmp(argv[i], "--part-size")) options.partSize = value;
        else if (!std::strcmp(argv[i], "--level")) options.level = static_cast<int>(value);
        else if (!std::strcmp(argv[i], "--threads")) options.threads = static_cast<unsigned>(value);
        else if (!std::strcmp(argv[i], "--set-id")) options.setId = static_cast<uint16_t>(value);
        else return Usage();
    }
    auto start = std::chrono::steady_clock::now();
    std::vector<CabSourceFile> files;
    std::string error;
    if (!CollectPayloadFolder(folder, files, error)) {
        std::fprintf(stderr, "cab_bench: %s\n", error.c_str());
        return 1;
    }
    CabWriteResult result;
    bool ok = options.partSize ? WriteCabinetSet(files, output, options, result, error)
                               : WriteCabinet(files, output, options, result, error);
    double seconds = Seconds(start);
    if (!ok) {
        std::fprintf(stderr, "cab_bench: %s\n", error.c_str());
        return 1;
    }
    uint64_t written = 0;
    for (const CabWrittenFile& file : result.cabinets) {
        std::printf("wrote %s %llu\n", file.path.c_str(), static_cast<unsigned long long>(file.size));
        written += file.size;
    }
    std::printf("files %llu\nbytes_in %llu\nbytes_out %llu\nseconds %.3f\nmb_per_s %.1f\n",
                static_cast<unsigned long long>(result.fileCount),
                static_cast<unsigned long long>(result.uncompressedBytes), static_cast<unsigned long long>(written),
                seconds, result.uncompressedBytes / 1e6 / seconds);
    return 0;
}

int Extract(int argc, char** argv) {
    if (argc < 4) return Usage();
    std::vector<std::string> cabinets(argv + 3, argv + argc);
    auto start = std::chrono::steady_clock::now();
    CabExtractResult result;
    std::string error;
    if (!ExtractCabinets(cabinets, argv[2], CabExtractOptions(), result, error)) {
        std::fprintf(stderr, "cab_bench: %s\n", error.c_str());
        return 1;
    }
    double seconds = Seconds(start);
    std::printf("files %zu\nbytes %llu\nseconds %.3f\nmb_per_s %.1f\n", result.files.size(),
                static_cast<unsigned long long>(result.bytes), seconds, result.bytes / 1e6 / seconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && !std::strcmp(argv[1], "pack")) return Pack(argc, argv);
    if (argc >= 2 && !std::strcmp(argv[1], "extract")) return Extract(argc, argv);
    if (argc >= 2 && !std::strcmp(argv[1], "generate")) return Generate(argc, argv);
    if (argc >= 2 && !std::strcmp(argv[1], "small")) return GenerateSmall(argc, argv);
    return Usage();
}
