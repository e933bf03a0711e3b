#pragma once
// The paths one extraction has claimed so far (files it writes, folders it creates), compared as
// the file system compares them. A path that comes a second time, in the same or in another
// letter case, is an existing file the second time, and the spelling it had the first time names
// it in the log. Costs a few bytes per path: a package may hold hundreds of thousands of files, so
// the spellings are kept in a path store (util/PathList.h), which the lists of written files may
// share. Plain C++; the caller gives the folding that makes two spellings of one path equal.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "util/PathList.h"

class CClaimedPaths {
public:
    using Fold = std::wstring (*)(std::wstring);
    // Spellings go to store; with none given, to a store of its own.
    explicit CClaimedPaths(Fold fold, std::shared_ptr<CPathStore> store = nullptr);
    // Uses another store from now on (and forgets every claim).
    void UseStore(std::shared_ptr<CPathStore> store);

    // Claims the path. False when it was claimed before; earlier then holds its first spelling.
    bool Claim(const std::wstring& path, std::wstring& earlier);
    void Clear();
    size_t Size() const { return claims; }

private:
    static uint64_t Hash(const std::wstring& folded);
    // The slot of the folded path: its own, or the empty one where it would go.
    size_t Find(const std::wstring& folded, uint64_t hash);
    void Grow();

    Fold fold;
    std::shared_ptr<CPathStore> spellings;  // every path as it came first
    size_t claims = 0;
    // Open addressing, at most half full: in each slot the spelling's number in the store plus 1
    // (0 for an empty slot), and beside it the top byte of the folded path's hash, which spares
    // most comparisons of spellings.
    std::vector<uint32_t> slots;
    std::vector<uint8_t> tags;
};
