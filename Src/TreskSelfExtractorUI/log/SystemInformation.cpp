#include "log/SystemInformation.h"

#include <windows.h>

#include <cmath>

#include "checks/OSValidator.h"
#include "log/BuildLogFile.h"
#include "package/QirvaInitalizer.h"
#include "util/Handles.h"

namespace {

std::wstring ScaledSize(const wchar_t* label, uint64_t bytes) {
    double value = 0;
    std::wstring unit;
    CUtil::GetSizeUnit(static_cast<int64_t>(bytes), value, unit);
    return FormatWide(L"%s: %.02lf %s", label, value, unit);
}

}  // namespace

std::wstring RamSizeText(uint32_t totalPhysicalBytes) {
    double gigabytes = std::ceil(static_cast<double>(totalPhysicalBytes >> 10) / 1024.0 / 1024.0);
    return FormatWide(L"%.02lf", gigabytes);
}

std::wstring DriveSpaceText(uint64_t totalBytes, uint64_t freeBytes) {
    return ScaledSize(L"Total Space", totalBytes) + L"\t" + ScaledSize(L"Used space", totalBytes - freeBytes) + L"\t" +
           ScaledSize(L"Free space", freeBytes);
}

std::wstring GetUILanguageName(int language) {
    static const struct {
        int id;
        const wchar_t* name;
    } names[] = {
        {0, L"Language Independent"},   {1025, L"Arabic (Saudi Arabia)"}, {1026, L"Bulgarian"},
        {1027, L"Catalan"},             {1028, L"Chinese (Traditional)"}, {1029, L"Czech"},
        {1030, L"Danish"},              {1031, L"German"},                {1032, L"Greek"},
        {1033, L"English"},             {1034, L"Spanish (Traditional Sort)"}, {1035, L"Finnish"},
        {1036, L"French(France)"},      {1037, L"Hebrew"},                {1038, L"Hungarian"},
        {1040, L"Italian"},             {1041, L"Japanese"},              {1042, L"Korean"},
        {1043, L"Dutch"},               {1044, L"Norwegian (Bokmal)"},    {1045, L"Polish"},
        {1046, L"Portuguese (Brazil)"}, {1048, L"Romanian"},              {1049, L"Russian"},
        {1050, L"Croatian"},            {1051, L"Slovak"},                {1053, L"Swedish"},
        {1054, L"Thai"},                {1055, L"Turkish"},               {1057, L"Indonesian"},
        {1060, L"Slovenian"},           {1069, L"Basque"},                {2052, L"Chinese (Simplified)"},
        {2070, L"Portuguese (Portugal)"}, {3082, L"Spanish - Modern Sort"}, {3084, L"French(Canada)"},
        {3098, L"Serbian (Cyrillic)"},
    };
    for (const auto& entry : names)
        if (entry.id == language) return entry.name;
    return L"Unknown";
}

std::wstring DateText(int weekday, int month, int day, int year) {
    static const wchar_t* const days[] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                          L"Thursday", L"Friday", L"Saturday"};
    static const wchar_t* const months[] = {L"January", L"February", L"March",     L"April",   L"May",      L"June",
                                            L"July",    L"August",   L"September", L"October", L"November", L"December"};
    if (weekday < 0 || weekday > 6 || month < 1 || month > 12) return std::wstring();
    return FormatWide(L"%s, %s %02d, %d", days[weekday], months[month - 1], day, year);
}

std::vector<std::pair<std::wstring, std::wstring>> ProcessorLines(const std::vector<std::wstring>& scanned) {
    std::vector<std::pair<std::wstring, std::wstring>> lines;
    int number = 1;
    for (auto it = scanned.rbegin(); it != scanned.rend(); ++it, ++number)
        lines.emplace_back(scanned.size() == 1 ? std::wstring(L"Processor") : FormatWide(L"Processor %d", number), *it);
    return lines;
}

std::wstring DriveLabel(const std::wstring& root, const std::wstring& fileSystem) {
    return fileSystem.empty() ? FormatWide(L"Space Info on Drive: %s", root)
                              : FormatWide(L"Space Info on Drive: %s (%s)", root, fileSystem);
}

std::wstring GetRamSize() {
    MEMORYSTATUS status = {};
    status.dwLength = sizeof(status);
    GlobalMemoryStatus(&status);
    return RamSizeText(static_cast<uint32_t>(status.dwTotalPhys));
}

void GetProcessorNames(std::vector<std::wstring>& names) {
    for (int n = 0;; ++n) {
        std::wstring key = FormatWide(L"%s%d", L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\", n);
        RegistryKey handle;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, handle.Receive()) != ERROR_SUCCESS) return;
        wchar_t value[1024] = {};
        DWORD size = sizeof(value) - sizeof(wchar_t);
        DWORD type = 0;
        LONG result = RegQueryValueExW(handle.Get(), L"ProcessorNameString", nullptr, &type,
                                       reinterpret_cast<BYTE*>(value), &size);
        std::wstring name = result == ERROR_SUCCESS && type == REG_SZ ? CUtil::Trim(value) : std::wstring();
        names.push_back(name);
        if (name.empty()) return;
    }
}

int GetFixedDrives(TextList& roots) {
    DWORD drives = GetLogicalDrives();
    if (drives == 0) return -1;
    for (int letter = 0; letter < 26; ++letter) {
        if (!(drives & (1u << letter))) continue;
        std::wstring root = FormatWide(L"%c:\\", L'A' + letter);
        if (GetDriveTypeW(root.c_str()) == DRIVE_FIXED) roots.push_back(root);
    }
    return 0;
}

std::wstring GetDriveSpaceText(const std::wstring& root) {
    ULARGE_INTEGER available, total, free;
    if (GetDiskFreeSpaceExW(root.c_str(), &available, &total, &free)) return DriveSpaceText(total.QuadPart, free.QuadPart);
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
        uint64_t cluster = uint64_t(sectorsPerCluster) * bytesPerSector;
        return DriveSpaceText(totalClusters * cluster, freeClusters * cluster);
    }
    return L"No Information";
}

std::wstring GetFileSystemName(const std::wstring& root) {
    wchar_t name[1024] = {};
    if (!GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, name, 1024)) return std::wstring();
    return name;
}

void WriteSystemInformation() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    theLog.Log(LOG_INFO, L"Date", L"%s", DateText(now.wDayOfWeek, now.wMonth, now.wDay, now.wYear));
    theLog.WriteRaw(L"-------------------------------------- System Information --------------------------------------\n");
    theLog.Log(LOG_INFO, L"RAM Size", L"%s GB", GetRamSize());

    std::vector<std::wstring> processors;
    GetProcessorNames(processors);
    for (const auto& line : ProcessorLines(processors)) theLog.Log(LOG_INFO, line.first.c_str(), L"%s", line.second);

    wchar_t computer[1024] = {};
    DWORD size = 1024;
    if (!GetComputerNameW(computer, &size)) computer[0] = 0;
    theLog.Log(LOG_INFO, L"Computer name", L"%s", computer);

    TextList drives;
    GetFixedDrives(drives);
    for (const auto& root : drives)
        theLog.Log(LOG_INFO, DriveLabel(root, GetFileSystemName(root)).c_str(), L"%s", GetDriveSpaceText(root));

    theOSValidator.SetSettingsFile(theInitializer.GetSettingsPath());
    theOSValidator.OSVersion(1);

    LCID system = GetSystemDefaultLCID();
    wchar_t systemName[86] = {};
    GetLocaleInfoW(system, LOCALE_SENGLANGUAGE, systemName, 85);
    theLog.Log(LOG_INFO, L"System Language", L"%s", FormatWide(L"%s (%u)", systemName, static_cast<unsigned>(system)));
    int uiLanguage = CUtil::GetUserUILanguage();
    theLog.Log(LOG_INFO, L"UI Language", L"%s",
               FormatWide(L"%s (%u)", GetUILanguageName(uiLanguage), static_cast<unsigned>(uiLanguage)));
    theLog.WriteRaw(L"%s\n", std::wstring(95, L'-'));
}
