// What the packager writes is read back by the system's cabinet library (FDI in cabinet.dll,
// loaded from the system folder), through callbacks that turn the package's signature back into
// the standard one on the first read of every cabinet, as the program does. Names, bytes, dates
// and attributes must come out as they went in, for one cabinet and for a set whose files
// continue across parts.

#include "../../common/TestData.h"
#include <gtest/gtest.h>

#include <windows.h>
#include <fcntl.h>
#include <fdi.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "cab/CabWriter.h"

namespace fs = std::filesystem;

namespace {

// --- payload -------------------------------------------------------------------------------

using testdata::Incompressible;

std::string Text(size_t size) {
    std::string text;
    for (int line = 0; text.size() < size; ++line)
        text += "line " + std::to_string(line) + ": the quick brown fox jumps over the lazy dog\r\n";
    text.resize(size);
    return text;
}

using testdata::ReadBytes;
using testdata::WriteBytes;

struct Payload {
    std::string relative;  // UTF-8, '/'-separated
    std::string bytes;
    DWORD attributes = 0;  // extra attributes set on the source
};

class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name) {
        path = fs::temp_directory_path() / ("tresk_cabfdi_" + name);
        std::error_code ignored;
        RemoveAll();
        fs::create_directories(path);
    }
    ~ScratchFolder() { RemoveAll(); }
    const fs::path& Path() const { return path; }

private:
    void RemoveAll() {
        std::error_code ignored;
        for (auto it = fs::recursive_directory_iterator(path, ignored); it != fs::recursive_directory_iterator(); ++it)
            SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(path, ignored);
    }
    fs::path path;
};

std::vector<CabSourceFile> MakeSources(const fs::path& root, const std::vector<Payload>& payload) {
    std::vector<CabSourceFile> files;
    for (const Payload& item : payload) {
        fs::path path = root / fs::u8path(item.relative);
        WriteBytes(path, item.bytes);
        if (item.attributes) SetFileAttributesW(path.c_str(), item.attributes);
        std::string stored = "\\" + item.relative;
        for (char& c : stored)
            if (c == '/') c = '\\';
        CabSourceFile file;
        std::string error;
        EXPECT_TRUE(DescribeSourceFile(path.u8string(), stored, file, error)) << error;
        files.push_back(file);
    }
    return files;
}

// --- FDI -----------------------------------------------------------------------------------

std::wstring Wide(const char* utf8) {
    int size = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring wide(size > 0 ? size - 1 : 0, L'\0');
    if (size > 1) MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], size);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], size, nullptr, nullptr);
    return utf8;
}

// What one extraction saw: the files written and the cabinets' facts.
struct FdiRun {
    fs::path target;
    std::map<INT_PTR, long> positions;  // cabinet handles and their file positions
    std::map<INT_PTR, std::wstring> outputs;
    std::vector<std::string> extracted;  // stored names, in order
    std::vector<USHORT> setIds, cabinetNumbers;
    std::string nextCabinet;
    bool nextRequested = false;
    bool badSignature = false;
    int partialFiles = 0;
};
FdiRun* run = nullptr;  // FDI's file callbacks carry no context

FNALLOC(MemAlloc) { return HeapAlloc(GetProcessHeap(), 0, cb); }
FNFREE(MemFree) { HeapFree(GetProcessHeap(), 0, pv); }

FNOPEN(FileOpen) {
    (void)pmode;
    INT_PTR handle = _wopen(Wide(pszFile).c_str(), oflag | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (handle != -1) run->positions[handle] = 0;
    return handle;
}

FNREAD(FileRead) {
    int got = _read(static_cast<int>(hf), pv, cb);
    if (got < 0) return static_cast<UINT>(-1);
    auto position = run->positions.find(hf);
    if (position != run->positions.end()) {
        if (position->second == 0 && got >= 4) {
            // The first bytes of a cabinet: the package's signature, turned into the standard one.
            if (std::memcmp(pv, "QRVA", 4) != 0) {
                run->badSignature = true;
                return static_cast<UINT>(-1);
            }
            std::memcpy(pv, "MSCF", 4);
        }
        position->second += got;
    }
    return static_cast<UINT>(got);
}

FNWRITE(FileWrite) { return static_cast<UINT>(_write(static_cast<int>(hf), pv, cb)); }

FNCLOSE(FileClose) {
    run->positions.erase(hf);
    return _close(static_cast<int>(hf));
}

FNSEEK(FileSeek) {
    long position = _lseek(static_cast<int>(hf), dist, seektype);
    auto entry = run->positions.find(hf);
    if (entry != run->positions.end()) entry->second = position;
    return position;
}

FNFDINOTIFY(Notify) {
    switch (fdint) {
        case fdintCABINET_INFO:
            run->setIds.push_back(pfdin->setID);
            run->cabinetNumbers.push_back(pfdin->iCabinet);
            // A cabinet opened because a file continues into it is still to be gone through by
            // the outer loop, as the program does.
            if (run->nextRequested) run->nextRequested = false;
            else run->nextCabinet = pfdin->psz1;
            return 0;
        case fdintNEXT_CABINET:
            run->nextRequested = true;
            return pfdin->fdie == FDIERROR_NONE ? 0 : -1;
        case fdintPARTIAL_FILE:
            run->partialFiles++;
            return 0;
        case fdintCOPY_FILE: {
            std::wstring name = (pfdin->attribs & _A_NAME_IS_UTF) ? Wide(pfdin->psz1)
                                                                   : std::wstring(pfdin->psz1, pfdin->psz1 + strlen(pfdin->psz1));
            fs::path path = run->target / fs::path(name).relative_path();
            fs::create_directories(path.parent_path());
            int handle = _wopen(path.c_str(), _O_BINARY | _O_CREAT | _O_TRUNC | _O_WRONLY, _S_IREAD | _S_IWRITE);
            if (handle == -1) return -1;
            run->outputs[handle] = path.wstring();
            run->extracted.push_back(Utf8(name));
            return handle;
        }
        case fdintCLOSE_FILE_INFO: {
            std::wstring path = run->outputs[pfdin->hf];
            _close(static_cast<int>(pfdin->hf));
            FILETIME local, utc;
            HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE && DosDateTimeToFileTime(pfdin->date, pfdin->time, &local) &&
                LocalFileTimeToFileTime(&local, &utc))
                SetFileTime(file, &utc, nullptr, &utc);
            if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
            SetFileAttributesW(path.c_str(), pfdin->attribs & 0x27);
            return TRUE;
        }
        default:
            return 0;
    }
}

using FdiCreateFn = decltype(&FDICreate);
using FdiCopyFn = decltype(&FDICopy);
using FdiDestroyFn = decltype(&FDIDestroy);

template <typename Function>
Function Resolve(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// The system's cabinet library, never one lying beside the program.
struct CabinetLibrary {
    HMODULE module = LoadLibraryExW(L"cabinet.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    FdiCreateFn create = Resolve<FdiCreateFn>(module, "FDICreate");
    FdiCopyFn copy = Resolve<FdiCopyFn>(module, "FDICopy");
    FdiDestroyFn destroy = Resolve<FdiDestroyFn>(module, "FDIDestroy");
    ~CabinetLibrary() {
        if (module) FreeLibrary(module);
    }
};

struct ExtractJob {
    CabinetLibrary* library;
    std::string firstCabinet;  // file name
    std::string folder;        // with trailing backslash
    bool ok = false;
    int error = 0;
};

// The program's outer loop: FDICopy on the first cabinet, then on every next cabinet named by
// the last one gone through, until none follows.
DWORD WINAPI ExtractChain(void* parameter) {
    ExtractJob& job = *static_cast<ExtractJob*>(parameter);
    ERF erf{};
    HFDI context = job.library->create(MemAlloc, MemFree, FileOpen, FileRead, FileWrite, FileClose, FileSeek, cpu80386,
                                       &erf);
    if (!context) return 0;
    std::string name = job.firstCabinet;
    job.ok = true;
    for (int guard = 0; guard < 100; ++guard) {
        run->nextCabinet.clear();
        if (!job.library->copy(context, &name[0], &job.folder[0], 0, Notify, nullptr, nullptr)) {
            job.ok = false;
            job.error = erf.erfOper;
            break;
        }
        if (run->nextCabinet.empty() || _stricmp(run->nextCabinet.c_str(), name.c_str()) == 0) break;
        name = run->nextCabinet;
    }
    job.library->destroy(context);
    return 0;
}

// Extracts through FDI on a thread of its own: FDI can loop forever on a set it does not
// understand, and the test must fail then rather than hang.
void ExtractWithFdi(const fs::path& firstCabinet, const fs::path& target, FdiRun& result) {
    CabinetLibrary library;
    ASSERT_TRUE(library.create && library.copy && library.destroy) << "cabinet.dll or its FDI functions are missing";
    result.target = target;
    run = &result;
    ExtractJob job{&library, firstCabinet.filename().u8string(), firstCabinet.parent_path().u8string() + "\\"};
    HANDLE thread = CreateThread(nullptr, 0, ExtractChain, &job, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    if (WaitForSingleObject(thread, 60000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "FDI did not finish within 60 s: stopping the test program\n");
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    CloseHandle(thread);
    run = nullptr;
    EXPECT_FALSE(result.badSignature);
    EXPECT_TRUE(job.ok) << "FDI error " << job.error;
}

// Every payload file came out with its bytes, last-write time and attributes.
void ExpectExtracted(const std::vector<Payload>& payload, const std::vector<CabSourceFile>& sources,
                     const fs::path& target) {
    for (size_t i = 0; i < payload.size(); ++i) {
        fs::path path = target / fs::u8path(payload[i].relative);
        ASSERT_TRUE(fs::exists(path)) << payload[i].relative;
        EXPECT_EQ(ReadBytes(path), payload[i].bytes) << payload[i].relative;
        DWORD attributes = GetFileAttributesW(path.c_str());
        EXPECT_EQ(attributes & 0x27, sources[i].attributes & 0x27u) << payload[i].relative;
        WIN32_FILE_ATTRIBUTE_DATA data;
        ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
        FILETIME local;
        WORD date = 0, time = 0;
        FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
        FileTimeToDosDateTime(&local, &date, &time);
        EXPECT_EQ(date, sources[i].date) << payload[i].relative;
        EXPECT_EQ(time, sources[i].time) << payload[i].relative;
    }
}

std::vector<Payload> MixedPayload() {
    std::vector<Payload> payload = {
        {"setup.exe", Incompressible(70000, 1)},
        {"empty.txt", ""},
        {"exact.bin", Incompressible(32768, 2)},
        {"readme.txt", Text(90000), FILE_ATTRIBUTE_READONLY},
        {"hidden.dat", Text(100), FILE_ATTRIBUTE_HIDDEN},
        {u8"Übersicht/Grüße ✓.txt", Text(5000)},
        {"sub/dir/deep/file.txt", Text(40000)},
    };
    for (int i = 0; i < 40; ++i) payload.push_back({"many/f" + std::to_string(i) + ".txt", Text(50 + i * 37)});
    return payload;
}

TEST(CabFdi, SingleCabinetExtractsWithNamesDatesAndAttributes) {
    ScratchFolder scratch("single");
    std::vector<Payload> payload = MixedPayload();
    std::vector<CabSourceFile> sources = MakeSources(scratch.Path() / "src", payload);
    CabWriteOptions options;
    options.setId = 321;
    CabWriteResult result;
    std::string error;
    fs::path cabinet = scratch.Path() / "payload.cab";
    ASSERT_TRUE(WriteCabinet(sources, cabinet.u8string(), options, result, error)) << error;

    FdiRun fdi;
    ExtractWithFdi(cabinet, scratch.Path() / "out", fdi);
    EXPECT_EQ(fdi.extracted.size(), payload.size());
    EXPECT_EQ(fdi.setIds, std::vector<USHORT>{321});
    ExpectExtracted(payload, sources, scratch.Path() / "out");
}

// A folder without data: every file empty.
TEST(CabFdi, CabinetOfEmptyFilesOnly) {
    ScratchFolder scratch("empty");
    std::vector<Payload> payload = {{"a.txt", ""}, {"sub/b.txt", ""}};
    std::vector<CabSourceFile> sources = MakeSources(scratch.Path() / "src", payload);
    CabWriteResult result;
    std::string error;
    fs::path cabinet = scratch.Path() / "empty.cab";
    ASSERT_TRUE(WriteCabinet(sources, cabinet.u8string(), CabWriteOptions(), result, error)) << error;

    FdiRun fdi;
    ExtractWithFdi(cabinet, scratch.Path() / "out", fdi);
    EXPECT_EQ(fdi.extracted.size(), payload.size());
    ExpectExtracted(payload, sources, scratch.Path() / "out");
}

// Part sizes at the minimum: one file crosses two boundaries, others cross one, and small files
// are gathered between them.
TEST(CabFdi, CabinetSetContinuesFilesAcrossParts) {
    ScratchFolder scratch("set");
    std::vector<Payload> payload = MixedPayload();
    payload.push_back({"zlast/spans-three.bin", Incompressible(150000, 3)});
    payload.push_back({"zlast/tail.txt", Text(3000)});
    std::vector<CabSourceFile> sources = MakeSources(scratch.Path() / "src", payload);
    CabWriteOptions options;
    options.partSize = CAB_MIN_PART_SIZE;
    options.setId = 4711;
    CabWriteResult result;
    std::string error;
    fs::path base = scratch.Path() / "parts" / "pkg";
    fs::create_directories(base.parent_path());
    ASSERT_TRUE(WriteCabinetSet(sources, base.u8string(), options, result, error)) << error;
    ASSERT_GE(result.cabinets.size(), 4u);

    FdiRun fdi;
    ExtractWithFdi(fs::u8path(result.cabinets[0].path), scratch.Path() / "out", fdi);
    EXPECT_EQ(fdi.extracted.size(), payload.size());
    EXPECT_GT(fdi.partialFiles, 0);
    for (USHORT id : fdi.setIds) EXPECT_EQ(id, 4711);
    ExpectExtracted(payload, sources, scratch.Path() / "out");
}

}  // namespace
