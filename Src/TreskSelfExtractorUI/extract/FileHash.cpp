#include "extract/FileHash.h"

#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "log/LogFile.h"
#include "util/Handles.h"
#include "util/Sha.h"

namespace {

struct HashJob {
    const std::vector<std::wstring>* paths;
    std::vector<CFileHash>* results;
    bool withSha256 = false;
    std::atomic<size_t> next{0};
};

DWORD WINAPI HashFiles(LPVOID argument) {
    auto* job = static_cast<HashJob*>(argument);
    for (size_t i = job->next++; i < job->paths->size(); i = job->next++) {
        CFileHash& result = (*job->results)[i];
        result.code = ComputeFileHash((*job->paths)[i], result.hash, result.errorText,
                                      job->withSha256 ? &result.sha256 : nullptr);
    }
    return 0;
}

}  // namespace

namespace {

// Reads the file to its end in large blocks (they keep hashing near the hash's own speed on part
// files of gigabytes), handing each block to consume, which returns false with the error text set
// when it fails. 0, or the platform error.
template <typename Consume>
DWORD ReadBlocks(HANDLE file, std::wstring& errorText, Consume consume) {
    std::vector<BYTE> block(1 << 20);
    while (true) {
        DWORD read = 0;
        if (!ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &read, nullptr)) {
            errorText = L"ReadFile failed";
            return GetLastError();
        }
        if (read == 0) return 0;
        if (!consume(block.data(), read)) return GetLastError();
    }
}

// Both digests through the shared implementation and the processor's SHA instructions.
DWORD HashWithInstructions(HANDLE file, std::wstring& hash, std::wstring& sha256, std::wstring& errorText) {
    Sha1 prefix;
    Sha256 whole;
    DWORD error = ReadBlocks(file, errorText, [&](const BYTE* data, DWORD size) {
        prefix.Update(data, size);
        whole.Update(data, size);
        return true;
    });
    if (error != 0) return error;
    uint8_t digest1[20], digest256[32];
    prefix.Final(digest1);
    whole.Final(digest256);
    hash += HexWideText(digest1, 16);
    sha256 += HexWideText(digest256, 32);
    return 0;
}

// The SHA-1 through the system's crypto provider; the SHA-256, when asked for, through the shared
// implementation (the provider's runs at a third of its SHA-1 under Wine).
DWORD HashWithProvider(HANDLE file, std::wstring& hash, std::wstring* sha256, std::wstring& errorText) {
    HCRYPTPROV provider = 0;
    HCRYPTHASH sha = 0;
    DWORD error = 0;
    Sha256 whole;
    if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
        error = GetLastError();
        errorText = L"CryptAcquireContext failed";
    } else if (!CryptCreateHash(provider, CALG_SHA1, 0, 0, &sha)) {
        error = GetLastError();
        errorText = L"CryptCreateHash failed";
    } else {
        error = ReadBlocks(file, errorText, [&](const BYTE* data, DWORD size) {
            if (!CryptHashData(sha, data, size, 0)) {
                errorText = L"CryptHashData failed";
                return false;
            }
            if (sha256) whole.Update(data, size);
            return true;
        });
        BYTE value[256];
        DWORD size = sizeof(value);
        if (error == 0 && !CryptGetHashParam(sha, HP_HASHVAL, value, &size, 0)) {
            error = GetLastError();
            errorText = L"CryptGetHashParam failed";
        } else if (error == 0) {
            hash += HexWideText(value, size < 16 ? size : 16);
            if (sha256) {
                uint8_t digest[32];
                whole.Final(digest);
                *sha256 += HexWideText(digest, 32);
            }
        }
    }
    if (sha) CryptDestroyHash(sha);
    if (provider) CryptReleaseContext(provider, 0);
    return error;
}

}  // namespace

unsigned long ComputeFileHash(const std::wstring& path, std::wstring& hash, std::wstring& errorText,
                              std::wstring* sha256) {
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        DWORD error = GetLastError();
        errorText = FormatWide(L"Error opening file %s", path);
        return error;
    }
    // Checking a part's SHA-256 as well must not make the check slower than the SHA-1 alone was:
    // with the SHA instructions both digests together cost less than the provider's SHA-1 alone.
    // The hash of the settings file, and of parts without a SHA-256, stays the provider's.
    return sha256 && ShaInstructionsAvailable() ? HashWithInstructions(file.Get(), hash, *sha256, errorText)
                                                : HashWithProvider(file.Get(), hash, sha256, errorText);
}

std::vector<CFileHash> ComputeFileHashes(const std::vector<std::wstring>& paths, bool withSha256) {
    std::vector<CFileHash> results(paths.size());
    HashJob job;
    job.paths = &paths;
    job.results = &results;
    job.withSha256 = withSha256;
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    // Up to two threads for each processor, one for each file at most: three parts of one size on
    // two processors are then hashed in the time of one and a half, not two, while a long list of
    // parts is still read by only a few threads at a time.
    size_t threadCount = std::min<size_t>(paths.size(), 2 * std::max<DWORD>(system.dwNumberOfProcessors, 1));
    size_t helpers = threadCount > 0 ? threadCount - 1 : 0;
    std::vector<KernelHandle> threads;
    for (size_t i = 0; i < helpers; ++i) {
        KernelHandle thread(CreateThread(nullptr, 0, HashFiles, &job, 0, nullptr));
        if (thread) threads.push_back(std::move(thread));
    }
    // The calling thread hashes too; without helpers it hashes every file.
    HashFiles(&job);
    for (const KernelHandle& thread : threads) WaitForSingleObject(thread.Get(), INFINITE);
    return results;
}
