#include "package/AttachedFiles.h"

#include <vector>

#include "app/WorkerThread.h"
#include "log/BuildLogFile.h"
#include "util/Handles.h"
#include "util/Util.h"

namespace {

const wchar_t kMarker[] = L"{20726377-9F91-41b8-B514-20AE00AA235D}";
constexpr DWORD kMarkerBytes = 76;
constexpr DWORD kNameBufferBytes = 1024;
// A block of the copy is moved in pieces of this size: a piece stays in the processor's cache
// between being read and being written, which makes copying a large entry (the single-file
// package's cabinet) markedly faster than moving megabytes at once. The block, not the piece,
// is what the safe points and the progress follow.
constexpr DWORD kCopyPieceBytes = 256 * 1024;

bool ReadExact(HANDLE file, void* data, DWORD count, DWORD& read) {
    read = 0;
    BYTE* bytes = static_cast<BYTE*>(data);
    while (read < count) {
        DWORD got = 0;
        if (!ReadFile(file, bytes + read, count - read, &got, nullptr)) return false;
        if (got == 0) break;
        read += got;
    }
    return true;
}

// Creates the file, replacing one of that name. A new file is created as new, not by replacing:
// under Wine a replacing creation truncates the file, and a Linux file system (ext4) writes out
// all data of a file truncated to nothing when it is closed. For the single-file package's
// cabinet that made the copy markedly slower and kept the disk busy while the files were then
// extracted from the copy. Anything already there under the name is handled by the replacing
// creation as before, so it is replaced or refused exactly as it was.
HANDLE CreateOutputFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return INVALID_HANDLE_VALUE;
    return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

uint32_t GetPayloadOffsetOf(const std::wstring& programPath) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(programPath.c_str(), &ignored);
    if (size == 0) return 0;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(programPath.c_str(), 0, size, data.data())) return 0;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO))
        return 0;
    return info->dwFileSubtype;
}

uint32_t GetPayloadOffset() {
    return GetPayloadOffsetOf(CUtil::GetProgramPath());
}

template <typename... Args>
void CExtractor::Log(int level, const wchar_t* format, const Args&... args) {
    if (direct) {
        theLog.Log(level, L"ExtractFile", format, args...);
        return;
    }
    // Worker side: the line is written on the window's thread.
    logRecord.level = level;
    logRecord.function = L"ExtractFile";
    logRecord.format = L"%s";
    logRecord.argument = FormatWide(format, args...);
    CWorkerNotifier(window).SendLog(logRecord);
}

int CExtractor::ExtractFile(const std::wstring& programPath, const std::wstring& targetFolder, uint16_t wantedKind,
                            uint32_t startOffset, uint32_t bufferSize) {
    direct = wantedKind == ATTACHED_SUPPORT_FILE;
    KernelHandle program(CreateFileW(programPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!program) {
        Log(LOG_ERROR, L"Error opening file : %s Error code : %d ", programPath, static_cast<int>(GetLastError()));
        return -1;
    }
    LARGE_INTEGER target, position;
    target.QuadPart = startOffset;
    if (!SetFilePointerEx(program.Get(), target, &position, FILE_BEGIN) || position.QuadPart != target.QuadPart) {
        Log(LOG_ERROR, L"Error seeking file : %s  to : %d Error code : %d", programPath, static_cast<int>(startOffset),
            static_cast<int>(GetLastError()));
        return -1;
    }
    uint64_t total = totalSize > startOffset ? totalSize - startOffset : 0;
    if (bufferSize == 0) bufferSize = 5242880;
    std::vector<BYTE> buffer(bufferSize < kCopyPieceBytes ? bufferSize : kCopyPieceBytes);
    const uint64_t step = total / 100;
    uint64_t sinceProgress = 0;

    while (true) {
        Log(LOG_DETAIL, L"Reading footer information");
        BYTE marker[kMarkerBytes] = {};
        DWORD read = 0;
        if (!ReadExact(program.Get(), marker, kMarkerBytes, read) || read < kMarkerBytes) {
            Log(LOG_DETAIL, L"Reached EOF : %s \n FileSize : %d, ActualRead : %d Last Return code : %d", programPath,
                static_cast<int>(kMarkerBytes), static_cast<int>(read), static_cast<int>(GetLastError()));
            return 0;
        }
        if (memcmp(marker, kMarker, kMarkerBytes) != 0) {
            Log(LOG_INFO, L"Attached files are extracted");
            return 0;
        }
        uint32_t nameLength = 0, size = 0;
        uint16_t kind = 0;
        if (!ReadExact(program.Get(), &nameLength, 4, read) || read != 4) return 0;
        // A name longer than the format allows means the container is damaged: nothing of it can
        // be trusted, so extraction stops with an error instead of truncating the name.
        if (nameLength > kNameBufferBytes - 2 || nameLength % 2 != 0) {
            Log(LOG_ERROR, L"Invalid file name length in attached file : %d", static_cast<int>(nameLength));
            return -1;
        }
        wchar_t name[kNameBufferBytes / 2] = {};
        if (!ReadExact(program.Get(), name, nameLength, read) || read != nameLength ||
            !ReadExact(program.Get(), &size, 4, read) || read != 4 || !ReadExact(program.Get(), &kind, 2, read) ||
            read != 2) {
            Log(LOG_DETAIL, L"Reached EOF : %s \n FileSize : %d, ActualRead : %d Last Return code : %d", programPath,
                static_cast<int>(nameLength), static_cast<int>(read), static_cast<int>(GetLastError()));
            return 0;
        }
        if (wantedKind == ATTACHED_SUPPORT_FILE && kind == ATTACHED_PAYLOAD) return 0;
        if (wantedKind == ATTACHED_PAYLOAD && kind != ATTACHED_PAYLOAD) {
            LARGE_INTEGER skip;
            skip.QuadPart = size;
            SetFilePointerEx(program.Get(), skip, nullptr, FILE_CURRENT);
            continue;
        }

        // The name is joined to the target folder as it is: a name with a folder part, a drive or
        // a parent reference would write outside the folder, so it is refused.
        std::wstring fileName(name);
        if (fileName.empty() || fileName.find_first_of(L"\\/:") != std::wstring::npos || fileName == L"." ||
            fileName == L"..") {
            Log(LOG_ERROR, L"Error creating file : %s Error code : %d ", targetFolder + fileName,
                static_cast<int>(ERROR_INVALID_NAME));
            return -1;
        }
        std::wstring outputPath = targetFolder + fileName;
        Log(LOG_INFO, L"Extracting file : %s", outputPath);
        KernelHandle output(CreateOutputFile(outputPath));
        if (!output) {
            Log(LOG_ERROR, L"Error creating file : %s Error code : %d ", outputPath, static_cast<int>(GetLastError()));
            return -1;
        }
        uint32_t left = size;
        bool cancelled = false;
        while (left > 0) {
            DWORD block = left < bufferSize ? left : bufferSize;
            for (DWORD moved = 0; moved < block; moved += read) {
                DWORD want = block - moved < kCopyPieceBytes ? block - moved : kCopyPieceBytes;
                bool readOk = ReadExact(program.Get(), buffer.data(), want, read);
                if (!readOk || read != want) {
                    // A cut-off entry is never passed on as if it were complete.
                    DWORD error = readOk ? ERROR_HANDLE_EOF : GetLastError();
                    output.Reset();
                    DeleteFileW(outputPath.c_str());
                    Log(LOG_ERROR, L"%s", CUtil::GetSystemErrorText(error));
                    return -1;
                }
                DWORD written = 0;
                if (!WriteFile(output.Get(), buffer.data(), read, &written, nullptr) || written != read) {
                    DWORD error = GetLastError();
                    output.Reset();
                    DeleteFileW(outputPath.c_str());
                    Log(LOG_ERROR, L"%s", CUtil::GetSystemErrorText(error));
                    return -1;
                }
            }
            read = block;
            left -= block;
            // A safe point: the worker waits here while the cancel question is up.
            WorkerShouldStop();
            if (extractionCancelledFlag.load()) {
                cancelled = true;
                break;
            }
            if (total > 0) {
                sinceProgress += read;
                if (sinceProgress >= step) {
                    sinceProgress = 0;
                    CWorkerNotifier(window).Notify(WM_EXTRACT_PROGRESS, PROGRESS_STEP, 0);
                }
            }
        }
        extractionCancelledFlag = 0;
        // Closed before the line is logged: the line is sent to the window's thread, which after a
        // cancel may be waiting for this worker to end (and then holds it), and the package's
        // temporary folder can only be removed when no file in it is open.
        output.Reset();
        Log(LOG_INFO, L"Closing file : %s", outputPath);
        // A cancelled extraction stops here; the driver sees the stop flag and ends the run.
        if (cancelled) return 0;
    }
}
