#include "util/PathList.h"

#include <algorithm>
#include <cstring>

namespace {

// Names are packed into blocks of at most this many bytes; a position is the block's index in the
// upper 16 bits and the offset in it in the lower 16.
constexpr size_t kBlockBytes = 65536;

// Each character as its value in the UTF-8 pattern (one to four bytes), surrogates included as
// they are, so that any text comes back exactly as it went in.
void AppendEncoded(std::string& bytes, uint32_t c) {
    if (c < 0x80) {
        bytes += static_cast<char>(c);
    } else if (c < 0x800) {
        bytes += static_cast<char>(0xC0 | (c >> 6));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        bytes += static_cast<char>(0xE0 | (c >> 12));
        bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        bytes += static_cast<char>(0xF0 | ((c >> 18) & 0x07));
        bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    }
}

uint64_t Hash(const std::wstring& text) {
    uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (wchar_t c : text) {
        hash ^= static_cast<uint32_t>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

void AppendDecoded(std::wstring& text, const char* bytes) {
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes); *p;) {
        uint32_t c = *p++;
        int more = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        c &= more == 0 ? 0x7F : more == 1 ? 0x1F : more == 2 ? 0x0F : 0x07;
        for (int k = 0; k < more; ++k) c = (c << 6) | (*p++ & 0x3F);
        text += static_cast<wchar_t>(c);
    }
}

}  // namespace

uint32_t CPathStore::FolderId(const std::wstring& folder) {
    // Files come folder by folder: most paths share the folder of the one before.
    if (lastFolder != UINT32_MAX && folders[lastFolder] == folder) return lastFolder;
    auto found = folderIds.find(folder);
    if (found == folderIds.end()) {
        found = folderIds.emplace(folder, static_cast<uint32_t>(folders.size())).first;
        folders.push_back(folder);
    }
    lastFolder = found->second;
    return lastFolder;
}

uint32_t CPathStore::StoreName(uint32_t folder, const std::string& name) {
    size_t needed = sizeof folder + name.size() + 1;
    if (blocks.empty() || usedInLastBlock + needed > lastBlockSize) {
        // Small stores stay small: the blocks grow from 1 KiB to the largest size.
        lastBlockSize = std::min(kBlockBytes, std::max(needed, blocks.empty() ? size_t(1024) : 2 * lastBlockSize));
        blocks.emplace_back(new char[lastBlockSize]);
        usedInLastBlock = 0;
    }
    char* target = blocks.back().get() + usedInLastBlock;
    std::memcpy(target, &folder, sizeof folder);
    std::memcpy(target + sizeof folder, name.c_str(), name.size() + 1);
    uint32_t position = static_cast<uint32_t>(((blocks.size() - 1) << 16) | usedInLastBlock);
    usedInLastBlock += needed;
    return position;
}

uint32_t CPathStore::Add(const std::wstring& path) {
    if (!records.empty() && path == lastAdded) return static_cast<uint32_t>(records.size() - 1);
    size_t slash = path.find_last_of(L'\\');
    size_t split = slash == std::wstring::npos ? 0 : slash + 1;
    std::string name;
    for (size_t i = split; i < path.size(); ++i) AppendEncoded(name, static_cast<uint32_t>(path[i]));
    // A name no block can hold, or one holding a null character, stays whole in the folder table.
    if (name.size() + 5 > kBlockBytes || name.find('\0') != std::string::npos) {
        split = path.size();
        name.clear();
    }
    records.push_back(StoreName(FolderId(path.substr(0, split)), name));
    lastAdded = path;
    return static_cast<uint32_t>(records.size() - 1);
}

std::wstring CPathStore::Get(uint32_t id) const {
    const char* stored = blocks[records[id] >> 16].get() + (records[id] & 0xFFFF);
    uint32_t folder = 0;
    std::memcpy(&folder, stored, sizeof folder);
    std::wstring path = folders[folder];
    AppendDecoded(path, stored + sizeof folder);
    return path;
}

CPathList::CPathList(std::shared_ptr<CPathStore> shared) : store(std::move(shared)), ownStore(!store) {
    if (!store) store = std::make_shared<CPathStore>();
}

CPathList& CPathList::operator=(std::initializer_list<std::wstring> paths) {
    clear();
    for (auto path = std::rbegin(paths); path != std::rend(paths); ++path) push_front(*path);
    return *this;
}

size_t CPathList::push_front(const std::wstring& path) {
    Changed();
    entries.push_back(store->Add(path));
    return entries.size() - 1;
}

void CPathList::pop_front() {
    Changed();
    if (!entries.empty()) entries.pop_back();
}

bool CPathList::Contains(const std::wstring& path) const {
    if (index.size() != entries.size()) {
        index.clear();
        index.reserve(entries.size());
        for (size_t i = 0; i < entries.size(); ++i)
            index.emplace_back(Hash(store->Get(entries[i])), static_cast<uint32_t>(i));
        std::sort(index.begin(), index.end());
    }
    const uint64_t hash = Hash(path);
    for (auto it = std::lower_bound(index.begin(), index.end(), std::make_pair(hash, uint32_t(0)));
         it != index.end() && it->first == hash; ++it)
        if (Oldest(it->second) == path) return true;
    return false;
}

bool CPathList::remove(const std::wstring& path) {
    Changed();
    size_t before = entries.size();
    entries.erase(std::remove_if(entries.begin(), entries.end(), [&](uint32_t id) { return store->Get(id) == path; }),
                  entries.end());
    return entries.size() != before;
}

void CPathList::clear() {
    Changed();
    entries.clear();
    entries.shrink_to_fit();
    if (ownStore) store = std::make_shared<CPathStore>();
}
