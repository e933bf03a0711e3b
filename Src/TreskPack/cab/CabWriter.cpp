// The single cabinet. All files are listed in it, so the header's size is known before any data
// is compressed: the header is written first with the folder offsets still open, the data blocks
// are streamed behind it, and the header is written again with the final offsets and sizes.

#include "cab/CabWriter.h"

#include <cstdio>

#include "cab/CabFolderPlan.h"
#include "cab/CabWriterCommon.h"
#include "io/File.h"

namespace {

constexpr size_t kOutputBuffer = 1 << 20;

}  // namespace

std::string CabPartPath(const std::string& basePath, unsigned number) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%03u", number);
    return basePath + suffix;
}

bool WriteCabinet(const std::vector<CabSourceFile>& files, const std::string& path, const CabWriteOptions& options,
                  CabWriteResult& result, std::string& error) {
    result = CabWriteResult();
    if (!CheckCabSources(files, options, error)) return false;
    if (files.size() > CAB_MAX_FILES) {
        error = std::to_string(files.size()) + " files do not fit one cabinet (" + std::to_string(CAB_MAX_FILES) +
                " at most): pack them as a multi-part package";
        return false;
    }
    std::vector<CabFolderPlan> plans;
    if (!PlanSingleCabinetFolders(files, plans, error)) return false;

    CabHeader header;
    header.setId = options.setId;
    header.folders.resize(plans.size());
    for (size_t f = 0; f < plans.size(); ++f) {
        uint32_t offset = 0;
        for (size_t i = plans[f].firstFile; i < plans[f].firstFile + plans[f].fileCount; ++i) {
            header.files.push_back(MakeCabFileRecord(files[i], static_cast<uint16_t>(f), offset));
            offset += static_cast<uint32_t>(files[i].size);
        }
    }
    header.filesOffset = static_cast<uint32_t>(CAB_HEADER_BYTES + plans.size() * CAB_FOLDER_BYTES);
    uint64_t position = CabHeaderSize(header);

    AtomicOutput output(path);
    if (!output.Open(error)) return false;
    FILE* out = output.Stream();
    std::setvbuf(out, nullptr, _IOFBF, kOutputBuffer);
    std::string bytes = SerializeCabHeader(header);
    if (std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
        error = "cannot write " + path + " (disk full?)";
        return false;
    }

    CabBlockPipeline pipeline(files, plans, options.level, options.threads);
    pipeline.Start();
    CabProgressCounter progress(options.progress, CabTotalBytes(files));
    for (size_t f = 0; f < plans.size(); ++f) {
        header.folders[f].dataOffset = static_cast<uint32_t>(position);
        header.folders[f].blockCount = static_cast<uint16_t>(plans[f].BlockCount());
        for (uint32_t b = 0; b < plans[f].BlockCount(); ++b) {
            CabCompressedBlock block;
            if (!pipeline.Next(block, error)) return false;
            position += CAB_DATA_HEADER_BYTES + block.data.size();
            if (position > CAB_MAX_CABINET_BYTES) {
                error = "the payload does not fit one cabinet (" + std::to_string(CAB_MAX_CABINET_BYTES) +
                        " bytes at most): pack it as a multi-part package";
                return false;
            }
            if (!WriteCabDataBlock(out, block.data.data(), block.data.size(), block.dataChecksum,
                                   block.uncompressedSize)) {
                error = "cannot write " + path + " (disk full?)";
                return false;
            }
            progress.Add(block.uncompressedSize);
        }
    }
    header.cabinetSize = static_cast<uint32_t>(position);
    bytes = SerializeCabHeader(header);
    if (std::fseek(out, 0, SEEK_SET) != 0 || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
        error = "cannot write " + path;
        return false;
    }
    if (!output.Close(error) || !output.Commit(error)) return false;
    result.cabinets.push_back({path, position});
    result.setId = options.setId;
    result.uncompressedBytes = CabTotalBytes(files);
    result.fileCount = files.size();
    if (options.progress) options.progress(result.uncompressedBytes, result.uncompressedBytes);
    return true;
}
