#include "extract/ClaimedPaths.h"

uint64_t CClaimedPaths::Hash(const std::wstring& folded) {
    uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (wchar_t c : folded) {
        hash ^= static_cast<uint16_t>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

size_t CClaimedPaths::Find(const std::wstring& folded, uint64_t hash) {
    const size_t mask = slots.size() - 1;
    const uint8_t tag = static_cast<uint8_t>(hash >> 56);
    for (size_t index = static_cast<size_t>(hash) & mask;; index = (index + 1) & mask) {
        if (slots[index] == 0) return index;
        if (tags[index] == tag && fold(spellings->Get(slots[index] - 1)) == folded) return index;
    }
}

void CClaimedPaths::Grow() {
    std::vector<uint32_t> old;
    old.swap(slots);
    slots.assign(old.empty() ? 1024 : old.size() * 2, 0);
    tags.assign(slots.size(), 0);
    for (uint32_t spelling : old) {
        if (spelling == 0) continue;
        std::wstring folded = fold(spellings->Get(spelling - 1));
        uint64_t hash = Hash(folded);
        size_t index = Find(folded, hash);
        slots[index] = spelling;
        tags[index] = static_cast<uint8_t>(hash >> 56);
    }
}

bool CClaimedPaths::Claim(const std::wstring& path, std::wstring& earlier) {
    if ((claims + 1) * 2 > slots.size()) Grow();
    std::wstring folded = fold(path);
    uint64_t hash = Hash(folded);
    size_t index = Find(folded, hash);
    if (slots[index] != 0) {
        earlier = spellings->Get(slots[index] - 1);
        return false;
    }
    slots[index] = spellings->Add(path) + 1;
    tags[index] = static_cast<uint8_t>(hash >> 56);
    ++claims;
    return true;
}

void CClaimedPaths::Clear() {
    claims = 0;
    slots.clear();
    slots.shrink_to_fit();
    tags.clear();
    tags.shrink_to_fit();
}

CClaimedPaths::CClaimedPaths(Fold fold, std::shared_ptr<CPathStore> store) : fold(fold) {
    UseStore(std::move(store));
}

void CClaimedPaths::UseStore(std::shared_ptr<CPathStore> store) {
    Clear();
    spellings = store ? std::move(store) : std::make_shared<CPathStore>();
}
