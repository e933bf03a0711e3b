#pragma once
// Helpers of the environment-check tests: settings files as the packager writes them, a capture
// of the log, and a scratch registry key in both registry views.

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "checks/OSIdentity.h"
#include "log/BuildLogFile.h"
#include "util/Util.h"

// Version data of a system: version, product type, architecture, product-info number (the
// product-info query exists from version 6 on).
inline OSVersionData System(uint32_t major, uint32_t minor, uint32_t productType, int architecture,
                            uint32_t productInfo = 0, uint32_t build = 0, uint32_t suiteMask = 0) {
    OSVersionData data;
    data.major = major;
    data.minor = minor;
    data.build = build;
    data.platformId = 2;
    data.productType = productType;
    data.architecture = architecture;
    data.productInfoAvailable = major >= 6;
    data.productInfo = productInfo;
    data.suiteMask = suiteMask;
    return data;
}

// Writes an INI file in UTF-16LE with byte-order mark, as the packager does.
inline void WriteIni(const std::wstring& path, const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    WriteBytes(path, bytes);
}

// Points the process log at a scratch file for the lifetime of the object.
class LogCapture {
public:
    LogCapture() { theLog.InitLog(path, LOG_THRESHOLD_DEBUG); }
    ~LogCapture() { theLog.InitLog(L"", LOG_THRESHOLD_NORMAL); }

    // The message parts (after the function column) of every line written so far.
    std::vector<std::string> Messages() const {
        std::vector<std::string> messages;
        for (const auto& line : ReadLogLines(path)) {
            // time (8) "|" level word (10) "|" function column (35 or more) " |" message
            size_t bar = line.find(" |", 20 + 35);
            if (bar != std::string::npos) messages.push_back(line.substr(bar + 2));
        }
        return messages;
    }
    bool Has(const std::string& message) const {
        for (const auto& line : Messages())
            if (line == message) return true;
        return false;
    }
    size_t Count(const std::string& message) const {
        size_t count = 0;
        for (const auto& line : Messages()) count += line == message;
        return count;
    }

private:
    ScratchFolder folder{L"checkslog"};
    std::wstring path = folder / L"checks.log";
};

// True for a 64-bit build: the tests also run as one on hosts that cannot run 32-bit programs.
constexpr bool kBuildIs64 = sizeof(void*) == 8;

// The registry view that a read without an explicit view reaches: the running program's own, so
// the 32-bit view for the program that ships and the 64-bit view for a 64-bit build.
constexpr REGSAM kDefaultView = kBuildIs64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;

// True when Windows itself is 64-bit: a 64-bit build, or a 32-bit one under WOW64.
inline bool IsSystem64Bit() {
    BOOL wow64 = FALSE;
    return kBuildIs64 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

// True on 64-bit Windows, where the two registry views differ.
inline bool HasTwoRegistryViews() { return IsSystem64Bit(); }

// A fresh key HKEY_LOCAL_MACHINE\Software\TreskChecks_{guid} in both registry views, removed at
// the end.
class RegistryScratch {
public:
    RegistryScratch() : name(L"Software\\TreskChecks_" + CUtil::NewGuidText()) {}
    ~RegistryScratch() {
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            HKEY software = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_ALL_ACCESS | view, &software) == ERROR_SUCCESS) {
                RegDeleteTreeW(software, name.substr(9).c_str());
                RegCloseKey(software);
            }
        }
    }

    // The key path below HKEY_LOCAL_MACHINE, and the full path a condition names.
    const std::wstring& Key() const { return name; }
    std::wstring ConditionPath(const std::wstring& value) const { return L"HKEY_LOCAL_MACHINE\\" + name + L"\\" + value; }

    void Write(REGSAM view, const std::wstring& value, DWORD type, const void* data, DWORD size,
               const std::wstring& subKey = L"") const {
        HKEY key = nullptr;
        std::wstring path = subKey.empty() ? name : name + L"\\" + subKey;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(key, value.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    void WriteText(REGSAM view, const std::wstring& value, const std::wstring& text, DWORD type = REG_SZ) const {
        Write(view, value, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    void WriteDword(REGSAM view, const std::wstring& value, DWORD number) const {
        Write(view, value, REG_DWORD, &number, sizeof(number));
    }

private:
    std::wstring name;
};

// The folder of the running test program (the fixture programs are built next to it).
inline std::wstring TestProgramFolder() {
    return CUtil::GetProgramFolder();
}
