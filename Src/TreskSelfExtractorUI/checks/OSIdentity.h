#pragma once
// Naming the running Windows from its plain version data: which generation and edition it is,
// and the texts the package rules and the per-OS extraction folders are written against.

#include <cstdint>
#include <string>

// Processor architectures as the system reports them.
enum : int {
    OS_ARCH_X86 = 0,
    OS_ARCH_ARM = 5,
    OS_ARCH_IA64 = 6,
    OS_ARCH_X64 = 9,
    OS_ARCH_ARM64 = 12,
};

// Everything the identification needs, as the platform reports it.
struct OSVersionData {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    uint32_t platformId = 0;         // 2 for the NT family
    std::wstring servicePackText;    // "Service Pack 1", empty when there is none
    uint32_t servicePackMajor = 0;
    uint32_t suiteMask = 0;
    uint32_t productType = 0;        // 1 workstation, 2 domain controller, 3 server
    int architecture = OS_ARCH_X86;  // native processor architecture
    bool serverR2 = false;           // the second-release metric of 5.2 servers
    bool productInfoAvailable = false;  // the product-info function exists on this system
    uint32_t productInfo = 0;        // product-info number for (major, minor, 0, 0)
};

// The names of one identification. Letter case as produced; the validator lower-cases the
// match name and the version code afterwards.
struct OSIdentity {
    std::wstring displayName;   // "Windows10", "Windows2016"
    std::wstring matchName;     // display name with "64" on 64-bit systems; empty when unknown
    std::wstring versionCode;   // "Windows" + major + minor (+ "64")
    std::wstring versionName;   // "Windows" + major + minor
    std::wstring editionCode;   // "SKU48", or a preset word such as "Standard"
    std::wstring productName;   // "Professional"; "Unknown Product" when not identified
    int is64 = 0;               // a recognised system on an x64 or Itanium processor
    // 0 when identified; 300 when a 6.x or 10.0 system lacks the product-info function, in which
    // case the identification stops after the version rows and the names stay incomplete.
    int status = 0;
};

// The identification proper: version rows, edition table, and the fallback version code for
// systems no row knows. Needs nothing but the data.
OSIdentity IdentifyOS(const OSVersionData& data);

// Edition code and product name of a product-info number for a generation index (6.0: 1,
// 6.1: 2, 6.2: 3, 6.3: 4, 10.0: 5). False when the table has no entry for them.
bool LookupEdition(uint32_t productInfo, int generation, std::wstring& editionCode, std::wstring& productName);

// Service-pack number of the platform's text and major number: digits only, empty when none.
std::wstring ServicePackNumber(const std::wstring& servicePackText, uint32_t servicePackMajor);

// "prod1", "prod2", "prod3" for workstation, domain controller, server; empty otherwise.
std::wstring ProductTag(uint32_t productType);
