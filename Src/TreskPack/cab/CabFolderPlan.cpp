#include "cab/CabFolderPlan.h"

#include <zlib.h>

#include "cab/CabFormat.h"

uint32_t CabFolderPlan::BlockCount() const {
    return static_cast<uint32_t>((bytes + CAB_BLOCK_BYTES - 1) / CAB_BLOCK_BYTES);
}

uint32_t CabMaxCompressedBlock(uint32_t uncompressed) {
    // compressBound covers the zlib wrapper too, so it is above the raw stream's bound.
    return 2 + static_cast<uint32_t>(compressBound(uncompressed));
}

uint64_t CabWorstCaseFolderBytes(uint64_t dataBytes, uint64_t fileRecordBytes) {
    uint64_t fullBlocks = dataBytes / CAB_BLOCK_BYTES;
    uint32_t rest = static_cast<uint32_t>(dataBytes % CAB_BLOCK_BYTES);
    uint64_t data = fullBlocks * (CAB_DATA_HEADER_BYTES + CabMaxCompressedBlock(CAB_BLOCK_BYTES));
    if (rest) data += CAB_DATA_HEADER_BYTES + CabMaxCompressedBlock(rest);
    return CAB_FOLDER_BYTES + fileRecordBytes + data;
}

namespace {

uint64_t RecordBytes(const CabSourceFile& file) {
    return CAB_FILE_BYTES + file.storedName.size() + 1;
}

std::string ByteCount(uint64_t bytes) {
    return std::to_string(bytes) + " bytes";
}

}  // namespace

bool PlanSingleCabinetFolders(const std::vector<CabSourceFile>& files, std::vector<CabFolderPlan>& plans,
                              std::string& error) {
    plans.clear();
    for (size_t i = 0; i < files.size(); ++i) {
        const CabSourceFile& file = files[i];
        if (file.size > CAB_MAX_FOLDER_BYTES) {
            error = file.sourcePath + ": " + ByteCount(file.size) + " is more than a cabinet holds in one file (" +
                    ByteCount(CAB_MAX_FOLDER_BYTES) + ")";
            return false;
        }
        if (plans.empty() || plans.back().bytes + file.size > CAB_MAX_FOLDER_BYTES) {
            CabFolderPlan plan;
            plan.firstFile = i;
            plans.push_back(plan);
        }
        plans.back().fileCount++;
        plans.back().bytes += file.size;
    }
    return true;
}

bool PlanCabinetSetFolders(const std::vector<CabSourceFile>& files, uint64_t groupLimit, uint64_t emptyCabinetRoom,
                           std::vector<CabFolderPlan>& plans, std::string& error) {
    plans.clear();
    bool groupOpen = false;
    uint64_t groupRecords = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        const CabSourceFile& file = files[i];
        uint64_t records = RecordBytes(file);
        if (file.size > CAB_MAX_SET_FILE_BYTES) {
            error = file.sourcePath + ": " + ByteCount(file.size) + " is more than a cabinet set holds in one file (" +
                    ByteCount(CAB_MAX_SET_FILE_BYTES) + ")";
            return false;
        }
        bool small = file.size + records <= groupLimit &&
                     CabWorstCaseFolderBytes(file.size, records) <= emptyCabinetRoom;
        if (!small) {
            CabFolderPlan plan;
            plan.firstFile = i;
            plan.fileCount = 1;
            plan.bytes = file.size;
            plan.streamed = true;
            plans.push_back(plan);
            groupOpen = false;
            continue;
        }
        if (groupOpen) {
            CabFolderPlan& group = plans.back();
            uint64_t bytes = group.bytes + file.size, allRecords = groupRecords + records;
            if (bytes + allRecords <= groupLimit && CabWorstCaseFolderBytes(bytes, allRecords) <= emptyCabinetRoom &&
                group.fileCount < CAB_MAX_FILES) {
                group.fileCount++;
                group.bytes = bytes;
                groupRecords = allRecords;
                continue;
            }
        }
        CabFolderPlan plan;
        plan.firstFile = i;
        plan.fileCount = 1;
        plan.bytes = file.size;
        plans.push_back(plan);
        groupOpen = true;
        groupRecords = records;
    }
    return true;
}
