// The floor the extraction benchmark measures the program against: the system's cabinet library
// driven the plainest way, with nothing of the program around it.
//
//   cab_floor TARGET CABINET...      extracts one cabinet or the parts of a set into TARGET
//   cab_floor --null CABINET...      inflates every file and writes it to the null device
//
// One FDICopy per cabinet given, in order (a file that continues into the next cabinet is followed
// by the library; the next call skips its continued part). Every write goes straight to the file,
// times and attributes are set when a file is closed, nothing is logged. The package's signature
// "QRVA" is swapped back to "MSCF" when a cabinet's first bytes are read. Prints the files and
// bytes written; exits 0 on success, 1 on a failure, 2 on wrong arguments.

#include <windows.h>
#include <fdi.h>
#include <fcntl.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

bool g_null = false;
HANDLE g_nullDevice = INVALID_HANDLE_VALUE;
std::wstring g_target;
std::wstring g_lastFolder;
// Files the library opened for reading, with their offset: the signature is swapped on a read at 0.
std::map<INT_PTR, long> g_inputs;
unsigned long long g_files = 0, g_bytes = 0;

std::wstring Wide(const char* text, UINT codePage) {
    int length = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1) MultiByteToWideChar(codePage, 0, text, -1, &wide[0], length);
    return wide;
}

std::string Utf8(const std::wstring& text) {
    int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(length > 0 ? length - 1 : 0, '\0');
    if (length > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &narrow[0], length, nullptr, nullptr);
    return narrow;
}

FNALLOC(Alloc) { return HeapAlloc(GetProcessHeap(), 0, cb); }
FNFREE(Free) { HeapFree(GetProcessHeap(), 0, pv); }

FNOPEN(Open) {
    (void)pmode;
    bool write = (oflag & (_O_WRONLY | _O_RDWR)) != 0;
    HANDLE file = CreateFileW(Wide(pszFile, CP_UTF8).c_str(), write ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                              FILE_SHARE_READ, nullptr, (oflag & _O_CREAT) ? CREATE_ALWAYS : OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    if (!write) g_inputs[reinterpret_cast<INT_PTR>(file)] = 0;
    return reinterpret_cast<INT_PTR>(file);
}

FNREAD(Read) {
    DWORD read = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(hf), pv, cb, &read, nullptr)) return static_cast<UINT>(-1);
    auto input = g_inputs.find(hf);
    if (input != g_inputs.end()) {
        if (input->second == 0 && read >= 4 && std::memcmp(pv, "QRVA", 4) == 0) std::memcpy(pv, "MSCF", 4);
        input->second += static_cast<long>(read);
    }
    return read;
}

FNWRITE(Write) {
    DWORD written = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(hf), pv, cb, &written, nullptr) || written != cb) return static_cast<UINT>(-1);
    g_bytes += written;
    return written;
}

FNCLOSE(Close) {
    HANDLE file = reinterpret_cast<HANDLE>(hf);
    if (file != g_nullDevice) CloseHandle(file);
    g_inputs.erase(hf);
    return 0;
}

FNSEEK(Seek) {
    DWORD method = seektype == SEEK_CUR ? FILE_CURRENT : seektype == SEEK_END ? FILE_END : FILE_BEGIN;
    DWORD position = SetFilePointer(reinterpret_cast<HANDLE>(hf), dist, nullptr, method);
    if (position == INVALID_SET_FILE_POINTER) return -1;
    auto input = g_inputs.find(hf);
    if (input != g_inputs.end()) input->second = static_cast<long>(position);
    return static_cast<long>(position);
}

// Creates the folder and its missing parents; the folder of the previous file is known to exist.
void CreateFolder(const std::wstring& folder) {
    if (folder == g_lastFolder) return;
    for (size_t slash = folder.find(L'\\', 3); slash != std::wstring::npos; slash = folder.find(L'\\', slash + 1))
        CreateDirectoryW(folder.substr(0, slash).c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    g_lastFolder = folder;
}

FNFDINOTIFY(Notify) {
    switch (fdint) {
        case fdintCOPY_FILE: {
            ++g_files;
            if (g_null) return reinterpret_cast<INT_PTR>(g_nullDevice);
            std::wstring name = Wide(pfdin->psz1, (pfdin->attribs & _A_NAME_IS_UTF) ? CP_UTF8 : 28591);
            if (name.empty() || name[0] != L'\\') name = L"\\" + name;
            std::wstring path = g_target + name;
            CreateFolder(path.substr(0, path.find_last_of(L'\\')));
            HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            return file == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<INT_PTR>(file);
        }
        case fdintCLOSE_FILE_INFO: {
            HANDLE file = reinterpret_cast<HANDLE>(pfdin->hf);
            if (file == g_nullDevice) return TRUE;
            FILETIME local, utc;
            if (DosDateTimeToFileTime(pfdin->date, pfdin->time, &local) && LocalFileTimeToFileTime(&local, &utc))
                SetFileTime(file, &utc, nullptr, &utc);
            CloseHandle(file);
            USHORT kept = pfdin->attribs & (_A_RDONLY | _A_HIDDEN | _A_SYSTEM | _A_ARCH);
            if (kept != _A_ARCH) {
                std::wstring name = Wide(pfdin->psz1, (pfdin->attribs & _A_NAME_IS_UTF) ? CP_UTF8 : 28591);
                if (name.empty() || name[0] != L'\\') name = L"\\" + name;
                SetFileAttributesW((g_target + name).c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL);
            }
            return TRUE;
        }
        default:
            return 0;  // cabinet information, next cabinet (same folder), continued parts
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: cab_floor TARGET CABINET...\n       cab_floor --null CABINET...\n");
        return 2;
    }
    g_null = std::wcscmp(argv[1], L"--null") == 0;
    if (g_null) {
        g_nullDevice = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                   nullptr);
        if (g_nullDevice == INVALID_HANDLE_VALUE) return 1;
    } else {
        g_target = argv[1];
        while (!g_target.empty() && g_target.back() == L'\\') g_target.pop_back();
        CreateFolder(g_target);
    }
    HMODULE library = LoadLibraryExW(L"cabinet.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    auto create = library ? reinterpret_cast<decltype(&FDICreate)>(reinterpret_cast<void*>(GetProcAddress(library, "FDICreate"))) : nullptr;
    auto copy = library ? reinterpret_cast<decltype(&FDICopy)>(reinterpret_cast<void*>(GetProcAddress(library, "FDICopy"))) : nullptr;
    if (!create || !copy) {
        std::fprintf(stderr, "cab_floor: cannot load the cabinet library\n");
        return 1;
    }
    ERF erf = {};
    HFDI context = create(Alloc, Free, Open, Read, Write, Close, Seek, cpu80386, &erf);
    if (!context) return 1;
    for (int i = 2; i < argc; ++i) {
        std::wstring path = argv[i];
        size_t slash = path.find_last_of(L'\\');
        std::string folder = Utf8(path.substr(0, slash + 1)), name = Utf8(path.substr(slash + 1));
        if (!copy(context, &name[0], &folder[0], 0, Notify, nullptr, nullptr)) {
            std::fprintf(stderr, "cab_floor: %ls failed: library error %d\n", argv[i], erf.erfOper);
            return 1;
        }
    }
    std::printf("files %llu\nbytes %llu\n", g_files, g_bytes);
    return 0;
}
