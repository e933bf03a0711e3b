#pragma once
// Reads the files of the planned folders and compresses their 32 KiB blocks on worker threads,
// handing the compressed blocks back in order.
//
// A block of an MSZIP folder is one complete raw deflate stream, with the previous block's
// uncompressed 32 KiB as its dictionary. The dictionary is input, not output, so every block can
// be compressed as soon as it and its predecessor have been read: the blocks of one folder are
// compressed in parallel, and the result does not depend on the number of threads.
//
// Memory is bounded: one reader thread fills a ring of a few dozen blocks, the workers compress
// them, and the consumer frees a slot with every block it takes.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cab/CabFolderPlan.h"
#include "cab/CabSource.h"

struct CabCompressedBlock {
    uint32_t uncompressedSize = 0;
    uint32_t dataChecksum = 0;  // checksum of data, seed 0 (the size fields are added per fragment)
    std::vector<uint8_t> data;  // "CK" and one raw deflate stream
};

class CabBlockPipeline {
public:
    // level: zlib compression level 0..9; threads: compressing threads (0: one per core).
    CabBlockPipeline(const std::vector<CabSourceFile>& files, const std::vector<CabFolderPlan>& folders, int level,
                     unsigned threads);
    ~CabBlockPipeline();  // stops and joins every thread
    CabBlockPipeline(const CabBlockPipeline&) = delete;
    CabBlockPipeline& operator=(const CabBlockPipeline&) = delete;

    void Start();
    // The next block, folder after folder, block after block. False when a file cannot be read or
    // changed while being packed, or compression fails; error says why.
    bool Next(CabCompressedBlock& block, std::string& error);

private:
    using Buffer = std::shared_ptr<const std::vector<uint8_t>>;
    enum class SlotState { Free, Ready, Busy, Done };
    struct Slot {
        SlotState state = SlotState::Free;
        Buffer input;
        Buffer dictionary;  // previous block of the same folder, or none
        CabCompressedBlock output;
    };

    void ReadFiles();
    bool ReadFolder(const CabFolderPlan& folder, std::string& error);
    bool Submit(Buffer input, Buffer dictionary);
    void Compress();
    void Fail(const std::string& error);

    const std::vector<CabSourceFile>& files;
    const std::vector<CabFolderPlan>& folders;
    int level;
    unsigned threadCount;

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Slot> slots;
    uint64_t produced = 0;  // blocks handed to the ring
    uint64_t claimed = 0;   // blocks taken by a worker
    uint64_t consumed = 0;  // blocks taken by Next
    bool readerDone = false;
    bool stopping = false;
    std::string failure;

    std::thread reader;
    std::vector<std::thread> workers;
};
