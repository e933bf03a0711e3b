#include "hash/PartHash.h"

#include <cstdio>
#include <vector>

#include "io/File.h"
#include "util/Sha.h"

std::string PartHashText(const uint8_t digest[20]) {
    return HexText(digest, 16);
}

bool PartHashesOfFile(const std::string& path, PartHashes& hashes, std::string& error) {
    FILE* file = OpenFile(path, "rb");  // UTF-8 path, wide on Windows
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    Sha1 sha1;
    Sha256 sha256;
    std::vector<uint8_t> block(1 << 20);
    size_t read;
    while ((read = std::fread(block.data(), 1, block.size(), file)) > 0) {
        sha1.Update(block.data(), read);
        sha256.Update(block.data(), read);
    }
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        error = "cannot read " + path;
        return false;
    }
    uint8_t digest1[20], digest256[32];
    sha1.Final(digest1);
    sha256.Final(digest256);
    hashes.sha1 = PartHashText(digest1);
    hashes.sha256 = HexText(digest256, 32);
    return true;
}
