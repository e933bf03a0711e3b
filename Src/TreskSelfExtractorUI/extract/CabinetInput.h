#pragma once
// A cabinet file as the cabinet library reads it: its reads and seeks are served from a
// read-ahead buffer. The library reads a cabinet in small pieces (a block's header, then its data,
// with a seek in between); served from the buffer they cost one system call per buffer instead of
// two or three per block. The read-ahead starts small and doubles while the reads go on where the
// buffer ended, so a look at a cabinet's header reads no more than a page.

#include <windows.h>

#include <cstdint>
#include <memory>

#include "util/Handles.h"

class CCabinetInput {
public:
    // The input owns the file: it is closed when the input goes.
    explicit CCabinetInput(KernelHandle file) : file(std::move(file)) {}

    // Reads up to count bytes at the current offset; the bytes read (fewer at the end of the
    // file), or -1 when the file cannot be read.
    long Read(void* target, UINT count);
    // Moves the offset as a seek of the file would (origin SEEK_SET, SEEK_CUR or SEEK_END);
    // returns the new offset, or -1.
    long Seek(long distance, int origin);
    int64_t Offset() const { return offset; }

private:
    bool Fill(UINT wanted);

    KernelHandle file;
    int64_t offset = 0;       // where the next read starts
    int64_t filePointer = 0;  // where the file's own pointer stands
    std::unique_ptr<char[]> buffer;
    int64_t bufferStart = 0;
    uint32_t bufferLength = 0;
    uint32_t readAhead = 0;
};
