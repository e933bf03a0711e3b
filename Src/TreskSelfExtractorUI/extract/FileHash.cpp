#include "extract/FileHash.h"

#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "log/LogFile.h"

namespace {

struct HashJob {
    const std::vector<std::wstring>* paths;
    std::vector<CFileHash>* results;
    std::atomic<size_t> next{0};
};

DWORD WINAPI HashFiles(LPVOID argument) {
    auto* job = static_cast<HashJob*>(argument);
    for (size_t i = job->next++; i < job->paths->size(); i = job->next++) {
        CFileHash& result = (*job->results)[i];
        result.code = ComputeFileHash((*job->paths)[i], result.hash, result.errorText);
    }
    return 0;
}

}  // namespace

unsigned long ComputeFileHash(const std::wstring& path, std::wstring& hash, std::wstring& errorText) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        errorText = FormatWide(L"Error opening file %s", path);
        return error;
    }
    HCRYPTPROV provider = 0;
    HCRYPTHASH sha = 0;
    DWORD error = 0;
    if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
        error = GetLastError();
        errorText = L"CryptAcquireContext failed";
    } else if (!CryptCreateHash(provider, CALG_SHA1, 0, 0, &sha)) {
        error = GetLastError();
        errorText = L"CryptCreateHash failed";
    } else {
        // Large blocks keep hashing near the provider's own speed on part files of gigabytes.
        std::vector<BYTE> block(1 << 20);
        while (true) {
            DWORD read = 0;
            if (!ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &read, nullptr)) {
                error = GetLastError();
                errorText = L"ReadFile failed";
                break;
            }
            if (read == 0) break;
            if (!CryptHashData(sha, block.data(), read, 0)) {
                error = GetLastError();
                errorText = L"CryptHashData failed";
                break;
            }
        }
        if (error == 0) {
            BYTE value[256];
            DWORD size = sizeof(value);
            if (!CryptGetHashParam(sha, HP_HASHVAL, value, &size, 0)) {
                error = GetLastError();
                errorText = L"CryptGetHashParam failed";
            } else {
                static const wchar_t digits[] = L"0123456789abcdef";
                for (DWORD i = 0; i < 16 && i < size; ++i) {
                    hash += digits[value[i] >> 4];
                    hash += digits[value[i] & 15];
                }
            }
        }
    }
    if (sha) CryptDestroyHash(sha);
    if (provider) CryptReleaseContext(provider, 0);
    CloseHandle(file);
    return error;
}

std::vector<CFileHash> ComputeFileHashes(const std::vector<std::wstring>& paths) {
    std::vector<CFileHash> results(paths.size());
    HashJob job;
    job.paths = &paths;
    job.results = &results;
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    // Up to two threads for each processor, one for each file at most: three parts of one size on
    // two processors are then hashed in the time of one and a half, not two, while a long list of
    // parts is still read by only a few threads at a time.
    size_t threadCount = std::min<size_t>(paths.size(), 2 * std::max<DWORD>(system.dwNumberOfProcessors, 1));
    size_t helpers = threadCount > 0 ? threadCount - 1 : 0;
    std::vector<HANDLE> threads;
    for (size_t i = 0; i < helpers; ++i) {
        HANDLE thread = CreateThread(nullptr, 0, HashFiles, &job, 0, nullptr);
        if (thread) threads.push_back(thread);
    }
    // The calling thread hashes too; without helpers it hashes every file.
    HashFiles(&job);
    for (HANDLE thread : threads) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    return results;
}
