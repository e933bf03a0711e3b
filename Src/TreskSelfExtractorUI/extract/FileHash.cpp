#include "extract/FileHash.h"

#include <windows.h>
#include <wincrypt.h>

#include <vector>

#include "log/LogFile.h"

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
