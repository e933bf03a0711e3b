#include "cab/CabBlockPipeline.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>

#include "cab/CabFormat.h"
#include "io/File.h"

namespace {

// Blocks in flight per compressing thread: enough to keep every worker busy while the reader
// waits for the disk, small enough to keep memory at a few MiB.
constexpr unsigned kSlotsPerThread = 8;

// One deflate state per worker, reset for every block.
class BlockDeflater {
public:
    explicit BlockDeflater(int level) {
        ok = deflateInit2(&stream, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~BlockDeflater() {
        if (ok) deflateEnd(&stream);
    }
    bool Compress(const std::vector<uint8_t>& input, const std::vector<uint8_t>* dictionary,
                  CabCompressedBlock& output, std::string& error) {
        if (!ok || deflateReset(&stream) != Z_OK) {
            error = "cannot start the compressor";
            return false;
        }
        if (dictionary && deflateSetDictionary(&stream, dictionary->data(), static_cast<uInt>(dictionary->size())) != Z_OK) {
            error = "cannot set the compression dictionary";
            return false;
        }
        uint32_t size = static_cast<uint32_t>(input.size());
        output.data.resize(CabMaxCompressedBlock(size));
        output.data[0] = 'C';
        output.data[1] = 'K';
        stream.next_in = const_cast<Bytef*>(input.data());
        stream.avail_in = size;
        stream.next_out = output.data.data() + 2;
        stream.avail_out = static_cast<uInt>(output.data.size() - 2);
        if (deflate(&stream, Z_FINISH) != Z_STREAM_END) {
            error = "compression of a block failed";
            return false;
        }
        output.data.resize(2 + stream.total_out);
        output.uncompressedSize = size;
        output.dataChecksum = CabChecksum(output.data.data(), output.data.size(), 0);
        return true;
    }

private:
    z_stream stream{};
    bool ok = false;
};

}  // namespace

CabBlockPipeline::CabBlockPipeline(const std::vector<CabSourceFile>& fileList,
                                   const std::vector<CabFolderPlan>& folderPlans, int compressionLevel,
                                   unsigned threads)
    : files(fileList), folders(folderPlans), level(compressionLevel), threadCount(threads) {
    if (threadCount == 0) threadCount = std::max(1u, std::thread::hardware_concurrency());
    slots.resize(kSlotsPerThread * threadCount + 4);
}

CabBlockPipeline::~CabBlockPipeline() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    if (reader.joinable()) reader.join();
    for (std::thread& worker : workers) worker.join();
}

void CabBlockPipeline::Start() {
    reader = std::thread(&CabBlockPipeline::ReadFiles, this);
    for (unsigned i = 0; i < threadCount; ++i) workers.emplace_back(&CabBlockPipeline::Compress, this);
}

void CabBlockPipeline::Fail(const std::string& error) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (failure.empty()) failure = error;
        stopping = true;
    }
    changed.notify_all();
}

bool CabBlockPipeline::Submit(Buffer input, Buffer dictionary) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return stopping || produced - consumed < slots.size(); });
    if (stopping) return false;
    Slot& slot = slots[produced % slots.size()];
    slot.state = SlotState::Ready;
    slot.input = std::move(input);
    slot.dictionary = std::move(dictionary);
    ++produced;
    lock.unlock();
    changed.notify_all();
    return true;
}

void CabBlockPipeline::ReadFiles() {
    std::string error;
    for (const CabFolderPlan& folder : folders) {
        if (!ReadFolder(folder, error)) {
            if (!error.empty()) Fail(error);
            return;
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        readerDone = true;
    }
    changed.notify_all();
}

bool CabBlockPipeline::ReadFolder(const CabFolderPlan& folder, std::string& error) {
    Buffer previous;
    auto block = std::make_shared<std::vector<uint8_t>>();
    block->reserve(CAB_BLOCK_BYTES);
    for (size_t i = folder.firstFile; i < folder.firstFile + folder.fileCount; ++i) {
        const CabSourceFile& file = files[i];
        if (file.size == 0) continue;
        FILE* in = OpenFile(file.sourcePath, "rb");
        if (!in) {
            error = "cannot open " + file.sourcePath;
            return false;
        }
        uint64_t left = file.size;
        while (left > 0) {
            size_t offset = block->size();
            size_t want = static_cast<size_t>(std::min<uint64_t>(CAB_BLOCK_BYTES - offset, left));
            block->resize(offset + want);
            size_t got = std::fread(block->data() + offset, 1, want, in);
            if (got != want) {
                std::fclose(in);
                error = file.sourcePath + " became shorter while being packed (or cannot be read)";
                return false;
            }
            left -= got;
            if (block->size() == CAB_BLOCK_BYTES) {
                Buffer full = std::move(block);
                if (!Submit(full, previous)) {
                    std::fclose(in);
                    return false;
                }
                previous = std::move(full);
                block = std::make_shared<std::vector<uint8_t>>();
                block->reserve(CAB_BLOCK_BYTES);
            }
        }
        bool grew = std::fgetc(in) != EOF;
        std::fclose(in);
        if (grew) {
            error = file.sourcePath + " became longer while being packed";
            return false;
        }
    }
    // The folder's last block holds what is left; a folder that ended on a block boundary has none.
    if (!block->empty() && !Submit(std::move(block), previous)) return false;
    return true;
}

void CabBlockPipeline::Compress() {
    BlockDeflater deflater(level);
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return stopping || claimed < produced || readerDone; });
        if (stopping || claimed == produced) return;  // stopped, or the reader is done and all is claimed
        Slot& slot = slots[claimed % slots.size()];
        ++claimed;
        slot.state = SlotState::Busy;
        Buffer input = slot.input, dictionary = slot.dictionary;
        lock.unlock();
        CabCompressedBlock output;
        std::string error;
        bool ok = deflater.Compress(*input, dictionary.get(), output, error);
        lock.lock();
        if (!ok) {
            if (failure.empty()) failure = error;
            stopping = true;
            changed.notify_all();
            return;
        }
        slot.output = std::move(output);
        slot.state = SlotState::Done;
        changed.notify_all();
    }
}

bool CabBlockPipeline::Next(CabCompressedBlock& block, std::string& error) {
    std::unique_lock<std::mutex> lock(mutex);
    Slot& slot = slots[consumed % slots.size()];
    changed.wait(lock, [&] {
        return stopping || (consumed < produced && slot.state == SlotState::Done) || (readerDone && consumed == produced);
    });
    if (!failure.empty() || stopping) {
        error = failure.empty() ? "packing was stopped" : failure;
        return false;
    }
    if (consumed == produced) {
        error = "internal error: the writer asked for more blocks than the files hold";
        return false;
    }
    block = std::move(slot.output);
    slot.output = CabCompressedBlock();
    slot.input.reset();
    slot.dictionary.reset();
    slot.state = SlotState::Free;
    ++consumed;
    lock.unlock();
    changed.notify_all();
    return true;
}
