#pragma once
// File access with UTF-8 paths on every platform, 64-bit offsets and large copy buffers.

#include <cstdint>
#include <cstdio>
#include <string>

// fopen with a UTF-8 path (wide file functions on Windows).
FILE* OpenFile(const std::string& utf8Path, const char* mode);

class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool Open(const std::string& path, std::string& error);
    uint64_t Size() const { return size; }
    bool Seek(uint64_t offset, std::string& error);
    bool ReadAt(uint64_t offset, void* data, size_t count, std::string& error);
    // Reads up to count bytes at the current position; returns the number read.
    size_t Read(void* data, size_t count);
    const std::string& Path() const { return path; }

private:
    FILE* file = nullptr;
    uint64_t size = 0;
    std::string path;
};

bool WriteAll(FILE* out, const void* data, size_t count);
// Copies exactly count bytes from the input's current position.
bool CopyStream(InputFile& in, FILE* out, uint64_t count, std::string& error);

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);
bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error);

// Writes a file under a temporary name next to its final path and renames it into place only when
// everything was written, so a failed run leaves no partial output behind.
class AtomicOutput {
public:
    explicit AtomicOutput(std::string finalPath);
    ~AtomicOutput();  // removes the temporary file unless committed
    AtomicOutput(const AtomicOutput&) = delete;
    AtomicOutput& operator=(const AtomicOutput&) = delete;

    bool Open(std::string& error);
    FILE* Stream() { return file; }
    const std::string& TemporaryPath() const { return temporaryPath; }
    const std::string& FinalPath() const { return finalPath; }
    // Flushes and closes the temporary file (still under its temporary name).
    bool Close(std::string& error);
    // Renames the closed temporary file to the final path.
    bool Commit(std::string& error);

private:
    std::string finalPath;
    std::string temporaryPath;
    FILE* file = nullptr;
    bool committed = false;
};
