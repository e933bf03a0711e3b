#include "extract/CabDecompressor.h"

#include "util/FileNameRules.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "app/WorkerThread.h"
#include "extract/CabinetInput.h"
#include "extract/OutputWriter.h"
#include "extract/OverwriteRule.h"
#include "log/BuildLogFile.h"
#include "package/ExtractorValidator.h"
#include "package/QirvaInitalizer.h"
#include "util/Handles.h"
#include "util/Util.h"


namespace {

// The library's callbacks carry no context: they reach the engine most recently initialised.
CCabDecompressor* g_currentEngine = nullptr;
bool g_nextCabinetRequested = false;
std::mutex g_currentFileMutex;
std::wstring g_currentFilePath;

constexpr USHORT kNameIsUtf8 = 0x80;
// What the library gets for every output file: the file itself belongs to the output writer. Odd,
// so it is never the value of a real handle.
constexpr INT_PTR kOutputDescriptor = 0x7FFFFFF1;

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

// Paths compared as the file system compares them.
std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// A claimed path as the file system compares it: a folder is claimed with its trailing
// backslash (so that its spelling says it is one) and is the same path as a file of its name.
std::wstring ClaimedForm(std::wstring text) {
    if (!text.empty() && text.back() == L'\\') text.pop_back();
    return UpperCase(std::move(text));
}

bool IsMissing(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    DWORD failure = GetLastError();
    return failure == ERROR_FILE_NOT_FOUND || failure == ERROR_PATH_NOT_FOUND;
}

bool IsEmptyFolder(const std::wstring& folder) {
    bool empty = true;
    bool searched = ForEachFolderEntry(folder + L"*", [&empty](const WIN32_FIND_DATAW&) {
        empty = false;
        return false;  // one entry is enough
    });
    return searched && empty;
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

CCabDecompressor::CCabDecompressor(HWND window, int runMode)
    : window(window), runMode(runMode), notices(window), claimedPaths(ClaimedForm) {}

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
    // A file opened for reading belongs to its input; one opened for writing is handed to the
    // output writer (or closed through Close).
    if (access == GENERIC_READ) inputs.insert_or_assign(descriptor, CCabinetInput(KernelHandle(handle)));
    return descriptor;
}

UINT CCabDecompressor::Read(INT_PTR file, void* buffer, UINT count) {
    auto input = inputs.find(file);
    if (input == inputs.end()) {
        DWORD read = 0;
        if (!ReadFile(reinterpret_cast<HANDLE>(file), buffer, count, &read, nullptr)) return static_cast<UINT>(-1);
        return read;
    }
    bool atStart = input->second.Offset() == 0;
    long read = input->second.Read(buffer, count);
    if (read < 0) return static_cast<UINT>(-1);
    // Every read of a cabinet's first bytes must find the package's own signature, which the
    // library knows as the standard one.
    if (atStart && read >= 4) {
        if (std::memcmp(buffer, "QRVA", 4) != 0) {
            error.SetEngineCode(CAB_ERROR_NOT_A_CABINET);
            return static_cast<UINT>(-1);
        }
        std::memcpy(buffer, "MSCF", 4);
    }
    return static_cast<UINT>(read);
}

UINT CCabDecompressor::Write(INT_PTR file, void* buffer, UINT count) {
    // A stop request ends the extraction inside a large file too, not only before the next one.
    if (workerStopFlag.load()) {
        if (error.GetErrorCode() == 0) error.SetEngineCode(CAB_ERROR_ABORTED);
        return static_cast<UINT>(-1);
    }
    if (file == currentOutput && output) {
        // The library goes on inflating while the writer writes; a failed write shows here (or
        // at the next file) and ends the extraction as it would have on the spot.
        if (OutputFailed()) return static_cast<UINT>(-1);
        output->Write(buffer, count);
        return count;
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
    if (file == currentOutput) {
        // The file ends where the extraction stopped.
        if (output) output->AbandonFile();
        currentOutput = 0;
        return 0;
    }
    // An input's file is closed with its input; any other descriptor is a file opened for writing
    // that nobody took over.
    auto input = inputs.find(file);
    if (input != inputs.end()) {
        inputs.erase(input);
    } else {
        KernelHandle(reinterpret_cast<HANDLE>(file)).Reset();
    }
    return 0;
}

long CCabDecompressor::Seek(INT_PTR file, long distance, int origin) {
    auto input = inputs.find(file);
    if (input != inputs.end()) return input->second.Seek(distance, origin);
    DWORD method = origin == SEEK_CUR ? FILE_CURRENT : origin == SEEK_END ? FILE_END : FILE_BEGIN;
    DWORD position = SetFilePointer(reinterpret_cast<HANDLE>(file), distance, nullptr, method);
    if (position == INVALID_SET_FILE_POINTER) return -1;
    return static_cast<long>(position);
}

void CCabDecompressor::LogLine(int level, const wchar_t* function, const std::wstring& text) {
    // Posted in batches, not sent: the window's thread writes the lines while the next files are
    // inflated. The notifier keeps the backlog bounded and in order with the prompt, which is sent
    // once the batches before it are.
    notices.Line(level, function, text);
}

int CCabDecompressor::ExtractCabinet(const std::wstring& cabinetPath, const std::wstring& target) {
    if (!Initialize()) return error.GetErrorCode();
    currentOutput = 0;
    currentOutputPath.clear();
    error.Clear();
    inputs.clear();
    renamedCabinets.clear();
    listedFolders.clear();
    listedFolders.insert(theInitializer.packageFolders.begin(), theInitializer.packageFolders.end());
    lastCreatedFolder.clear();
    knownFolders.clear();
    // The spellings go where the lists of files keep their paths: a file is kept once for all three.
    claimedPaths.UseStore(theInitializer.packageFiles.Store());
    filesHandedOver = 0;
    filesReached = 0;
    outputFailureTaken = false;
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
    COutputWriter writer(notices);
    // The writer says which of the files it was handed it has come to.
    writer.SetFileRecorder([this](const std::wstring& path) {
        LogLine(LOG_INFO, L"FileOverwrite", L"Extracing file : " + path);
        ++filesReached;
    });
    output = &writer;
    writer.Start();
    while (true) {
        std::string nameUtf8 = ToUtf8(name);
        if (!fdiCopy(context, &nameUtf8[0], &folderUtf8[0], 0, CallbackNotify, nullptr, nullptr)) break;
        if (nextCabinetName.empty() || _wcsicmp(nextCabinetName.c_str(), name.c_str()) == 0) break;
        name = nextCabinetName;
    }
    if (currentOutput) Close(currentOutput);
    // A cabinet the library left open when it gave up would keep its folder from being removed:
    // the inputs close their files as they go.
    inputs.clear();
    writer.Finish();
    // A failure the writer met after the library's last callback; it came before anything the
    // library reported since, so it is the one the extraction ends with.
    OutputFailed();
    // Files listed when they were handed over that the writer never came to (it failed or was
    // stopped first) are the newest entries: they are not there.
    for (; filesHandedOver > filesReached; --filesHandedOver) {
        theInitializer.writtenFiles.pop_front();
        theInitializer.packageFiles.pop_front();
    }
    ForgetCutOffFiles(writer.GetCutOffFiles());
    // Stopped before all was written: the files are not complete.
    if (writer.WasStopped() && !error.HasError()) error.SetEngineCode(CAB_ERROR_ABORTED);
    // A file cut off while the library reported nothing (it closed the file short of its size):
    // the cabinet did not hold the file whole.
    if (!writer.GetCutOffFiles().empty() && !error.HasError()) error.SetEngineCode(CAB_ERROR_CORRUPT);
    output = nullptr;
    notices.Flush();
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
    if (OutputFailed() || error.HasError()) return -1;
    if (StopRequested()) {
        error.SetEngineCode(CAB_ERROR_ABORTED);
        return -1;
    }
    std::wstring stored = (info->attribs & kNameIsUtf8) ? FromUtf8(info->psz1) : FromBytes(info->psz1);
    // A name that would leave the target folder ends the extraction; nothing is written for it.
    if (!IsSafeStoredName(stored)) {
        if (!SettleOutput()) return -1;
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
    bool freshFolder = CreateFolderTree(folder);
    copyFileSize = static_cast<uint32_t>(info->cb);
    INT_PTR result = FileOverwrite(fullPath, freshFolder);
    if (result == -2) {
        error.SetEngineCode(CAB_ERROR_ABORTED);
        return -1;
    }
    if (result > 0 && result != kOutputDescriptor) {
        // An existing file opened here: written and closed by the writer like the others.
        output->AdoptFile(KernelHandle(reinterpret_cast<HANDLE>(result)), fullPath, static_cast<uint32_t>(info->cb));
        result = kOutputDescriptor;
    }
    currentOutput = result > 0 ? result : 0;
    return result;
}

bool CCabDecompressor::StopRequested() {
    // The safe point of the extraction worker, where it waits while the cancel question is up.
    // Waiting costs a call into the system, so the safe point is taken at most every 50 ms (the
    // output writer goes on meanwhile); the stop flag is read on every file.
    DWORD now = GetTickCount();
    if (now - lastSafePoint < 50) return workerStopFlag.load() != 0;
    lastSafePoint = now;
    return WorkerShouldStop();
}

INT_PTR CCabDecompressor::OnCloseFile(PFDINOTIFICATION info) {
    // The writer stamps the stored times (not onto a replaced file), closes the file, sets the
    // stored attributes and moves the progress on, after the file's last write.
    if (info->hf == currentOutput && output) output->CloseFile(info->date, info->time, info->attribs, replacedFile);
    currentOutput = 0;
    replacedFile = false;
    return TRUE;
}

INT_PTR CCabDecompressor::OpenOutput(const std::wstring& path, int createFlags) {
    std::string name = ToUtf8(path);
    int flags = _O_WRONLY | _O_CREAT | _O_BINARY | _O_SEQUENTIAL | createFlags;
    INT_PTR descriptor = Open(name.c_str(), flags, _S_IREAD | _S_IWRITE);
    if (descriptor != -1) currentOutputPath = path;
    return descriptor;
}

INT_PTR CCabDecompressor::FileOverwrite(const std::wstring& path, bool freshFolder) {
    const wchar_t* function = L"FileOverwrite";
    // A new file is recorded, created and written by the output writer while the library goes
    // on. In a folder that holds only what this run writes, no lookup is needed at all.
    std::wstring earlier;
    bool claimed = !claimedPaths.Claim(path, earlier);
    if (claimed) {
        // Two entries of the package that are one file on disk (their names differ in letter case
        // at most): the later one wins, and the log says which two they were.
        if (earlier.back() == L'\\')
            LogLine(LOG_WARNING, function, L"A file of the package lands on a folder of the package : " + path);
        else
            LogLine(LOG_WARNING, function, L"Two files of the package land on the same file : " + earlier + L" and " + path);
    }
    if (!claimed && (freshFolder || IsMissing(path))) {
        // Listed here, on this thread, next to the claim: the lists and the claims share the
        // path. The writer logs the file when it comes to it.
        ListExtractedFile(path);
        ++filesHandedOver;
        output->NewFile(path, copyFileSize, true);
        return kOutputDescriptor;
    }
    // The file is there (or cannot be looked at): the prompt and the log see every earlier file
    // complete.
    if (!SettleOutput()) return -1;
    unsigned long earlierSystemError = lastSystemError;
    INT_PTR created = OpenOutput(path, _O_EXCL);
    if (created != -1 || lastSystemError != ERROR_FILE_EXISTS) {
        RecordExtractedFile(path);
        return created;
    }
    // An existing file is no failure of its own.
    lastSystemError = earlierSystemError;

    OverwriteFacts facts;
    facts.answer = overwriteAnswer;
    facts.runMode = runMode;
    if (DecideOverwrite(facts).action == OverwriteAction::Ask) {
        // The prompt sees every earlier log line; the window answers with the button pressed.
        notices.Flush();
        overwriteAnswer = static_cast<int>(CWorkerNotifier(window).Send(WM_OVERWRITE_PROMPT, 0, 0));
        facts.answer = overwriteAnswer;
        facts.answered = true;
    }
    // The file is looked at once the answer is there: it may have changed while the prompt was up.
    facts.attributes = GetFileAttributesW(path.c_str());
    const unsigned long attributesError = facts.attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : 0;
    const OverwriteDecision decision = DecideOverwrite(facts);

    switch (decision.action) {
        case OverwriteAction::Replace: {
            replacedFile = true;
            LogLine(LOG_INFO, function, L"Deleting file : " + path);
            unsigned long failure = attributesError;
            if (failure == 0 && decision.clearReadOnly && !SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL))
                failure = GetLastError();
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
        case OverwriteAction::Keep:
            LogLine(LOG_INFO, function, L"File already exists : " + path + L". No action required.");
            theInitializer.packageFiles.push_front(path);
            return 0;
        case OverwriteAction::Cancel:
            return -2;
        case OverwriteAction::Ask:
        case OverwriteAction::WriteOver:
            break;
    }
    RecordExtractedFile(path);
    return OpenOutput(path, _O_TRUNC);
}

void CCabDecompressor::ForgetCutOffFiles(const std::vector<COutputWriter::CutOffFile>& files) {
    const wchar_t* function = L"ExtractCabinet";
    for (const auto& file : files) {
        if (!file.removed) {
            LogLine(LOG_ERROR, function, L"Incomplete file could not be removed : " + file.path);
            continue;
        }
        LogLine(LOG_WARNING, function, L"Incomplete file removed : " + file.path);
        theInitializer.writtenFiles.remove(file.path);
        theInitializer.packageFiles.remove(file.path);
    }
}

void CCabDecompressor::RecordExtractedFile(const std::wstring& path) {
    LogLine(LOG_INFO, L"FileOverwrite", L"Extracing file : " + path);
    ListExtractedFile(path);
}

void CCabDecompressor::ListExtractedFile(const std::wstring& path) {
    theInitializer.writtenFiles.push_front(path);
    theInitializer.packageFiles.push_front(path);
}

bool CCabDecompressor::CreateFolderTree(const std::wstring& folder) {
    std::wstring chain = folder;
    while (!chain.empty() && chain.back() == L'\\') chain.pop_back();
    std::wstring root = targetFolder;
    while (!root.empty() && root.back() == L'\\') root.pop_back();
    while (_wcsicmp(chain.c_str(), root.c_str()) != 0) {
        if (!listedFolders.insert(chain).second) break;
        output->Note([chain] { theInitializer.packageFolders.push_front(chain); });
        size_t slash = chain.find_last_of(L'\\');
        if (slash == std::wstring::npos) break;
        chain = chain.substr(0, slash);
    }

    // Files come folder by folder: the folder of the previous file needs no second look.
    if (folder != lastCreatedFolder) {
        lastFolderFresh = IsFreshFolder(folder);
        lastCreatedFolder = folder;
    }
    return lastFolderFresh;
}

bool CCabDecompressor::IsFreshFolder(const std::wstring& folder) {
    std::wstring key = UpperCase(folder);
    auto known = knownFolders.find(key);
    if (known != knownFolders.end()) return known->second;
    bool fresh = true;
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        fresh = IsEmptyFolder(folder);
    } else {
        std::wstring parent = folder;
        if (!parent.empty() && parent.back() == L'\\') parent.pop_back();
        size_t slash = parent.find_last_of(L'\\');
        if (slash != std::wstring::npos) {
            parent = parent.substr(0, slash + 1);
            if (parent.size() > 3) IsFreshFolder(parent);
            // A folder that cannot be made shows when its first file is created.
            output->CreateFolder(folder, [folder] { theInitializer.createdFolders.push_front(folder); });
            std::wstring earlier;
            claimedPaths.Claim(folder, earlier);
        }
    }
    knownFolders[key] = fresh;
    return fresh;
}

bool CCabDecompressor::SettleOutput() {
    if (output) output->Drain();
    return !OutputFailed();
}

bool CCabDecompressor::OutputFailed() {
    if (!output || !output->HasFailed()) return false;
    if (!outputFailureTaken) {
        outputFailureTaken = true;
        const COutputWriter::Failure& failure = output->GetFailure();
        // The same outcome as a failure on the spot: a file that cannot be created ends the
        // extraction with its system error, a failed write with the write error.
        if (failure.opening) {
            lastSystemError = failure.systemError;
            error.SetEngineCode(CAB_ERROR_ABORTED);
        } else {
            error.SetEngineCode(CAB_ERROR_WRITE);
        }
        SetCurrentFilePath(failure.path);
    }
    return true;
}

bool CCabDecompressor::IsCabinet(const std::wstring& path, FDICABINETINFO* info) {
    if (!context) return false;
    error.Clear();
    inputs.clear();
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
