#pragma once
// Extracts the package's cabinets through the system's cabinet library: one cabinet or a chain
// of part files, with the package's own signature, the overwrite prompt, file times and
// attributes, and the records of every file and folder written.

#include <windows.h>
#include <fdi.h>

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "app/RunMode.h"
#include "app/WorkerMessages.h"
#include "extract/CabError.h"
#include "extract/CabinetInput.h"
#include "extract/ClaimedPaths.h"
#include "extract/OutputWriter.h"
#include "extract/WindowNotices.h"


// The file being extracted; the driver names it in its messages.
std::wstring GetCurrentFilePath();

class CCabDecompressor {
public:
    // runMode decides whether an existing file is asked about (only the wizard shows the prompt).
    explicit CCabDecompressor(HWND window = nullptr, int runMode = MODE_FULL_GUI);
    virtual ~CCabDecompressor();
    CCabDecompressor(const CCabDecompressor&) = delete;
    CCabDecompressor& operator=(const CCabDecompressor&) = delete;

    int ExtractCabinet(const std::wstring& cabinetPath, const std::wstring& targetFolder);
    int GetErrorCode() const { return error.GetErrorCode(); }
    std::wstring GetErrorText() const { return error.GetErrorText(); }
    unsigned long GetLastSystemError() const { return lastSystemError; }
    const std::wstring& GetNextCabinetName() const { return nextCabinetName; }

    bool IsCabinet(const std::wstring& path, FDICABINETINFO* info);
    uint16_t GetCabinetSetId(const std::wstring& path);
    bool ValidateCabinetFile(const std::wstring& path);

    // The seven file primitives the library works through.
    virtual void* Alloc(ULONG size);
    virtual void Free(void* memory);
    virtual UINT Read(INT_PTR file, void* buffer, UINT count);
    virtual UINT Write(INT_PTR file, void* buffer, UINT count);
    virtual int Close(INT_PTR file);
    virtual long Seek(INT_PTR file, long distance, int origin);
    virtual INT_PTR Open(const char* utf8Name, int flags, int mode);

    // The library's notifications.
    INT_PTR Notify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION info);

private:
    bool Initialize();
    INT_PTR OnCabinetInfo(PFDINOTIFICATION info);
    INT_PTR OnNextCabinet(PFDINOTIFICATION info);
    INT_PTR OnCopyFile(PFDINOTIFICATION info);
    INT_PTR OnCloseFile(PFDINOTIFICATION info);
    // Whether the worker must stop, asked once per file; waits while the worker is held.
    bool StopRequested();
    // A file in a folder that holds only what this run writes (freshFolder) or that is not there
    // is handed to the output writer; an existing one goes through the overwrite prompt.
    INT_PTR FileOverwrite(const std::wstring& path, bool freshFolder);
    // Logs a file that is being written and lists it among the written and the package files.
    void RecordExtractedFile(const std::wstring& path);
    void ListExtractedFile(const std::wstring& path);
    // Names the files the output writer removed because they were cut off, and takes them off the
    // lists of written and package files (they are not there any more).
    void ForgetCutOffFiles(const std::vector<COutputWriter::CutOffFile>& files);
    // Opens an output file for writing through the open primitive; createFlags adds _O_EXCL (only a
    // new file) or nothing (create or open).
    INT_PTR OpenOutput(const std::wstring& path, int createFlags);
    // Lists the folder and its parents below the extraction root among the package folders and
    // has the output writer create what is missing. Returns whether the folder holds only files
    // this run writes: one this run creates, or one that was empty when first seen.
    bool CreateFolderTree(const std::wstring& folder);
    bool IsFreshFolder(const std::wstring& folder);
    // Waits until the output writer has carried out everything handed to it; false when it failed.
    bool SettleOutput();
    // Whether the output writer failed; the first time, its failure becomes the engine's.
    bool OutputFailed();
    void LogLine(int level, const wchar_t* function, const std::wstring& text);

    unsigned long lastSystemError = 0;
    bool replacedFile = false;
    HWND window;
    int runMode;
    // The latest answer of the overwrite prompt in this extraction; an answer "to all" stands.
    int overwriteAnswer = 0;
    // The engine's log lines and progress steps on their way to the window.
    CWindowNotices notices;
    std::wstring targetFolder;
    std::wstring nextCabinetName;
    CError error;
    HFDI context = nullptr;
    HMODULE module = nullptr;
    decltype(&FDICreate) fdiCreate = nullptr;
    decltype(&FDICopy) fdiCopy = nullptr;
    decltype(&FDIIsCabinet) fdiIsCabinet = nullptr;
    decltype(&FDIDestroy) fdiDestroy = nullptr;
    // Files the library opened for reading, read through a read-ahead buffer; the signature is
    // checked on every read that starts at offset 0.
    std::map<INT_PTR, CCabinetInput> inputs;
    // The descriptor the library writes the current file to (0 = none); its data goes to the
    // output writer, which runs while ExtractCabinet does.
    INT_PTR currentOutput = 0;
    std::wstring currentOutputPath;
    COutputWriter* output = nullptr;
    bool outputFailureTaken = false;
    // Multi-part packages: the next-cabinet names stored in the cabinets, mapped to the names of
    // the part files on disk.
    std::map<std::string, std::string> renamedCabinets;
    // The folders already in the package-folders list, so that listing a file's folders does not
    // walk the whole list for every file.
    std::unordered_set<std::wstring> listedFolders;
    // The folder of the previous file, known to exist (or to be created first), and whether it
    // holds only what this run writes.
    std::wstring lastCreatedFolder;
    bool lastFolderFresh = false;
    DWORD lastSafePoint = 0;
    // Every folder looked at (by its upper-cased path), and whether it holds only what this run writes.
    std::unordered_map<std::wstring, bool> knownFolders;
    // The files and folders this run creates: a name that comes twice is an existing file the
    // second time.
    CClaimedPaths claimedPaths;
    // Files listed when they were handed to the output writer, and those of them it came to.
    size_t filesHandedOver = 0;
    size_t filesReached = 0;
    // The stored size of the file the library is about to write.
    uint32_t copyFileSize = 0;
};

// A stored name that stays inside the target folder: relative, no drive, no colon, no ".." or
// "." component, no empty component after the leading backslash.
bool IsSafeStoredName(const std::wstring& name);
// The path of the library in the system folder; never the folder the package was started from.
std::wstring SystemCabinetLibraryPath();
