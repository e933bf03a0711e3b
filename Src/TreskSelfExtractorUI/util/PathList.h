#pragma once
// Lists of paths that cost little per path: the lists of every file and folder an extraction
// writes hold one entry per file of the package, which may be hundreds of thousands.
//
// A store keeps each path once, as its folder (kept once for all the files in it) and its last
// component packed into large blocks as UTF-8, and hands out a number for it. A list holds only
// those numbers. Numbers and names live in blocks that are never moved or copied as they grow, so
// a long list leaves no freed copies of itself behind. Lists may share one store: a path added to several of them one after the other
// (a file that is both written and a file of the package) is kept once.
//
// A list reads like a list of strings that grows at its head: iteration runs newest first,
// reverse iteration oldest first, and entries come back as strings. Plain C++ on plain values;
// one thread at a time uses a store and its lists.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CPathStore {
public:
    // The number of the path: a new one, or that of the path added last when it is the same.
    uint32_t Add(const std::wstring& path);
    std::wstring Get(uint32_t id) const;
    size_t Size() const { return records.size(); }

private:
    uint32_t FolderId(const std::wstring& folder);
    // Stores the folder's number and the name (UTF-8, null-terminated) in the blocks.
    uint32_t StoreName(uint32_t folder, const std::string& name);

    // Each path's position in the blocks: its folder's number (four bytes), then its last
    // component.
    std::deque<uint32_t> records;
    std::wstring lastAdded;
    std::vector<std::wstring> folders;
    std::unordered_map<std::wstring, uint32_t> folderIds;
    uint32_t lastFolder = UINT32_MAX;  // the folder of the previous path, looked up first
    std::vector<std::unique_ptr<char[]>> blocks;
    size_t usedInLastBlock = 0;
    size_t lastBlockSize = 0;
};

class CPathList {
public:
    // A list with a store of its own, or one that shares the given store.
    explicit CPathList(std::shared_ptr<CPathStore> store = nullptr);
    // Entries in list order: the first one is the head (the newest).
    CPathList(std::initializer_list<std::wstring> paths) : CPathList() { *this = paths; }
    CPathList& operator=(std::initializer_list<std::wstring> paths);
    CPathList(const CPathList&) = delete;
    CPathList& operator=(const CPathList&) = delete;

    // Adds a path at the head; returns its position counted from the oldest entry (stable until
    // an entry is removed).
    size_t push_front(const std::wstring& path);
    // Removes the entry at the head.
    void pop_front();
    // The entry at a position counted from the oldest.
    std::wstring Oldest(size_t position) const { return store->Get(entries[position]); }
    // Removes every entry equal to path; returns whether there was one.
    bool remove(const std::wstring& path);
    // Empties the list; a store of its own is emptied too, a shared one keeps its paths.
    void clear();
    size_t size() const { return entries.size(); }
    bool empty() const { return entries.empty(); }
    const std::shared_ptr<CPathStore>& Store() const { return store; }
    // Whether the list holds the path (exactly as written), in logarithmic time: the clean-up asks
    // this for every file and folder it finds. The index it needs is made on the first question
    // after the list changed.
    bool Contains(const std::wstring& path) const;

    // Iteration over the entries as strings (values, not references).
    class const_iterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = std::wstring;
        using difference_type = std::ptrdiff_t;
        using reference = std::wstring;
        struct pointer {
            std::wstring value;
            const std::wstring* operator->() const { return &value; }
        };
        const_iterator() = default;
        const_iterator(const CPathList* list, size_t fromHead) : list(list), fromHead(fromHead) {}
        std::wstring operator*() const { return list->Oldest(list->size() - 1 - fromHead); }
        pointer operator->() const { return pointer{**this}; }
        const_iterator& operator++() { ++fromHead; return *this; }
        const_iterator operator++(int) { const_iterator old = *this; ++fromHead; return old; }
        const_iterator& operator--() { --fromHead; return *this; }
        const_iterator operator--(int) { const_iterator old = *this; --fromHead; return old; }
        bool operator==(const const_iterator& other) const { return fromHead == other.fromHead; }
        bool operator!=(const const_iterator& other) const { return fromHead != other.fromHead; }

    private:
        const CPathList* list = nullptr;
        size_t fromHead = 0;
    };
    using const_reverse_iterator = std::reverse_iterator<const_iterator>;
    using iterator = const_iterator;
    using value_type = std::wstring;

    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, entries.size()); }
    const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
    const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }

private:
    void Changed() { index.clear(); }

    std::shared_ptr<CPathStore> store;
    bool ownStore;
    std::deque<uint32_t> entries;  // numbers in the store, oldest first
    // The entries' hashes with their positions, sorted; empty until asked for.
    mutable std::vector<std::pair<uint64_t, uint32_t>> index;
};
