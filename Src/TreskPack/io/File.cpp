#include "io/File.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {
constexpr size_t kCopyBuffer = 4 << 20;

int Seek64(FILE* file, uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(file, static_cast<long long>(offset), SEEK_SET);
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET);
#endif
}

int ProcessId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}
}  // namespace

FILE* OpenFile(const std::string& utf8Path, const char* mode) {
#ifdef _WIN32
    std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(fs::u8path(utf8Path).wstring().c_str(), wideMode.c_str());
#else
    return std::fopen(utf8Path.c_str(), mode);
#endif
}

InputFile::~InputFile() {
    if (file) std::fclose(file);
}

bool InputFile::Open(const std::string& filePath, std::string& error) {
    path = filePath;
    std::error_code code;
    fs::path native = fs::u8path(filePath);
    if (!fs::is_regular_file(native, code)) {
        error = "cannot open " + filePath + ": not a readable file";
        return false;
    }
    size = fs::file_size(native, code);
    file = OpenFile(filePath, "rb");
    if (!file || code) {
        error = "cannot open " + filePath;
        return false;
    }
    return true;
}

bool InputFile::Seek(uint64_t offset, std::string& error) {
    if (offset > size || Seek64(file, offset) != 0) {
        error = "cannot seek to " + std::to_string(offset) + " in " + path;
        return false;
    }
    return true;
}

bool InputFile::ReadAt(uint64_t offset, void* data, size_t count, std::string& error) {
    if (!Seek(offset, error)) return false;
    if (Read(data, count) != count) {
        error = "cannot read " + std::to_string(count) + " bytes at " + std::to_string(offset) + " in " + path;
        return false;
    }
    return true;
}

size_t InputFile::Read(void* data, size_t count) {
    return std::fread(data, 1, count, file);
}

bool WriteAll(FILE* out, const void* data, size_t count) {
    return count == 0 || std::fwrite(data, 1, count, out) == count;
}

bool CopyStream(InputFile& in, FILE* out, uint64_t count, std::string& error) {
    std::vector<char> buffer(static_cast<size_t>(std::min<uint64_t>(kCopyBuffer, count ? count : 1)));
    while (count > 0) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size(), count));
        size_t got = in.Read(buffer.data(), want);
        if (got != want) {
            error = "cannot read " + in.Path();
            return false;
        }
        if (!WriteAll(out, buffer.data(), got)) {
            error = "cannot write the output (disk full?)";
            return false;
        }
        count -= got;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
    InputFile file;
    if (!file.Open(path, error)) return false;
    bytes.assign(static_cast<size_t>(file.Size()), '\0');
    return bytes.empty() || file.ReadAt(0, &bytes[0], bytes.size(), error);
}

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error) {
    AtomicOutput output(path);
    if (!output.Open(error)) return false;
    if (!WriteAll(output.Stream(), bytes.data(), bytes.size())) {
        error = "cannot write " + path;
        return false;
    }
    return output.Close(error) && output.Commit(error);
}

AtomicOutput::AtomicOutput(std::string path) : finalPath(std::move(path)) {
    temporaryPath = finalPath + ".tmp" + std::to_string(ProcessId());
}

AtomicOutput::~AtomicOutput() {
    if (file) std::fclose(file);
    if (!committed) {
        std::error_code ignored;
        fs::remove(fs::u8path(temporaryPath), ignored);
    }
}

bool AtomicOutput::Open(std::string& error) {
    file = OpenFile(temporaryPath, "wb");
    if (!file) {
        error = "cannot create " + temporaryPath;
        return false;
    }
    return true;
}

bool AtomicOutput::Close(std::string& error) {
    if (!file) return true;
    bool ok = std::fflush(file) == 0 && !std::ferror(file);
    ok = (std::fclose(file) == 0) && ok;
    file = nullptr;
    if (!ok) error = "cannot write " + finalPath + " (disk full?)";
    return ok;
}

bool AtomicOutput::Commit(std::string& error) {
    if (file && !Close(error)) return false;
    std::error_code code;
#ifdef _WIN32
    // Renaming onto an existing file fails on Windows: the old output goes first.
    fs::remove(fs::u8path(finalPath), code);
#endif
    fs::rename(fs::u8path(temporaryPath), fs::u8path(finalPath), code);
    if (code) {
        error = "cannot rename " + temporaryPath + " to " + finalPath + ": " + code.message();
        return false;
    }
    committed = true;
    return true;
}
