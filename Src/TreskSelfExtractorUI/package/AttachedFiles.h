#pragma once
// Reads the container of package files attached to the program file: the support files that
// start-up extracts into the package temporary folder, and the payload cabinet of a single-file
// package.

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/WorkerMessages.h"

constexpr uint16_t ATTACHED_SUPPORT_FILE = 200;
constexpr uint16_t ATTACHED_PAYLOAD = 100;

// The start offset of the container, stamped into the file-subtype field of the program's fixed
// version information; 0 when the program has none.
uint32_t GetPayloadOffset();
uint32_t GetPayloadOffsetOf(const std::wstring& programPath);

class CExtractor {
public:
    // Without a window the reader writes its log lines itself; with one it sends them to the
    // window's thread and posts progress every 1 % of totalSize (0: no progress).
    explicit CExtractor(HWND window = nullptr, uint64_t totalSize = 0) : window(window), totalSize(totalSize) {}

    // Extracts the entries of the wanted kind into targetFolder (ending with a backslash).
    // 0 when the end of the container was reached, -1 on an error.
    int ExtractFile(const std::wstring& programPath, const std::wstring& targetFolder, uint16_t wantedKind,
                    uint32_t startOffset, uint32_t bufferSize);

private:
    template <typename... Args>
    void Log(int level, const wchar_t* format, const Args&... args);

    HWND window;
    uint64_t totalSize;
    CWorkerLogRecord logRecord;
    bool direct = true;
};
