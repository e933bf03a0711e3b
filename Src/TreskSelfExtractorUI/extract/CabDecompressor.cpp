#include "extract/CabDecompressor.h"

#include "util/FileNameRules.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "app/WorkerThread.h"
#include "log/BuildLogFile.h"
#include "package/ExtractorValidator.h"
#include "package/QirvaInitalizer.h"
#include "util/Util.h"

std::atomic<int> overwriteDecision{-1};

namespace {

// The library's callbacks carry no context: they reach the engine most recently initialised.
CCabDecompressor* g_currentEngine = nullptr;
bool g_nextCabinetRequested = false;
std::mutex g_currentFileMutex;
std::wstring g_currentFilePath;

constexpr USHORT kNameIsUtf8 = 0x80;
constexpr USHORT kTimeIsUtc = 0x100;
constexpr USHORT kKeptAttributes = 0x27;  // read-only, hidden, system, archive

std::wstring FromUtf8(const char* text) {
    if (!text || !*text) return std::wstring();
    int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1) MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], length);
    return wide;
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(length > 0 ? length - 1 : 0, '\0');
    if (length > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &narrow[0], length, nullptr, nullptr);
    return narrow;
}

// A name whose attribute word lacks the UTF-8 bit: every byte is one character.
std::wstring FromBytes(const char* text) {
    std::wstring wide;
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); c && *c; ++c) wide += wchar_t(*c);
    return wide;
}

void SetCurrentFilePath(const std::wstring& path) {
    std::lock_guard<std::mutex> lock(g_currentFileMutex);
    g_currentFilePath = path;
}

FNALLOC(CallbackAlloc) { return g_currentEngine->Alloc(cb); }
FNFREE(CallbackFree) { g_currentEngine->Free(pv); }
FNOPEN(CallbackOpen) { return g_currentEngine->Open(pszFile, oflag, pmode); }
FNREAD(CallbackRead) { return g_currentEngine->Read(hf, pv, cb); }
FNWRITE(CallbackWrite) { return g_currentEngine->Write(hf, pv, cb); }
FNCLOSE(CallbackClose) { return g_currentEngine->Close(hf); }
FNSEEK(CallbackSeek) { return g_currentEngine->Seek(hf, dist, seektype); }
FNFDINOTIFY(CallbackNotify) { return g_currentEngine->Notify(fdint, pfdin); }

}  // namespace

std::wstring GetCurrentFilePath() {
    std::lock_guard<std::mutex> lock(g_currentFileMutex);
    return g_currentFilePath;
}

std::wstring SystemCabinetLibraryPath() {
    wchar_t folder[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    return std::wstring(folder, length) + L"\\cabinet.dll";
}

bool IsSafeStoredName(const std::wstring& name) {
    if (name.empty() || name.find(L':') != std::wstring::npos || name.find(L'/') != std::wstring::npos) return false;
    size_t start = name[0] == L'\\' ? 1 : 0;
    if (start >= name.size()) return false;
    while (start <= name.size()) {
        size_t end = name.find(L'\\', start);
        if (end == std::wstring::npos) end = name.size();
        std::wstring component = name.substr(start, end - start);
        if (component.empty() || component == L"." || component == L"..") return false;
        // Device names open the device, not a file; a trailing dot or blank is dropped by the
        // system, so two stored names could land on one file.
        if (filenamerules::IsReservedDeviceName(component) || filenamerules::EndsInDotOrBlank(component)) return false;
        for (wchar_t c : component)
            if (c < 32 || wcschr(L"<>\"|?*", c)) return false;
        start = end + 1;
    }
    return true;
}

CCabDecompressor::CCabDecompressor(HWND window) : window(window) {}

CCabDecompressor::~CCabDecompressor() {
    if (context && fdiDestroy) {
        CCabDecompressor* previous = g_currentEngine;
        g_currentEngine = this;
        fdiDestroy(context);
        g_currentEngine = previous == this ? nullptr : previous;
    }
    if (module) FreeLibrary(module);
    if (g_currentEngine == this) g_currentEngine = nullptr;
}

bool CCabDecompressor::Initialize() {
    g_currentEngine = this;
    error.Clear();
    if (context) return true;
    if (!module) {
        // Only the copy in the system folder: a cabinet.dll placed beside the package must never
        // be loaded.
        module = LoadLibraryExW(L"cabinet.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!module && GetLastError() == ERROR_INVALID_PARAMETER) {
            // Systems without the search flag: the full path into the system folder instead.
            std::wstring path = SystemCabinetLibraryPath();
            module = path.empty() ? nullptr : LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        }
        if (module) {
            fdiCreate = reinterpret_cast<decltype(fdiCreate)>(reinterpret_cast<void*>(GetProcAddress(module, "FDICreate")));
            fdiCopy = reinterpret_cast<decltype(fdiCopy)>(reinterpret_cast<void*>(GetProcAddress(module, "FDICopy")));
            fdiIsCabinet =
                reinterpret_cast<decltype(fdiIsCabinet)>(reinterpret_cast<void*>(GetProcAddress(module, "FDIIsCabinet")));
            fdiDestroy =
                reinterpret_cast<decltype(fdiDestroy)>(reinterpret_cast<void*>(GetProcAddress(module, "FDIDestroy")));
        }
        if (!module || !fdiCreate || !fdiCopy || !fdiIsCabinet || !fdiDestroy) {
            if (module) FreeLibrary(module);
            module = nullptr;
            error.SetEngineCode(CAB_ERROR_LIBRARY);
            return false;
        }
    }
    context = fdiCreate(CallbackAlloc, CallbackFree, CallbackOpen, CallbackRead, CallbackWrite, CallbackClose,
                        CallbackSeek, cpu80386, &error.erf);
    return context != nullptr;
}

void* CCabDecompressor::Alloc(ULONG size) {
    return HeapAlloc(GetProcessHeap(), 0, size);
}

void CCabDecompressor::Free(void* memory) {
    if (memory) HeapFree(GetProcessHeap(), 0, memory);
}

INT_PTR CCabDecompressor::Open(const char* utf8Name, int flags, int /*mode*/) {
    std::string name = utf8Name ? utf8Name : "";
    // A part file that the package's files were renamed to: open it under its name on disk.
    size_t slash = name.find_last_of('\\');
    auto renamed = renamedCabinets.find(name.substr(slash == std::string::npos ? 0 : slash + 1));
    if (renamed != renamedCabinets.end()) name = name.substr(0, slash == std::string::npos ? 0 : slash + 1) + renamed->second;
    std::wstring path = FromUtf8(name.c_str());
    bool create = (flags & _O_CREAT) != 0;
    bool exclusive = create && (flags & _O_EXCL) != 0;
    // A read-only file in the way could not be replaced; an exclusive create has none in its way.
    if (create && !exclusive) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DWORD access = (flags & (_O_WRONLY | _O_RDWR)) ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    DWORD disposition = !create ? OPEN_EXISTING : exclusive ? CREATE_NEW : (flags & _O_TRUNC) ? CREATE_ALWAYS : OPEN_ALWAYS;
    HANDLE handle = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        lastSystemError = GetLastError();
        return -1;
    }
    INT_PTR descriptor = reinterpret_cast<INT_PTR>(handle);
    if (access == GENERIC_READ)
        inputPositions[descriptor] = 0;
    else
        currentOutput = descriptor;
    return descriptor;
}

UINT CCabDecompressor::Read(INT_PTR file, void* buffer, UINT count) {
    DWORD read = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(file), buffer, count, &read, nullptr)) return static_cast<UINT>(-1);
    auto input = inputPositions.find(file);
    if (input != inputPositions.end()) {
        // Every read of a cabinet's first bytes must find the package's own signature, which the
        // library knows as the standard one.
        if (input->second == 0 && read >= 4) {
            if (std::memcmp(buffer, "QRVA", 4) != 0) {
                error.SetEngineCode(CAB_ERROR_NOT_A_CABINET);
                return static_cast<UINT>(-1);
            }
            std::memcpy(buffer, "MSCF", 4);
        }
        input->second += read;
    }
    return read;
}

UINT CCabDecompressor::Write(INT_PTR file, void* buffer, UINT count) {
    // A stop request ends the extraction inside a large file too, not only before the next one.
    if (workerStopFlag.load()) {
        if (error.GetErrorCode() == 0) error.SetEngineCode(CAB_ERROR_ABORTED);
        return static_cast<UINT>(-1);
    }
    DWORD written = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(file), buffer, count, &written, nullptr) || written != count) {
        // Not every cabinet library stops on a failed write; the engine remembers it so that a
        // full disk never passes as a successful extraction.
        if (error.GetErrorCode() == 0) error.SetEngineCode(CAB_ERROR_WRITE);
        return static_cast<UINT>(-1);
    }
    return written;
}

int CCabDecompressor::Close(INT_PTR file) {
    if (file < 1) return 0;
    CloseHandle(reinterpret_cast<HANDLE>(file));
    if (currentOutput == file) currentOutput = 0;
    inputPositions.erase(file);
    return 0;
}

long CCabDecompressor::Seek(INT_PTR file, long distance, int origin) {
    DWORD method = origin == SEEK_CUR ? FILE_CURRENT : origin == SEEK_END ? FILE_END : FILE_BEGIN;
    DWORD position = SetFilePointer(reinterpret_cast<HANDLE>(file), distance, nullptr, method);
    if (position == INVALID_SET_FILE_POINTER) return -1;
    auto input = inputPositions.find(file);
    if (input != inputPositions.end()) input->second = position;
    return static_cast<long>(position);
}

void CCabDecompressor::LogLine(int level, const wchar_t* function, const std::wstring& text) {
    CWorkerNotifier notifier(window);
    if (!notifier.IsAlive()) {
        theLog.Log(level, function, L"%s", text);
        return;
    }
    // Posted, not sent: the window's thread writes the line while the next file is inflated. The
    // notifier keeps the backlog bounded and in order with the prompt, which is sent.
    notifier.PostLog(CWorkerLogRecord{level, function, L"%s", text});
}

int CCabDecompressor::ExtractCabinet(const std::wstring& cabinetPath, const std::wstring& target) {
    if (!Initialize()) return error.GetErrorCode();
    currentOutput = 0;
    currentOutputPath.clear();
    error.Clear();
    inputPositions.clear();
    renamedCabinets.clear();
    listedFolders.clear();
    listedFolders.insert(theInitializer.packageFolders.begin(), theInitializer.packageFolders.end());
    lastCreatedFolder.clear();
    g_nextCabinetRequested = false;
    targetFolder = target;
    if (targetFolder.size() > 1 && targetFolder.back() != L'\\') targetFolder += L'\\';

    size_t slash = cabinetPath.find_last_of(L'\\');
    std::wstring folder = slash == std::wstring::npos ? std::wstring() : cabinetPath.substr(0, slash + 1);
    std::wstring name = slash == std::wstring::npos ? cabinetPath : cabinetPath.substr(slash + 1);
    if (targetFolder.size() < 3 || folder.size() < 2 || name.size() < 2) {
        error.SetEngineCode(CAB_ERROR_PARAMETERS);
        return error.GetErrorCode();
    }

    nextCabinetName = name;
    std::string folderUtf8 = ToUtf8(folder);
    while (true) {
        std::string nameUtf8 = ToUtf8(name);
        if (!fdiCopy(context, &nameUtf8[0], &folderUtf8[0], 0, CallbackNotify, nullptr, nullptr)) break;
        if (nextCabinetName.empty() || _wcsicmp(nextCabinetName.c_str(), name.c_str()) == 0) break;
        name = nextCabinetName;
    }
    if (currentOutput) Close(currentOutput);
    return error.HasError() ? error.GetErrorCode() : 0;
}

INT_PTR CCabDecompressor::Notify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION info) {
    switch (type) {
        case fdintCABINET_INFO: return OnCabinetInfo(info);
        case fdintNEXT_CABINET: return OnNextCabinet(info);
        case fdintCOPY_FILE: return OnCopyFile(info);
        case fdintCLOSE_FILE_INFO: return OnCloseFile(info);
        default: return 0;
    }
}

INT_PTR CCabDecompressor::OnCabinetInfo(PFDINOTIFICATION info) {
    if (!theInitializer.IsMultiPart()) return 0;
    std::string stored = info->psz1 ? info->psz1 : "";
    std::string replacement;
    if (!stored.empty()) {
        // The part number comes from the stored name, the base name from the part files on disk.
        std::string firstPart = ToUtf8(theValidator.GetFirstPartName());
        if (firstPart.size() >= 4 && stored.size() >= 4)
            replacement = firstPart.substr(0, firstPart.size() - 4) + stored.substr(stored.size() - 4);
        else
            replacement = stored;
        if (replacement.size() <= stored.size()) {
            std::memcpy(info->psz1, replacement.c_str(), replacement.size() + 1);
        } else {
            // The library's buffer holds only the stored name: a longer name is given to the
            // open primitive instead.
            renamedCabinets[stored] = replacement;
        }
    }
    if (!g_nextCabinetRequested)
        nextCabinetName = FromUtf8(replacement.c_str());
    else
        g_nextCabinetRequested = false;
    return 0;
}

INT_PTR CCabDecompressor::OnNextCabinet(PFDINOTIFICATION info) {
    g_nextCabinetRequested = true;
    if (info->fdie != FDIERROR_NONE) {
        error.SetEngineCode(info->fdie);
        return -1;
    }
    nextCabinetName = FromUtf8(info->psz1);
    return 0;
}

INT_PTR CCabDecompressor::OnCopyFile(PFDINOTIFICATION info) {
    // After a failed write nothing more is extracted.
    if (error.HasError()) return -1;
    if (workerStopFlag.load()) {
        error.SetEngineCode(CAB_ERROR_ABORTED);
        return -1;
    }
    std::wstring stored = (info->attribs & kNameIsUtf8) ? FromUtf8(info->psz1) : FromBytes(info->psz1);
    // A name that would leave the target folder ends the extraction; nothing is written for it.
    if (!IsSafeStoredName(stored)) {
        LogLine(LOG_ERROR, L"FdiCallback", L"Refused unsafe file name in cabinet : " + stored);
        error.SetEngineCode(CAB_ERROR_CORRUPT);
        return -1;
    }
    if (stored[0] != L'\\') stored = L"\\" + stored;
    size_t slash = stored.find_last_of(L'\\');
    std::wstring subFolder = stored.substr(0, slash + 1);
    std::wstring fileName = stored.substr(slash + 1);
    std::wstring folder = targetFolder.substr(0, targetFolder.size() - 1) + subFolder;
    std::wstring fullPath = folder + fileName;
    SetCurrentFilePath(fullPath);
    if (fullPath.size() > 260) {
        error.SetEngineCode(CAB_ERROR_PATH_TOO_LONG);
        return -1;
    }
    CreateFolderTree(folder);
    INT_PTR result = FileOverwrite(fullPath);
    if (result == -2) {
        error.SetEngineCode(CAB_ERROR_ABORTED);
        return -1;
    }
    return result;
}

INT_PTR CCabDecompressor::OnCloseFile(PFDINOTIFICATION info) {
    std::wstring stored = (info->attribs & kNameIsUtf8) ? FromUtf8(info->psz1) : FromBytes(info->psz1);
    if (!stored.empty() && stored[0] != L'\\') stored = L"\\" + stored;
    std::wstring path = targetFolder.substr(0, targetFolder.size() - 1) + stored;
    // The times go onto the handle that wrote the file: reopening every file only to stamp it
    // costs more than the data of a small file.
    SetFileTimeAndAttributes(path, info->date, info->time, info->attribs, reinterpret_cast<HANDLE>(info->hf));
    Close(info->hf);
    // Every file written here was created new and so carries the archive attribute already;
    // setting only that once more would cost a second update of every file.
    if ((info->attribs & kKeptAttributes) != FILE_ATTRIBUTE_ARCHIVE)
        ApplyAttributes(path, info->attribs);
    else
        replacedFile = false;
    CWorkerNotifier(window).Notify(WM_EXTRACT_PROGRESS, PROGRESS_STEP, 0);
    return TRUE;
}

INT_PTR CCabDecompressor::OpenOutput(const std::wstring& path, int createFlags) {
    std::string name = ToUtf8(path);
    int flags = _O_WRONLY | _O_CREAT | _O_BINARY | _O_SEQUENTIAL | createFlags;
    INT_PTR descriptor = Open(name.c_str(), flags, _S_IREAD | _S_IWRITE);
    if (descriptor != -1) currentOutputPath = path;
    return descriptor;
}

INT_PTR CCabDecompressor::FileOverwrite(const std::wstring& path) {
    const wchar_t* function = L"FileOverwrite";
    // A file that is not there yet is created in one step: asking first whether it exists would
    // look the path up twice for every file of the package.
    unsigned long earlierSystemError = lastSystemError;
    INT_PTR created = OpenOutput(path, _O_EXCL);
    if (created != -1 || lastSystemError != ERROR_FILE_EXISTS) {
        RecordExtractedFile(path);
        return created;
    }
    // An existing file is no failure of its own.
    lastSystemError = earlierSystemError;

    int decision = overwriteDecision.load();
    if (!theInitializer.GetApplyToAll() || decision == OVERWRITE_YES || decision == OVERWRITE_NO) {
        CWorkerNotifier(window).Send(WM_OVERWRITE_PROMPT, 0, 0);
        decision = overwriteDecision.load();
    }
    if (decision == OVERWRITE_YES_TO_ALL || decision == OVERWRITE_NO_TO_ALL) theInitializer.SetApplyToAll(1);

    if (decision == OVERWRITE_YES || decision == OVERWRITE_YES_TO_ALL) {
        replacedFile = true;
        LogLine(LOG_INFO, function, L"Deleting file : " + path);
        unsigned failure = CUtil::ClearReadOnly(path);
        if (failure != 0) {
            error.SetEngineCode(CAB_ERROR_ATTRIBUTES);
            LogLine(LOG_INFO, function, FormatWide(L"Error Code : %d", -1));
            LogLine(LOG_INFO, function, L"Error string : " + CUtil::GetSystemErrorText(failure));
            return -1;
        }
        if (DeleteFileW(path.c_str())) {
            RecordExtractedFile(path);
            return OpenOutput(path, 0);
        }
        // Open it once more only to learn why it cannot be replaced (a file in use reports 32).
        INT_PTR probe = OpenOutput(path, 0);
        if (probe != -1) {
            lastSystemError = GetLastError();
            Close(probe);
        }
        return -1;
    }
    if (decision == OVERWRITE_NO || decision == OVERWRITE_NO_TO_ALL) {
        LogLine(LOG_INFO, function, L"File already exists : " + path + L". No action required.");
        theInitializer.packageFiles.push_front(path);
        return 0;
    }
    if (decision == OVERWRITE_CANCEL) return -2;
    // No answer (a window without the prompt): the file is overwritten.
    RecordExtractedFile(path);
    return OpenOutput(path, _O_TRUNC);
}

void CCabDecompressor::RecordExtractedFile(const std::wstring& path) {
    LogLine(LOG_INFO, L"FileOverwrite", L"Extracing file : " + path);
    theInitializer.writtenFiles.push_front(path);
    theInitializer.packageFiles.push_front(path);
}

int CCabDecompressor::CreateFolderTree(const std::wstring& folderIn) {
    std::wstring folder = folderIn;
    std::wstring chain = folder;
    while (!chain.empty() && chain.back() == L'\\') chain.pop_back();
    std::wstring root = theInitializer.GetExtractPath();
    while (!root.empty() && root.back() == L'\\') root.pop_back();
    auto& packageFolders = theInitializer.packageFolders;
    while (_wcsicmp(chain.c_str(), root.c_str()) != 0) {
        if (!listedFolders.insert(chain).second) break;
        packageFolders.push_front(chain);
        size_t slash = chain.find_last_of(L'\\');
        if (slash == std::wstring::npos) break;
        chain = chain.substr(0, slash);
    }

    // Files come folder by folder: the folder of the previous file needs no second look.
    if (folder == lastCreatedFolder) return 0;
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        lastCreatedFolder = folder;
        return 0;
    }
    std::wstring parent = folder;
    if (!parent.empty() && parent.back() == L'\\') parent.pop_back();
    size_t slash = parent.find_last_of(L'\\');
    if (slash == std::wstring::npos) return ERROR_PATH_NOT_FOUND;
    parent = parent.substr(0, slash + 1);
    if (parent.size() > 3) {
        int result = CreateFolderTree(parent);
        if (result != 0) return result;
    }
    if (!CreateDirectoryW(folder.c_str(), nullptr)) {
        DWORD failure = GetLastError();
        if (failure != ERROR_ALREADY_EXISTS) return static_cast<int>(failure);
    } else {
        theInitializer.createdFolders.push_front(folder);
    }
    lastCreatedFolder = folder;
    return 0;
}

void CCabDecompressor::SetFileTimeAndAttributes(const std::wstring& path, USHORT date, USHORT time, USHORT attributes,
                                                HANDLE openFile) {
    HANDLE file = openFile;
    if (!file || file == INVALID_HANDLE_VALUE) {
        file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
    }
    if (!replacedFile) {
        FILETIME stored, utc;
        if (DosDateTimeToFileTime(date, time, &stored)) {
            if (attributes & kTimeIsUtc)
                utc = stored;
            else
                LocalFileTimeToFileTime(&stored, &utc);
            SetFileTime(file, &utc, nullptr, &utc);
        }
    }
    if (file != openFile) {
        CloseHandle(file);
        ApplyAttributes(path, attributes);
    }
}

void CCabDecompressor::ApplyAttributes(const std::wstring& path, USHORT attributes) {
    SetFileAttributesW(path.c_str(), (attributes & kKeptAttributes) ? (attributes & kKeptAttributes) : FILE_ATTRIBUTE_NORMAL);
    replacedFile = false;
}

bool CCabDecompressor::IsCabinet(const std::wstring& path, FDICABINETINFO* info) {
    if (!context) return false;
    error.Clear();
    inputPositions.clear();
    std::string name = ToUtf8(path);
    INT_PTR file = Open(name.c_str(), _O_RDONLY | _O_BINARY | _O_SEQUENTIAL, 0);
    if (file < 1) return false;
    FDICABINETINFO local = {};
    BOOL result = fdiIsCabinet(context, file, info ? info : &local);
    Close(file);
    return result != FALSE;
}

uint16_t CCabDecompressor::GetCabinetSetId(const std::wstring& path) {
    if (!Initialize()) return 0xFFFF;
    FDICABINETINFO info = {};
    return IsCabinet(path, &info) ? info.setID : 0xFFFF;
}

bool CCabDecompressor::ValidateCabinetFile(const std::wstring& path) {
    const wchar_t* function = L"ValidateCabinetFile";
    if (!Initialize()) return false;
    FDICABINETINFO info = {};
    if (!IsCabinet(path, &info)) return false;
    std::wstring digits = path.size() >= 3 ? path.substr(path.size() - 3) : path;
    int number = CUtil::ToInt(digits);
    if (number <= 0) {
        theLog.Log(LOG_DETAIL, function, L"Could not get cab number for cabinet.");
        return false;
    }
    bool valid = true;
    if (info.setID != theInitializer.GetCabinetSetId()) {
        theLog.Log(LOG_DETAIL, function, L"Cabinet GUID not matching");
        valid = false;
    }
    if (info.iCabinet != number - 1) {
        theLog.Log(LOG_DETAIL, function, L"Cabinet number from Name : %s", digits);
        theLog.Log(LOG_DETAIL, function, L"Cabinet number from Cabinet information : %s",
                   FormatWide(L"%d", static_cast<int>(info.iCabinet)));
        theLog.Log(LOG_DETAIL, function, L"Cabinet ID not correct");
        valid = false;
    }
    return valid;
}
