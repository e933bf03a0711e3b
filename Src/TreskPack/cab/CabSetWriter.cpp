// The cabinet set. Which files a part lists, and so the size of its header, is known only when
// the part is full, but the header comes first in the file: each part's data blocks are spooled
// to a temporary file beside the output and copied behind the header when the part is closed.
//
// What the readers require of a set, and how this writer meets it:
// - every block of a folder but its last holds exactly 32 KiB: blocks are cut from the folder's
//   data without regard to file boundaries (CabBlockPipeline);
// - a boundary inside a folder always splits a block, whose first fragment in the left cabinet
//   has uncompressed size 0 and whose second fragment opens the next cabinet: a whole block is
//   written only when at least a minimal fragment still fits behind it, so a folder that does
//   not end in a cabinet always ends with such a fragment;
// - a folder that crosses a boundary ends with the file that crossed, and the next file starts a
//   new folder: only folders of one file ever cross (CabFolderPlan); gathered small files go
//   whole into one cabinet or whole into the next;
// - the crossing file is listed in both cabinets: "continued to next" (or "from previous and to
//   next") at the end of the left list, "continued from previous" at the start of the right, with
//   the same offset and size;
// - disk names are never empty.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cab/CabFolderPlan.h"
#include "cab/CabWriter.h"
#include "cab/CabWriterCommon.h"
#include "io/File.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kCopyBuffer = 1 << 20;
// Small files are gathered into folders of at most this many bytes (data and file records).
// Such a folder goes whole into one part, so a part may end up to this much short of full; the
// only cost of a new folder is that its first block starts without a dictionary.
constexpr uint64_t kGroupLimit = 1 << 20;
// The smallest fragment of a split block: its header and one byte.
constexpr uint64_t kMinFragment = CAB_DATA_HEADER_BYTES + 1;

// A temporary file that is removed when the writer is done.
class Spool {
public:
    explicit Spool(std::string path) : path(std::move(path)) {}
    ~Spool() {
        if (file) std::fclose(file);
        std::error_code ignored;
        fs::remove(fs::u8path(path), ignored);
    }
    bool Open(std::string& error) {
        file = OpenFile(path, "w+b");
        if (!file) error = "cannot create the temporary file " + path;
        return file != nullptr;
    }
    FILE* Stream() { return file; }

private:
    std::string path;
    FILE* file = nullptr;
};

class CabinetSetWriter {
public:
    CabinetSetWriter(const std::vector<CabSourceFile>& files, const std::vector<CabFolderPlan>& plans,
                     const CabWriteOptions& options, const std::string& basePath)
        : files(files), plans(plans), options(options), basePath(basePath),
          baseName(fs::u8path(basePath).filename().u8string()), spool(basePath + ".spool"),
          progress(options.progress, CabTotalBytes(files)) {}

    ~CabinetSetWriter() {
        if (succeeded) return;
        for (const CabWrittenFile& part : written) {
            std::error_code ignored;
            fs::remove(fs::u8path(part.path), ignored);
        }
    }

    bool Run(CabWriteResult& result, std::string& error) {
        if (!spool.Open(error)) return false;
        CabBlockPipeline pipeline(files, plans, options.level, options.threads);
        pipeline.Start();
        if (!OpenCabinet(error)) return false;
        for (size_t f = 0; f < plans.size(); ++f) {
            bool ok = plans[f].streamed ? PlaceStreamed(pipeline, plans[f], error) : PlaceGroup(pipeline, plans[f], error);
            if (!ok) return false;
        }
        if (!CloseCabinet(false, error)) return false;
        result.cabinets = written;
        result.setId = options.setId;
        result.uncompressedBytes = CabTotalBytes(files);
        result.fileCount = files.size();
        if (options.progress) options.progress(result.uncompressedBytes, result.uncompressedBytes);
        succeeded = true;
        return true;
    }

private:
    // The names stored for the neighbouring parts: the part file's name, and a disk name that
    // readers need to be non-empty.
    std::string CabinetName(unsigned part) const { return CabPartPath(baseName, part); }
    static std::string DiskName(unsigned part) { return "Part " + std::to_string(part); }

    uint64_t Room() const { return options.partSize - headerBytes - dataBytes; }

    bool OpenCabinet(std::string& error) {
        ++number;
        if (number > CAB_MAX_PARTS) {
            error = "the payload needs more than " + std::to_string(CAB_MAX_PARTS) +
                    " parts of " + std::to_string(options.partSize) + " bytes: choose a larger part size";
            return false;
        }
        header = CabHeader();
        header.setId = options.setId;
        header.cabinetIndex = static_cast<uint16_t>(number - 1);
        // The next cabinet's names are counted from the start: whether a part is the last is
        // known only at the end, and the last part is then a little smaller.
        header.flags = CAB_FLAG_NEXT_CABINET | (number > 1 ? CAB_FLAG_PREV_CABINET : 0);
        if (number > 1) {
            header.prevCabinet = CabinetName(number - 1);
            header.prevDisk = DiskName(number - 1);
        }
        header.nextCabinet = CabinetName(number + 1);
        header.nextDisk = DiskName(number + 1);
        headerBytes = CabHeaderSize(header);
        dataBytes = 0;
        if (std::fseek(spool.Stream(), 0, SEEK_SET) != 0) {
            error = "cannot rewind the temporary file";
            return false;
        }
        return true;
    }

    bool CloseCabinet(bool hasNext, std::string& error) {
        if (!hasNext) {
            header.flags &= static_cast<uint16_t>(~CAB_FLAG_NEXT_CABINET);
            header.nextCabinet.clear();
            header.nextDisk.clear();
        }
        uint64_t size = CabHeaderSize(header);
        for (CabFolderRecord& folder : header.folders) folder.dataOffset += static_cast<uint32_t>(size);
        header.filesOffset =
            static_cast<uint32_t>(CAB_HEADER_BYTES + CabNamesSize(header) + header.folders.size() * CAB_FOLDER_BYTES);
        header.cabinetSize = static_cast<uint32_t>(size + dataBytes);
        if (header.cabinetSize > options.partSize) {
            error = "internal error: part " + std::to_string(number) + " came out larger than the part size";
            return false;
        }
        std::string path = CabPartPath(basePath, number);
        AtomicOutput output(path);
        if (!output.Open(error)) return false;
        std::string bytes = SerializeCabHeader(header);
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), output.Stream()) == bytes.size();
        ok = ok && std::fflush(spool.Stream()) == 0 && std::fseek(spool.Stream(), 0, SEEK_SET) == 0;
        std::vector<char> buffer(kCopyBuffer);
        for (uint64_t left = dataBytes; ok && left > 0;) {
            size_t chunk = static_cast<size_t>(std::min<uint64_t>(left, buffer.size()));
            ok = std::fread(buffer.data(), 1, chunk, spool.Stream()) == chunk &&
                 std::fwrite(buffer.data(), 1, chunk, output.Stream()) == chunk;
            left -= chunk;
        }
        if (!ok) {
            error = "cannot write " + path + " (disk full?)";
            return false;
        }
        if (!output.Close(error) || !output.Commit(error)) return false;
        written.push_back({path, header.cabinetSize});
        return true;
    }

    bool Spill(const uint8_t* data, size_t size, uint32_t dataChecksum, uint32_t uncompressedSize,
               std::string& error) {
        if (!WriteCabDataBlock(spool.Stream(), data, size, dataChecksum, uncompressedSize)) {
            error = "cannot write the temporary file beside " + basePath + " (disk full?)";
            return false;
        }
        dataBytes += CAB_DATA_HEADER_BYTES + size;
        return true;
    }

    bool HasRoomForRecords(size_t newFiles) const {
        return header.files.size() + newFiles <= CAB_MAX_FILES && header.folders.size() + 1 <= CAB_MAX_FOLDERS;
    }

    uint16_t AddFolder() {
        CabFolderRecord folder;
        folder.dataOffset = static_cast<uint32_t>(dataBytes);  // made absolute when the part is closed
        header.folders.push_back(folder);
        headerBytes += CAB_FOLDER_BYTES;
        return static_cast<uint16_t>(header.folders.size() - 1);
    }

    void AddFile(CabFileRecord record) {
        headerBytes += CabFileRecordSize(record);
        header.files.push_back(std::move(record));
    }

    // Gathered small files: compressed in full first, then placed whole into this part or the next.
    bool PlaceGroup(CabBlockPipeline& pipeline, const CabFolderPlan& plan, std::string& error) {
        std::vector<CabCompressedBlock> blocks(plan.BlockCount());
        uint64_t needed = CAB_FOLDER_BYTES;
        for (CabCompressedBlock& block : blocks) {
            if (!pipeline.Next(block, error)) return false;
            needed += CAB_DATA_HEADER_BYTES + block.data.size();
        }
        for (size_t i = plan.firstFile; i < plan.firstFile + plan.fileCount; ++i)
            needed += CAB_FILE_BYTES + files[i].storedName.size() + 1;
        if (needed > Room() || !HasRoomForRecords(plan.fileCount)) {
            if (header.folders.empty() || !CloseCabinet(true, error) || !OpenCabinet(error)) {
                if (error.empty()) error = "internal error: a folder of small files does not fit an empty part";
                return false;
            }
        }
        uint16_t folder = AddFolder();
        uint32_t offset = 0;
        for (size_t i = plan.firstFile; i < plan.firstFile + plan.fileCount; ++i) {
            AddFile(MakeCabFileRecord(files[i], folder, offset));
            offset += static_cast<uint32_t>(files[i].size);
        }
        for (const CabCompressedBlock& block : blocks) {
            if (!Spill(block.data.data(), block.data.size(), block.dataChecksum, block.uncompressedSize, error))
                return false;
            header.folders.back().blockCount++;
            progress.Add(block.uncompressedSize);
        }
        return true;
    }

    // A large file in a folder of its own, streamed block by block, split across as many parts as
    // it needs.
    bool PlaceStreamed(CabBlockPipeline& pipeline, const CabFolderPlan& plan, std::string& error) {
        const CabSourceFile& file = files[plan.firstFile];
        CabFileRecord record = MakeCabFileRecord(file, 0, 0);
        uint64_t start = CAB_FOLDER_BYTES + CabFileRecordSize(record) + kMinFragment;
        if (start > Room() || !HasRoomForRecords(1)) {
            if (header.folders.empty() || !CloseCabinet(true, error) || !OpenCabinet(error)) {
                if (error.empty()) error = "internal error: a large file cannot start in an empty part";
                return false;
            }
        }
        record.folderIndex = AddFolder();
        AddFile(record);
        uint32_t blocks = plan.BlockCount();
        for (uint32_t b = 0; b < blocks; ++b) {
            CabCompressedBlock block;
            if (!pipeline.Next(block, error)) return false;
            uint64_t whole = CAB_DATA_HEADER_BYTES + block.data.size();
            bool last = b + 1 == blocks;
            if (whole + kMinFragment <= Room() || (last && whole <= Room())) {
                if (!Spill(block.data.data(), block.data.size(), block.dataChecksum, block.uncompressedSize, error))
                    return false;
                header.folders.back().blockCount++;
            } else if (!SplitBlock(block, last, error)) {
                return false;
            }
            progress.Add(block.uncompressedSize);
        }
        return true;
    }

    // Ends the part inside the block: as much of it as fits, with uncompressed size 0, then the
    // rest at the start of the next part, which continues the folder and lists the file again.
    bool SplitBlock(const CabCompressedBlock& block, bool last, std::string& error) {
        if (Room() < kMinFragment) {
            error = "internal error: no room left for the first fragment of a split block";
            return false;
        }
        size_t left = static_cast<size_t>(std::min<uint64_t>(block.data.size() - 1, Room() - CAB_DATA_HEADER_BYTES));
        const uint8_t* data = block.data.data();
        if (!Spill(data, left, CabChecksum(data, left, 0), 0, error)) return false;
        header.folders.back().blockCount++;
        CabFileRecord continued = header.files.back();
        header.files.back().folderIndex =
            continued.folderIndex == CAB_CONTINUED_FROM_PREV ? CAB_CONTINUED_PREV_AND_NEXT : CAB_CONTINUED_TO_NEXT;
        if (!CloseCabinet(true, error) || !OpenCabinet(error)) return false;

        AddFolder();
        continued.folderIndex = CAB_CONTINUED_FROM_PREV;
        AddFile(continued);
        size_t rest = block.data.size() - left;
        uint64_t needed = CAB_DATA_HEADER_BYTES + rest + (last ? 0 : kMinFragment);
        if (needed > Room()) {
            error = "internal error: the rest of a split block does not fit the next part";
            return false;
        }
        if (!Spill(data + left, rest, CabChecksum(data + left, rest, 0), block.uncompressedSize, error)) return false;
        header.folders.back().blockCount++;
        return true;
    }

    const std::vector<CabSourceFile>& files;
    const std::vector<CabFolderPlan>& plans;
    const CabWriteOptions& options;
    std::string basePath;
    std::string baseName;
    Spool spool;
    CabProgressCounter progress;

    unsigned number = 0;  // of the part being filled, from 1
    CabHeader header;
    uint64_t headerBytes = 0;  // its header as laid out so far, next names included
    uint64_t dataBytes = 0;    // its data blocks in the spool
    std::vector<CabWrittenFile> written;
    bool succeeded = false;
};

}  // namespace

bool WriteCabinetSet(const std::vector<CabSourceFile>& files, const std::string& basePath,
                     const CabWriteOptions& options, CabWriteResult& result, std::string& error) {
    result = CabWriteResult();
    if (!CheckCabSources(files, options, error)) return false;
    if (options.partSize < CAB_MIN_PART_SIZE || options.partSize > CAB_MAX_PART_SIZE) {
        error = "part size " + std::to_string(options.partSize) + " is not between " +
                std::to_string(CAB_MIN_PART_SIZE) + " and " + std::to_string(CAB_MAX_PART_SIZE) + " bytes";
        return false;
    }
    // The last part reserves room for the name of one more while it is being filled.
    std::string lastName = CabPartPath(fs::u8path(basePath).filename().u8string(), CAB_MAX_PARTS + 1);
    if (fs::u8path(basePath).filename().empty() || lastName.size() > CAB_MAX_NAME_BYTES) {
        error = "part file name " + lastName + " is empty or longer than " + std::to_string(CAB_MAX_NAME_BYTES) +
                " bytes";
        return false;
    }
    // Room of a part that holds nothing yet: its header with both neighbours' names.
    uint64_t names = 2 * (lastName.size() + 1) + 2 * (std::string("Part 1000").size() + 1);
    uint64_t emptyRoom = options.partSize - CAB_HEADER_BYTES - names;
    std::vector<CabFolderPlan> plans;
    if (!PlanCabinetSetFolders(files, std::min<uint64_t>(kGroupLimit, options.partSize / 4), emptyRoom, plans, error))
        return false;
    CabinetSetWriter writer(files, plans, options, basePath);
    return writer.Run(result, error);
}
