// Extraction of one cabinet or of a cabinet set. The cabinets' folders are first joined into the
// folders of the set (a folder that continues into the next cabinet is one stream), the files are
// taken from the cabinet that lists them first, and then every folder is decoded once, front to
// back, writing its files as their bytes come by.

#include <sys/types.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#ifdef _WIN32
#include <sys/utime.h>
#else
#include <utime.h>
#endif

#include "cab/CabFolderDecoder.h"
#include "cab/CabReader.h"
#include "cab/CabSource.h"
#include "io/File.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kWriteBuffer = 1 << 20;

struct SetFile {
    CabFileRecord record;
    size_t cabinet = 0;  // that lists it first
    size_t folder = 0;   // joined folder
    size_t order = 0;    // position in the listing
};

struct SetFolder {
    std::vector<CabFolderSegment> segments;
    std::vector<size_t> files;  // indexes into the set's files, by folder offset
};

bool IsContinuedToNext(uint16_t index) {
    return index == CAB_CONTINUED_TO_NEXT || index == CAB_CONTINUED_PREV_AND_NEXT;
}
bool IsContinuedFromPrev(uint16_t index) {
    return index == CAB_CONTINUED_FROM_PREV || index == CAB_CONTINUED_PREV_AND_NEXT;
}

// Joins the cabinets' folders and collects the set's files, checking that the cabinets belong
// together and that every continued file is continued where it should be.
bool JoinCabinets(const std::vector<std::string>& paths, const std::vector<CabHeader>& headers,
                  std::vector<std::unique_ptr<InputFile>>& inputs, std::vector<SetFolder>& folders,
                  std::vector<SetFile>& files, std::string& error) {
    std::vector<const CabFileRecord*> continuing;  // continued into the cabinet being joined
    if (headers[0].cabinetIndex != 0 || (headers[0].flags & CAB_FLAG_PREV_CABINET)) {
        error = paths[0] + ": cabinet " + std::to_string(headers[0].cabinetIndex) +
                " of its set, not the first; give the whole set from its first part";
        return false;
    }
    for (size_t k = 0; k < headers.size(); ++k) {
        const CabHeader& header = headers[k];
        const std::string& path = paths[k];
        if (header.setId != headers[0].setId || header.cabinetIndex != k) {
            error = path + ": cabinet " + std::to_string(header.cabinetIndex) + " of set " +
                    std::to_string(header.setId) + " where cabinet " + std::to_string(k) +
                    " of set " + std::to_string(headers[0].setId) + " belongs";
            return false;
        }
        std::vector<const CabFileRecord*> fromPrev, toNext;
        for (const CabFileRecord& file : header.files) {
            if (IsContinuedFromPrev(file.folderIndex)) fromPrev.push_back(&file);
            if (IsContinuedToNext(file.folderIndex)) toNext.push_back(&file);
        }
        bool continues = !continuing.empty();
        if (fromPrev.size() != continuing.size()) {
            error = path + ": does not continue the files the cabinet before it continues";
            return false;
        }
        for (size_t i = 0; i < fromPrev.size(); ++i) {
            if (fromPrev[i]->folderOffset != continuing[i]->folderOffset || fromPrev[i]->size != continuing[i]->size ||
                fromPrev[i]->name != continuing[i]->name) {
                error = path + ": continued file " + fromPrev[i]->name + " does not match its start in the cabinet before";
                return false;
            }
        }
        if (continues && header.folders.empty()) {
            error = path + ": holds no folder to continue";
            return false;
        }
        if (!toNext.empty() && header.folders.empty()) {
            error = path + ": continues files but holds no folder";
            return false;
        }

        std::vector<size_t> joined(header.folders.size());
        for (size_t j = 0; j < header.folders.size(); ++j) {
            const CabFolderRecord& record = header.folders[j];
            if (record.compression != CAB_COMPRESSION_MSZIP) {
                error = path + ": folder " + std::to_string(j) + " uses compression type " +
                        std::to_string(record.compression) + "; this packager writes MSZIP only";
                return false;
            }
            CabFolderSegment segment;
            segment.cabinet = inputs[k].get();
            segment.cabinetPath = path;
            segment.cabinetSize = header.cabinetSize;
            segment.dataOffset = record.dataOffset;
            segment.blockCount = record.blockCount;
            segment.dataReserve = header.dataReserve;
            if (j == 0 && continues) {
                folders.back().segments.push_back(segment);
                joined[j] = folders.size() - 1;
            } else {
                folders.push_back(SetFolder{{segment}, {}});
                joined[j] = folders.size() - 1;
            }
        }
        for (const CabFileRecord& file : header.files) {
            if (IsContinuedFromPrev(file.folderIndex)) continue;  // listed by an earlier cabinet
            SetFile entry;
            entry.record = file;
            entry.cabinet = k;
            entry.folder = joined[file.folderIndex == CAB_CONTINUED_TO_NEXT ? header.folders.size() - 1 : file.folderIndex];
            entry.order = files.size();
            files.push_back(std::move(entry));
        }
        continuing = toNext;
        if (!continuing.empty() && k + 1 == headers.size()) {
            error = path + ": continues files into a next cabinet that was not given";
            return false;
        }
    }
    return true;
}

// Where a stored name goes under the target folder, or false when it must not be extracted.
bool TargetPath(const fs::path& target, const std::string& name, fs::path& path, std::string& error) {
    std::vector<std::string> components;
    if (!SplitStoredName(name, components, error)) return false;
    path = target;
    for (const std::string& component : components) path /= fs::u8path(component);
    return true;
}

void ApplyTimeAndAttributes(const fs::path& path, const CabFileRecord& record) {
    std::time_t when = LocalTimeFromDos(record.date, record.time);
    if (when != -1) {
#ifdef _WIN32
        struct _utimbuf times = {when, when};
        _wutime(path.wstring().c_str(), &times);
#else
        struct utimbuf times = {when, when};
        utime(path.c_str(), &times);
#endif
    }
    if (record.attributes & CAB_ATTRIBUTE_READ_ONLY) {
        std::error_code ignored;
        fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove, ignored);
    }
}

class FileWriter {
public:
    ~FileWriter() {
        if (file) std::fclose(file);
    }
    bool Open(const fs::path& path, std::string& error) {
        std::error_code code;
        fs::create_directories(path.parent_path(), code);
        if (fs::exists(fs::symlink_status(path, code))) fs::remove(path, code);  // also a read-only one
        file = OpenFile(path.u8string(), "wb");
        if (!file) {
            error = "cannot create " + path.u8string();
            return false;
        }
        std::setvbuf(file, nullptr, _IOFBF, kWriteBuffer);
        return true;
    }
    bool Write(const uint8_t* data, size_t size) { return std::fwrite(data, 1, size, file) == size; }
    bool Close() {
        bool ok = std::fclose(file) == 0;
        file = nullptr;
        return ok;
    }

private:
    FILE* file = nullptr;
};

}  // namespace

bool ExtractCabinets(const std::vector<std::string>& cabinets, const std::string& targetFolder,
                     const CabExtractOptions& options, CabExtractResult& result, std::string& error) {
    result = CabExtractResult();
    if (cabinets.empty()) {
        error = "no cabinet to extract";
        return false;
    }
    std::vector<CabHeader> headers(cabinets.size());
    std::vector<std::unique_ptr<InputFile>> inputs;
    for (size_t k = 0; k < cabinets.size(); ++k) {
        if (!ReadCabinetHeader(cabinets[k], headers[k], error)) return false;
        inputs.push_back(std::make_unique<InputFile>());
        if (!inputs.back()->Open(cabinets[k], error)) return false;
    }
    std::vector<SetFolder> folders;
    std::vector<SetFile> files;
    if (!JoinCabinets(cabinets, headers, inputs, folders, files, error)) return false;

    // Every name is checked before anything is written.
    fs::path target = fs::u8path(targetFolder);
    std::vector<fs::path> paths(files.size());
    std::vector<std::string> names(files.size());
    uint64_t total = 0;
    for (SetFile& file : files) {
        if (!DecodeStoredName(file.record, names[file.order], error) ||
            !TargetPath(target, names[file.order], paths[file.order], error)) {
            error = cabinets[file.cabinet] + ": " + error;
            return false;
        }
        folders[file.folder].files.push_back(file.order);
        total += file.record.size;
    }

    std::error_code code;
    fs::create_directories(target, code);
    if (!fs::is_directory(target, code)) {
        error = "cannot create the folder " + targetFolder;
        return false;
    }
    std::vector<uint8_t> buffer(256 * 1024);
    uint64_t done = 0;
    for (size_t f = 0; f < folders.size(); ++f) {
        SetFolder& folder = folders[f];
        std::stable_sort(folder.files.begin(), folder.files.end(), [&](size_t a, size_t b) {
            return files[a].record.folderOffset < files[b].record.folderOffset;
        });
        CabFolderDecoder decoder(folder.segments, "folder " + std::to_string(f));
        for (size_t index : folder.files) {
            const CabFileRecord& record = files[index].record;
            if (record.size > 0 && record.folderOffset < decoder.Position()) {
                error = cabinets[files[index].cabinet] + ": " + names[index] + " overlaps the file before it";
                return false;
            }
            if (record.size > 0 && !decoder.Read(nullptr, record.folderOffset - decoder.Position(), error)) return false;
            FileWriter out;
            if (!out.Open(paths[index], error)) return false;
            for (uint64_t left = record.size; left > 0;) {
                size_t chunk = static_cast<size_t>(std::min<uint64_t>(left, buffer.size()));
                if (!decoder.Read(buffer.data(), chunk, error)) {
                    error += " (while extracting " + names[index] + ")";
                    return false;
                }
                if (!out.Write(buffer.data(), chunk)) {
                    error = "cannot write " + paths[index].u8string() + " (disk full?)";
                    return false;
                }
                left -= chunk;
                done += chunk;
                if (options.progress) options.progress(done, total);
            }
            if (!out.Close()) {
                error = "cannot write " + paths[index].u8string() + " (disk full?)";
                return false;
            }
            if (options.applyTimesAndAttributes) ApplyTimeAndAttributes(paths[index], record);
        }
    }

    result.setId = headers[0].setId;
    result.bytes = total;
    for (const SetFile& file : files) {
        CabExtractedFile entry;
        entry.name = names[file.order];
        entry.path = paths[file.order].u8string();
        entry.size = file.record.size;
        entry.date = file.record.date;
        entry.time = file.record.time;
        entry.attributes = file.record.attributes;
        result.files.push_back(std::move(entry));
    }
    return true;
}
