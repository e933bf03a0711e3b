#include "checks/OSIdentity.h"

namespace {

// One row of the NT 6.0 to 10.0 generations. A server row with a build range names the 10.0
// servers, whose release is only told apart by the build number.
struct VersionRow {
    uint32_t major, minor;
    bool workstation;            // product type 1
    uint32_t buildFrom, buildTo;  // inclusive range of builds the row covers
    const wchar_t* displayName;
    const wchar_t* matchName32;
    const wchar_t* matchName64;
    const wchar_t* versionCode32;
    const wchar_t* versionCode64;
    const wchar_t* editionPreset;  // nullptr: the edition stays as it was
    int generation;
};

constexpr uint32_t kAnyBuild = 0xFFFFFFFFu;

// In the order the rows are tested.
const VersionRow kVersionRows[] = {
    {10, 0, true, 0, kAnyBuild, L"Windows10", L"Windows10", L"Windows1064", L"Windows100", L"Windows10064", L"Standard", 5},
    {10, 0, false, 0, 17622, L"Windows2016", L"Windows2016", L"Windows201664", L"Windows100", L"Windows10064", L"Standard", 5},
    {10, 0, false, 17623, kAnyBuild, L"Windows2019", L"Windows2019", L"Windows201964", L"Windows100", L"Windows10064", L"Standard", 5},
    {6, 3, true, 0, kAnyBuild, L"Windows8.1", L"Windows8.1", L"Windows8.164", L"Windows63", L"Windows6364", L"Standard", 4},
    {6, 3, false, 0, kAnyBuild, L"Windows2012R2", L"Windows2012R2", L"Windows2012R264", L"Windows63", L"Windows6364", L"Standard", 4},
    {6, 2, true, 0, kAnyBuild, L"Windows8", L"Windows8", L"Windows864", L"Windows62", L"Windows6264", L"", 3},
    {6, 2, false, 0, kAnyBuild, L"Windows2012", L"Windows2012", L"Windows201264", L"Windows62", L"Windows6264", L"Standard", 3},
    {6, 1, true, 0, kAnyBuild, L"Windows7", L"Windows7", L"Windows764", L"Windows61", L"Windows6164", L"Standard", 2},
    {6, 1, false, 0, kAnyBuild, L"Windows2008R2", L"Windows2008R2", L"Windows2008R264", L"Windows61", L"Windows6164", L"Standard", 2},
    {6, 0, true, 0, kAnyBuild, L"WindowsVista", L"WindowsVista", L"WindowsVista64", L"Windows60", L"Windows6064", nullptr, 1},
    {6, 0, false, 0, kAnyBuild, L"Windows2008", L"Windows2008", L"Windows200864", L"Windows60", L"Windows6064", L"Standard", 1},
};

struct EditionRow {
    uint32_t number;
    const wchar_t* productName;
};

// Numbers 1 to 25 name editions of every generation.
const EditionRow kEditionsAll[] = {
    {1, L"Ultimate"}, {2, L"Home Basic"}, {3, L"Home Premium"}, {4, L"Enterprise"}, {5, L"Home Basic(N)"},
    {6, L"Business"}, {7, L"Standard Server"}, {8, L"DataCenter Server"}, {9, L"Small Business Server"},
    {10, L"Enterprise Server"}, {11, L"Starter"}, {12, L"DataCenter Server Core"}, {13, L"Standard Server Core"},
    {14, L"Enterprise Server Core"}, {15, L"Enterprise Server IA64"}, {16, L"Business(N)"}, {17, L"Web Server"},
    {18, L"Cluster Server"}, {19, L"Home Server"}, {20, L"Storage Express Server"},
    {21, L"Storage Standard Server"}, {22, L"Storage Workgroup Server"}, {23, L"Storage Enterprise Server"},
    {24, L"Server for SmallBusiness"}, {25, L"Small Business Server Premium"},
};

// These only from Windows 7 (generation 2) on.
const EditionRow kEditionsFromGeneration2[] = {
    {28, L"Ultimate(N)"}, {47, L"Starter(N)"}, {48, L"Professional"}, {49, L"Professional(N)"},
    {66, L"Starter(E)"}, {67, L"Home Basic(E)"}, {68, L"Home Premium(E)"}, {69, L"Professional(E)"},
    {70, L"Enterprise(E)"}, {71, L"Ultimate(E)"},
};

bool Is64BitArchitecture(int architecture) {
    return architecture == OS_ARCH_X64 || architecture == OS_ARCH_IA64;
}

// Match name and version code of a row: the 64-bit forms on x64 and Itanium, the 32-bit forms
// where allowed, nothing otherwise (the fallback then names the version).
void SetRowNames(OSIdentity& id, int architecture, bool allow32, const wchar_t* match32, const wchar_t* match64,
                 const wchar_t* code32, const wchar_t* code64) {
    if (Is64BitArchitecture(architecture) && match64) {
        id.matchName = match64;
        id.versionCode = code64;
        id.is64 = 1;
    } else if (allow32) {
        id.matchName = match32;
        id.versionCode = code32;
    }
}

// Edition of 5.2 servers from the suite mask.
std::wstring ServerEdition2003(uint32_t suiteMask) {
    if (suiteMask & 0x80) return L"Datacenter";
    if (suiteMask & 0x2) return L"Enterprise";
    if (suiteMask & 0x400) return L"WebEdition";
    return L"Standard";
}

bool IdentifyNt6(const OSVersionData& data, OSIdentity& id) {
    bool workstation = data.productType == 1;
    for (const auto& row : kVersionRows) {
        if (row.major != data.major || row.minor != data.minor || row.workstation != workstation) continue;
        if (data.build < row.buildFrom || data.build > row.buildTo) continue;
        id.displayName = row.displayName;
        id.versionName = row.versionCode32;
        // Workstations keep their 32-bit names on every processor (ARM64 included); servers and
        // Vista only on x86.
        bool vista = row.major == 6 && row.minor == 0;
        bool allow32 = (row.workstation && !vista) || data.architecture == OS_ARCH_X86;
        SetRowNames(id, data.architecture, allow32, row.matchName32, row.matchName64, row.versionCode32,
                    row.versionCode64);
        if (row.editionPreset) {
            id.editionCode = row.editionPreset;
            id.productName = row.editionPreset;
        }
        if (!data.productInfoAvailable) {
            id.status = 300;
            return true;
        }
        LookupEdition(data.productInfo, row.generation, id.editionCode, id.productName);
        return true;
    }
    return false;
}

bool IdentifyNt5(const OSVersionData& data, OSIdentity& id) {
    bool x86 = data.architecture == OS_ARCH_X86;
    if (data.major == 5 && data.minor == 2) {
        bool serverEdition = data.productType != 1;
        if (data.serverR2) {
            id.displayName = L"Windows2003R2";
            SetRowNames(id, data.architecture, x86, L"Windows2003R2", L"Windows2003R264", L"Windows52", L"Windows5264");
            id.versionName = L"Windows52";
        } else if (data.suiteMask == 0x2000 || data.suiteMask == 0x8000) {
            // Storage and home servers have no names of their own; the fallback gives the code.
            id.displayName = L"Windows2003R2";
            id.editionCode = data.suiteMask == 0x2000 ? L"StorageServer" : L"Home";
        } else if (data.productType == 1) {
            id.displayName = L"WindowsXP";
            SetRowNames(id, data.architecture, x86, L"WindowsXP", L"WindowsXP64", L"Windows52", L"Windows5264");
            id.versionName = L"Windows52";
            id.editionCode = L"Basic";
        } else {
            id.displayName = L"Windows2003";
            SetRowNames(id, data.architecture, x86, L"Windows2003", L"Windows200364", L"Windows52", L"Windows5264");
            id.versionName = L"Windows52";
        }
        if (serverEdition) id.editionCode = ServerEdition2003(data.suiteMask);
        id.productName = id.editionCode;
        return true;
    }
    if (data.major == 5 && data.minor == 1) {
        id.displayName = L"WindowsXP";
        SetRowNames(id, data.architecture, true, L"WindowsXP", L"WindowsXP64", L"Windows51", L"Windows5164");
        id.versionName = L"Windows51";
        id.editionCode = (data.suiteMask & 0x200) ? L"Home" : L"Professional";
        id.productName = id.editionCode;
        return true;
    }
    if (data.major == 5 && data.minor == 0) {
        id.displayName = L"Windows2000";
        id.matchName = L"Windows2000";
        id.versionCode = L"Windows50";
        id.versionName = L"Windows50";
        if (data.productType == 1) {
            id.editionCode = L"Professional";
        } else if (data.suiteMask & 0x80) {
            id.editionCode = L"DataCenter";
        } else if (data.suiteMask & 0x2) {
            id.editionCode = L"Enterprise";
        } else {
            id.editionCode = L"Server";
        }
        id.productName = id.editionCode;
        return true;
    }
    return false;
}

// NT 4.0 and the old consumer line: names only, for the vocabulary of the rules.
bool IdentifyLegacy(const OSVersionData& data, OSIdentity& id) {
    struct LegacyRow {
        uint32_t major, minor;
        const wchar_t* name;
        const wchar_t* code;
    };
    static const LegacyRow rows[] = {
        {4, 0, L"WindowsNT", L"Windows40"},
        {4, 10, L"Windows95", L"Windows410"},
        {4, 90, L"Windows98", L"Windows490"},
    };
    for (const auto& row : rows) {
        if (row.major != data.major || row.minor != data.minor) continue;
        id.displayName = row.name;
        id.matchName = row.name;
        id.versionCode = row.code;
        id.versionName = row.code;
        id.editionCode = L"Basic";
        id.productName = id.editionCode;
        return true;
    }
    return false;
}

}  // namespace

bool LookupEdition(uint32_t productInfo, int generation, std::wstring& editionCode, std::wstring& productName) {
    for (const auto& row : kEditionsAll) {
        if (row.number != productInfo) continue;
        editionCode = L"SKU" + std::to_wstring(row.number);
        productName = row.productName;
        return true;
    }
    if (generation < 2) return false;
    for (const auto& row : kEditionsFromGeneration2) {
        if (row.number != productInfo) continue;
        editionCode = L"SKU" + std::to_wstring(row.number);
        productName = row.productName;
        return true;
    }
    return false;
}

OSIdentity IdentifyOS(const OSVersionData& data) {
    OSIdentity id;
    id.editionCode = L"Basic";
    id.productName = L"Unknown Product";

    bool found = false;
    if (data.platformId == 2 && data.major > 4) {
        found = IdentifyNt6(data, id) || IdentifyNt5(data, id);
    } else {
        found = IdentifyLegacy(data, id);
    }
    if (found && id.status != 0) return id;

    // A version no row knows, or a server on a processor without names of its own (ARM64):
    // the version code is made from the numbers, and no match name is given.
    if (id.versionCode.empty()) {
        std::wstring numbers = std::to_wstring(data.major) + std::to_wstring(data.minor);
        id.versionCode = L"Windows" + numbers + (Is64BitArchitecture(data.architecture) ? L"64" : L"");
        id.versionName = L"Windows" + numbers;
    }
    return id;
}

std::wstring ServicePackNumber(const std::wstring& servicePackText, uint32_t servicePackMajor) {
    std::wstring number;
    if (!servicePackText.empty()) {
        // "Service Pack 1" gives "1": every leading character that occurs in "Service Pack " goes.
        size_t first = servicePackText.find_first_not_of(L"Service Pack ");
        number = first == std::wstring::npos ? std::wstring() : servicePackText.substr(first);
    }
    if (servicePackMajor != 0) number = std::to_wstring(servicePackMajor);
    return number;
}

std::wstring ProductTag(uint32_t productType) {
    switch (productType) {
        case 1: return L"prod1";
        case 2: return L"prod2";
        case 3: return L"prod3";
        default: return std::wstring();
    }
}
