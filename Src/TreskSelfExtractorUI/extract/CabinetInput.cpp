#include "extract/CabinetInput.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kFirstReadAhead = 4096;
constexpr uint32_t kMaxReadAhead = 256 * 1024;

}  // namespace

long CCabinetInput::Read(void* target, UINT count) {
    char* out = static_cast<char*>(target);
    UINT done = 0;
    while (done < count) {
        if (offset >= bufferStart && offset < bufferStart + bufferLength) {
            uint32_t part = static_cast<uint32_t>(std::min<int64_t>(count - done, bufferStart + bufferLength - offset));
            std::memcpy(out + done, buffer.get() + (offset - bufferStart), part);
            done += part;
            offset += part;
            continue;
        }
        if (!Fill(count - done)) return -1;
        if (bufferLength == 0) break;  // end of the file
    }
    return static_cast<long>(done);
}

bool CCabinetInput::Fill(UINT wanted) {
    bool sequential = bufferLength > 0 && offset == bufferStart + bufferLength;
    readAhead = sequential ? std::min(readAhead * 2, kMaxReadAhead) : kFirstReadAhead;
    DWORD size = std::min(std::max<uint32_t>(readAhead, wanted), kMaxReadAhead);
    if (!buffer) buffer.reset(new char[kMaxReadAhead]);
    if (filePointer != offset) {
        LARGE_INTEGER position;
        position.QuadPart = offset;
        if (!SetFilePointerEx(file.Get(), position, nullptr, FILE_BEGIN)) return false;
        filePointer = offset;
    }
    DWORD read = 0;
    if (!ReadFile(file.Get(), buffer.get(), size, &read, nullptr)) return false;
    filePointer += read;
    bufferStart = offset;
    bufferLength = read;
    return true;
}

long CCabinetInput::Seek(long distance, int origin) {
    int64_t base = 0;
    if (origin == SEEK_CUR) {
        base = offset;
    } else if (origin == SEEK_END) {
        LARGE_INTEGER size;
        if (!GetFileSizeEx(file.Get(), &size)) return -1;
        base = size.QuadPart;
    }
    if (base + distance < 0) return -1;
    offset = base + distance;
    return static_cast<long>(offset);
}
