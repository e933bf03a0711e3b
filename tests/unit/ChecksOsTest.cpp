// Naming the running Windows: the version rows, the edition table, the fallback for unknown
// versions, and what the validator keeps and logs in each mode.
#include <gtest/gtest.h>

#include "ChecksTestSupport.h"
#include "checks/OSValidator.h"
#include "package/UiText.h"

namespace {

struct IdentityCase {
    const char* label;
    OSVersionData data;
    const wchar_t* displayName;
    const wchar_t* matchName;
    const wchar_t* versionCode;
    const wchar_t* versionName;
    const wchar_t* editionCode;
    const wchar_t* productName;
    int is64;
};

OSVersionData Legacy(uint32_t major, uint32_t minor, uint32_t platformId) {
    OSVersionData data = System(major, minor, 1, OS_ARCH_X86);
    data.platformId = platformId;
    return data;
}

OSVersionData R2(uint32_t productType, int architecture, uint32_t suiteMask) {
    OSVersionData data = System(5, 2, productType, architecture, 0, 3790, suiteMask);
    data.serverR2 = true;
    return data;
}

TEST(IdentifyOS, EveryVersionRow) {
    const IdentityCase cases[] = {
        // 10.0: workstations keep the 32-bit names on ARM64; servers split at build 17623.
        {"10 pro x64", System(10, 0, 1, OS_ARCH_X64, 48, 19045), L"Windows10", L"Windows1064", L"Windows10064", L"Windows100", L"SKU48", L"Professional", 1},
        {"10 home x86", System(10, 0, 1, OS_ARCH_X86, 101, 19045), L"Windows10", L"Windows10", L"Windows100", L"Windows100", L"Standard", L"Standard", 0},
        {"10 arm64", System(10, 0, 1, OS_ARCH_ARM64, 48), L"Windows10", L"Windows10", L"Windows100", L"Windows100", L"SKU48", L"Professional", 0},
        {"2016 b17622", System(10, 0, 3, OS_ARCH_X64, 7, 17622), L"Windows2016", L"Windows201664", L"Windows10064", L"Windows100", L"SKU7", L"Standard Server", 1},
        {"2019 b17623", System(10, 0, 3, OS_ARCH_X86, 0, 17623), L"Windows2019", L"Windows2019", L"Windows100", L"Windows100", L"Standard", L"Standard", 0},
        {"2019 dc x64", System(10, 0, 2, OS_ARCH_X64, 8, 17763), L"Windows2019", L"Windows201964", L"Windows10064", L"Windows100", L"SKU8", L"DataCenter Server", 1},
        {"2019 arm64", System(10, 0, 3, OS_ARCH_ARM64, 0, 17763), L"Windows2019", L"", L"Windows100", L"Windows100", L"Standard", L"Standard", 0},
        // 6.3 and 6.2; Windows 8 has no edition preset.
        {"8.1 x64", System(6, 3, 1, OS_ARCH_X64, 4), L"Windows8.1", L"Windows8.164", L"Windows6364", L"Windows63", L"SKU4", L"Enterprise", 1},
        {"2012R2", System(6, 3, 3, OS_ARCH_X86), L"Windows2012R2", L"Windows2012R2", L"Windows63", L"Windows63", L"Standard", L"Standard", 0},
        {"8 x86", System(6, 2, 1, OS_ARCH_X86), L"Windows8", L"Windows8", L"Windows62", L"Windows62", L"", L"", 0},
        {"8 x64 pro", System(6, 2, 1, OS_ARCH_X64, 48), L"Windows8", L"Windows864", L"Windows6264", L"Windows62", L"SKU48", L"Professional", 1},
        {"2012 x64", System(6, 2, 3, OS_ARCH_X64), L"Windows2012", L"Windows201264", L"Windows6264", L"Windows62", L"Standard", L"Standard", 1},
        {"2012 arm", System(6, 2, 3, OS_ARCH_ARM), L"Windows2012", L"", L"Windows62", L"Windows62", L"Standard", L"Standard", 0},
        // 6.1 and 6.0; Itanium counts as 64-bit; Vista keeps its 32-bit names only on x86.
        {"7 x86", System(6, 1, 1, OS_ARCH_X86, 1), L"Windows7", L"Windows7", L"Windows61", L"Windows61", L"SKU1", L"Ultimate", 0},
        {"2008R2 ia64", System(6, 1, 3, OS_ARCH_IA64, 15), L"Windows2008R2", L"Windows2008R264", L"Windows6164", L"Windows61", L"SKU15", L"Enterprise Server IA64", 1},
        {"2008R2 x86", System(6, 1, 3, OS_ARCH_X86), L"Windows2008R2", L"Windows2008R2", L"Windows61", L"Windows61", L"Standard", L"Standard", 0},
        {"vista x86", System(6, 0, 1, OS_ARCH_X86), L"WindowsVista", L"WindowsVista", L"Windows60", L"Windows60", L"Basic", L"Unknown Product", 0},
        {"vista x64", System(6, 0, 1, OS_ARCH_X64, 3), L"WindowsVista", L"WindowsVista64", L"Windows6064", L"Windows60", L"SKU3", L"Home Premium", 1},
        {"vista arm", System(6, 0, 1, OS_ARCH_ARM), L"WindowsVista", L"", L"Windows60", L"Windows60", L"Basic", L"Unknown Product", 0},
        {"2008", System(6, 0, 3, OS_ARCH_X86, 48), L"Windows2008", L"Windows2008", L"Windows60", L"Windows60", L"Standard", L"Standard", 0},
        // 5.2: the R2 metric first, then the storage and home suites, then workstation and server.
        {"2003R2 dc", R2(3, OS_ARCH_X86, 0x80), L"Windows2003R2", L"Windows2003R2", L"Windows52", L"Windows52", L"Datacenter", L"Datacenter", 0},
        {"2003R2 x64", R2(3, OS_ARCH_X64, 0x2), L"Windows2003R2", L"Windows2003R264", L"Windows5264", L"Windows52", L"Enterprise", L"Enterprise", 1},
        {"2003R2 ws", R2(1, OS_ARCH_X86, 0x80), L"Windows2003R2", L"Windows2003R2", L"Windows52", L"Windows52", L"Basic", L"Basic", 0},
        {"storage ws", System(5, 2, 1, OS_ARCH_X86, 0, 0, 0x2000), L"Windows2003R2", L"", L"Windows52", L"Windows52", L"StorageServer", L"StorageServer", 0},
        {"storage srv", System(5, 2, 3, OS_ARCH_X64, 0, 0, 0x2000), L"Windows2003R2", L"", L"Windows5264", L"Windows52", L"Standard", L"Standard", 0},
        {"home srv", System(5, 2, 1, OS_ARCH_X86, 0, 0, 0x8000), L"Windows2003R2", L"", L"Windows52", L"Windows52", L"Home", L"Home", 0},
        {"xp x64", System(5, 2, 1, OS_ARCH_X64), L"WindowsXP", L"WindowsXP64", L"Windows5264", L"Windows52", L"Basic", L"Basic", 1},
        {"2003 web", System(5, 2, 3, OS_ARCH_X86, 0, 0, 0x400), L"Windows2003", L"Windows2003", L"Windows52", L"Windows52", L"WebEdition", L"WebEdition", 0},
        {"2003 ia64", System(5, 2, 3, OS_ARCH_IA64), L"Windows2003", L"Windows200364", L"Windows5264", L"Windows52", L"Standard", L"Standard", 1},
        // 5.1 and 5.0.
        {"xp home", System(5, 1, 1, OS_ARCH_X86, 0, 0, 0x200), L"WindowsXP", L"WindowsXP", L"Windows51", L"Windows51", L"Home", L"Home", 0},
        {"xp pro x64", System(5, 1, 1, OS_ARCH_X64), L"WindowsXP", L"WindowsXP64", L"Windows5164", L"Windows51", L"Professional", L"Professional", 1},
        {"2000 pro", System(5, 0, 1, OS_ARCH_X86), L"Windows2000", L"Windows2000", L"Windows50", L"Windows50", L"Professional", L"Professional", 0},
        {"2000 dc", System(5, 0, 3, OS_ARCH_X86, 0, 0, 0x82), L"Windows2000", L"Windows2000", L"Windows50", L"Windows50", L"DataCenter", L"DataCenter", 0},
        {"2000 ent", System(5, 0, 3, OS_ARCH_X86, 0, 0, 0x2), L"Windows2000", L"Windows2000", L"Windows50", L"Windows50", L"Enterprise", L"Enterprise", 0},
        {"2000 srv", System(5, 0, 2, OS_ARCH_X86), L"Windows2000", L"Windows2000", L"Windows50", L"Windows50", L"Server", L"Server", 0},
        // The old line, on any platform id.
        {"nt4", Legacy(4, 0, 2), L"WindowsNT", L"WindowsNT", L"Windows40", L"Windows40", L"Basic", L"Basic", 0},
        {"nt4 p1", Legacy(4, 0, 1), L"WindowsNT", L"WindowsNT", L"Windows40", L"Windows40", L"Basic", L"Basic", 0},
        {"4.10", Legacy(4, 10, 1), L"Windows95", L"Windows95", L"Windows410", L"Windows410", L"Basic", L"Basic", 0},
        {"4.90", Legacy(4, 90, 1), L"Windows98", L"Windows98", L"Windows490", L"Windows490", L"Basic", L"Basic", 0},
        // Versions no row knows: the code from the numbers, no match name.
        {"11.0 x64", System(11, 0, 1, OS_ARCH_X64, 48), L"", L"", L"Windows11064", L"Windows110", L"Basic", L"Unknown Product", 0},
        {"11.0 x86", System(11, 0, 1, OS_ARCH_X86), L"", L"", L"Windows110", L"Windows110", L"Basic", L"Unknown Product", 0},
        {"5.2 on 9x", Legacy(5, 2, 1), L"", L"", L"Windows52", L"Windows52", L"Basic", L"Unknown Product", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        OSIdentity id = IdentifyOS(c.data);
        EXPECT_EQ(id.status, 0);
        EXPECT_EQ(id.displayName, c.displayName);
        EXPECT_EQ(id.matchName, c.matchName);
        EXPECT_EQ(id.versionCode, c.versionCode);
        EXPECT_EQ(id.versionName, c.versionName);
        EXPECT_EQ(id.editionCode, c.editionCode);
        EXPECT_EQ(id.productName, c.productName);
        EXPECT_EQ(id.is64, c.is64);
    }
}

TEST(IdentifyOS, EditionTableAndItsGenerations) {
    struct Edition {
        uint32_t number;
        const wchar_t* name;
        bool fromWindows7;
    };
    const Edition editions[] = {
        {1, L"Ultimate", false}, {2, L"Home Basic", false}, {3, L"Home Premium", false}, {4, L"Enterprise", false},
        {5, L"Home Basic(N)", false}, {6, L"Business", false}, {7, L"Standard Server", false},
        {8, L"DataCenter Server", false}, {9, L"Small Business Server", false}, {10, L"Enterprise Server", false},
        {11, L"Starter", false}, {12, L"DataCenter Server Core", false}, {13, L"Standard Server Core", false},
        {14, L"Enterprise Server Core", false}, {15, L"Enterprise Server IA64", false}, {16, L"Business(N)", false},
        {17, L"Web Server", false}, {18, L"Cluster Server", false}, {19, L"Home Server", false},
        {20, L"Storage Express Server", false}, {21, L"Storage Standard Server", false},
        {22, L"Storage Workgroup Server", false}, {23, L"Storage Enterprise Server", false},
        {24, L"Server for SmallBusiness", false}, {25, L"Small Business Server Premium", false},
        {28, L"Ultimate(N)", true}, {47, L"Starter(N)", true}, {48, L"Professional", true},
        {49, L"Professional(N)", true}, {66, L"Starter(E)", true}, {67, L"Home Basic(E)", true},
        {68, L"Home Premium(E)", true}, {69, L"Professional(E)", true}, {70, L"Enterprise(E)", true},
        {71, L"Ultimate(E)", true},
    };
    for (const auto& e : editions) {
        SCOPED_TRACE(e.number);
        std::wstring code = L"SKU" + std::to_wstring(e.number);
        OSIdentity seven = IdentifyOS(System(6, 1, 1, OS_ARCH_X86, e.number));
        EXPECT_EQ(seven.editionCode, code);
        EXPECT_EQ(seven.productName, e.name);
        // Vista (generation 1) knows only the first block; otherwise its preset stays.
        OSIdentity vista = IdentifyOS(System(6, 0, 1, OS_ARCH_X86, e.number));
        EXPECT_EQ(vista.editionCode, e.fromWindows7 ? L"Basic" : code);
        EXPECT_EQ(vista.productName, e.fromWindows7 ? L"Unknown Product" : e.name);
    }
    // Numbers outside the table leave the preset alone.
    for (uint32_t number : {0u, 26u, 27u, 50u, 72u, 101u}) {
        OSIdentity ten = IdentifyOS(System(10, 0, 1, OS_ARCH_X64, number));
        EXPECT_EQ(ten.editionCode, L"Standard") << number;
        EXPECT_EQ(ten.productName, L"Standard") << number;
    }
}

TEST(IdentifyOS, ServicePackNumberAndProductTag) {
    struct Case {
        const wchar_t* text;
        uint32_t major;
        const wchar_t* number;
    };
    const Case cases[] = {
        {L"Service Pack 1", 1, L"1"}, {L"Service Pack 2", 0, L"2"}, {L"", 0, L""},
        {L"Service Pack 3, v.5512", 3, L"3"}, {L"", 2, L"2"},
    };
    for (const auto& c : cases) EXPECT_EQ(ServicePackNumber(c.text, c.major), c.number) << c.text;
    EXPECT_EQ(ProductTag(1), L"prod1");
    EXPECT_EQ(ProductTag(2), L"prod2");
    EXPECT_EQ(ProductTag(3), L"prod3");
    EXPECT_EQ(ProductTag(0), L"");
    EXPECT_EQ(ProductTag(4), L"");
}

const COSValidator::Section kAllowAll = {{L"osallowed", L"Windows50+"}};

TEST(OSValidatorIdentification, FullModeKeepsNamesForRulesAndUser) {
    LogCapture log;
    COSValidator validator;
    OSVersionData data = System(10, 0, 1, OS_ARCH_X64, 48, 19045);
    EXPECT_EQ(validator.EvaluateVersion(data, kAllowAll, 0), OS_SUPPORTED);
    EXPECT_EQ(validator.GetDisplayName(), L"Windows10");
    EXPECT_EQ(validator.GetOSName(), L"Windows1064");
    EXPECT_EQ(validator.GetMatchName(), L"windows1064");
    EXPECT_EQ(validator.GetVersionCode(), L"windows10064");
    EXPECT_EQ(validator.GetVersionName(), L"Windows100");
    EXPECT_EQ(validator.GetEditionCode(), L"SKU48");
    EXPECT_EQ(validator.GetProductName(), L"Professional");
    EXPECT_EQ(validator.Is64Bit(), 1);
    EXPECT_EQ(validator.GetProductTag(), L"prod1");
    EXPECT_EQ(validator.GetServicePackNumber(), L"");
    EXPECT_EQ(validator.GetServicePackText(), L"");
    EXPECT_TRUE(log.Has("Operating System : Windows1064"));
    EXPECT_TRUE(log.Has("Operating System Edition : Professional"));
    EXPECT_TRUE(log.Has("Operating System ServicePack : "));

    OSVersionData server = System(6, 1, 3, OS_ARCH_X86, 0, 7601);
    server.servicePackText = L"Service Pack 2";
    server.servicePackMajor = 2;
    EXPECT_EQ(validator.EvaluateVersion(server, kAllowAll, 0), OS_SUPPORTED);
    EXPECT_EQ(validator.GetServicePackNumber(), L"2");
    EXPECT_EQ(validator.GetServicePackText(), L"Service Pack 2");
    EXPECT_EQ(validator.GetProductTag(), L"prod3");
    EXPECT_EQ(validator.Is64Bit(), 0);

    server.productType = 2;
    validator.EvaluateVersion(server, kAllowAll, 0);
    EXPECT_EQ(validator.GetProductTag(), L"prod2");
}

TEST(OSValidatorIdentification, LogOnlyModeLogsTheRawVersionAndSetsNoUserNames) {
    LogCapture log;
    COSValidator validator;
    OSVersionData data = System(6, 1, 1, OS_ARCH_X64, 48, 7601);
    data.servicePackText = L"Service Pack 1";
    EXPECT_EQ(validator.EvaluateVersion(data, {}, 1), -1);
    EXPECT_TRUE(log.Has("OS Version : 6.1.7601.2"));
    EXPECT_TRUE(log.Has("Major Version : 6"));
    EXPECT_TRUE(log.Has("Minor Version : 1"));
    EXPECT_TRUE(log.Has("Product Type : 1"));
    EXPECT_EQ(validator.GetDisplayName(), L"Windows7");
    EXPECT_EQ(validator.GetOSName(), L"");
    EXPECT_EQ(validator.GetServicePackNumber(), L"");
    EXPECT_EQ(validator.GetProductTag(), L"");
}

TEST(OSValidatorIdentification, MissingProductInfoFunctionLetsThePackageRun) {
    LogCapture log;
    COSValidator validator;
    OSVersionData data = System(10, 0, 1, OS_ARCH_X64, 48);
    data.productInfoAvailable = false;
    // Even a section that refuses every system: the identification failed, so the rules never run.
    EXPECT_EQ(validator.EvaluateVersion(data, {}, 0), OS_SUPPORTED);
    EXPECT_EQ(validator.EvaluateVersion(data, {}, 1), OS_SUPPORTED);
    EXPECT_EQ(log.Count("Failed to get the OS information"), 2u);
    EXPECT_FALSE(log.Has("No OSes are supported"));
}

TEST(OSValidatorIdentification, SectionKeepsTheFirstValueOfAKey) {
    COSValidator validator;
    OSVersionData data = System(10, 0, 1, OS_ARCH_X64, 48);
    EXPECT_EQ(validator.EvaluateVersion(data, {{L"osallowed", L"Windows1064"}}, 0), OS_SUPPORTED);
    EXPECT_EQ(validator.EvaluateVersion(data, {{L"osallowed", L"Windows7"}}, 0), OS_SUPPORTED);
    EXPECT_EQ(validator.GetOSSettings().at(L"osallowed"), L"Windows1064");
}

TEST(OSValidatorPlatform, IdentifiesTheRunningSystem) {
    LogCapture log;
    OSVersionData data;
    ASSERT_TRUE(COSValidator::QueryVersionData(data));
    EXPECT_EQ(data.platformId, 2u);
    EXPECT_GE(data.major, 6u);
    EXPECT_TRUE(data.productInfoAvailable);
    // A 32-bit program on 64-bit Windows must see the native processor, as a 64-bit build does.
    const bool system64 = IsSystem64Bit();
    EXPECT_EQ(data.architecture, system64 ? OS_ARCH_X64 : OS_ARCH_X86);

    ScratchFolder folder(L"checksos");
    std::wstring settings = folder / L"Properties_Qirva.ini";
    WriteIni(settings, L"[OS]\r\nOSAllowed=Windows50+\r\n");
    COSValidator validator;
    validator.SetSettingsFile(settings);
    EXPECT_EQ(validator.OSVersion(1), -1);
    EXPECT_TRUE(log.Has("Major Version : " + std::to_string(data.major)));
    EXPECT_EQ(validator.OSVersion(0), OS_SUPPORTED);
    EXPECT_FALSE(validator.GetOSName().empty());
    EXPECT_EQ(validator.GetOSName(), validator.GetDisplayName() + (system64 ? L"64" : L""));
}

TEST(OSValidatorPlatform, ExtractPathByDisplayNameThenVersionName) {
    LogCapture log;
    ScratchFolder folder(L"checksos");
    std::wstring settings = folder / L"Properties_Qirva.ini";
    COSValidator validator;
    validator.SetSettingsFile(settings);
    validator.EvaluateVersion(System(10, 0, 1, OS_ARCH_X64, 48), {}, 1);

    WriteIni(settings, L"[OS]\r\nWindows10ExtractPath=C:\\Ten\r\nWindows100ExtractPath=C:\\Hundred\r\n");
    EXPECT_EQ(validator.GetOSExtractPath(), L"C:\\Ten");
    EXPECT_TRUE(log.Has("Windows10ExtractPath : C:\\Ten"));
    EXPECT_FALSE(log.Has("Windows100ExtractPath : C:\\Hundred"));

    WriteIni(settings, L"[OS]\r\nWindows100ExtractPath=%TEMP%\\Hundred\r\n");
    EXPECT_EQ(validator.GetOSExtractPath(), L"%TEMP%\\Hundred");
    EXPECT_TRUE(log.Has("Windows10ExtractPath : "));
    EXPECT_TRUE(log.Has("Windows100ExtractPath : %TEMP%\\Hundred"));

    WriteIni(settings, L"[OS]\r\nOSAllowed=Windows10\r\n");
    EXPECT_EQ(validator.GetOSExtractPath(), L"");
}

TEST(OSMessage, PlaceholdersAndServicePackTexts) {
    EXPECT_EQ(FormatOSNameText(L"Windows1064"), L"Windows10 64 Bit");
    EXPECT_EQ(FormatOSNameText(L"Windows201664"), L"Windows2016 64 Bit");
    EXPECT_EQ(FormatOSNameText(L"Windows10"), L"Windows10");
    EXPECT_EQ(FormatOSNameText(L""), L"");
    EXPECT_EQ(FormatServicePackText(L"", L"none"), L"");
    EXPECT_EQ(FormatServicePackText(L"0", L"none"), L"none");
    EXPECT_EQ(FormatServicePackText(L"1", L"none"), L"SP1");
    // The supported-OS text goes in last: its own OS placeholders stay, its line breaks do not.
    EXPECT_EQ(ComposeOSMessage(L"[OSNAME] [OSEDITION] [OSSERVICEPACK]:[NEWLINE][TAB][MsgSupportedOS]",
                               L"Windows10 64 Bit", L"Professional", L"SP1", L"[OSNAME] only[NEWLINE]x[TAB]y"),
              L"Windows10 64 Bit Professional SP1:\n\t[OSNAME] only\nx\ty");
    EXPECT_EQ(ComposeOSMessage(L"[OSNAME] and [OSNAME]", L"A[OSNAME]", L"", L"", L""), L"A[OSNAME] and A[OSNAME]");
}

TEST(OSMessage, CheckOSComposesFromTheLanguageSection) {
    LogCapture log;
    ScratchFolder folder(L"checksos");
    std::wstring settings = folder / L"Properties_Qirva.ini";
    WriteIni(settings, L"[1033]\r\nMsgSupportedOS=Windows 7 and later\r\n"
                       L"MsgOSWarning=[OSNAME] [OSEDITION] [OSSERVICEPACK] is not tested.[NEWLINE][MsgSupportedOS]\r\n"
                       L"MsgOSError=[OSNAME] is not supported.\r\n"
                       L"[1031]\r\nMsgOSError=[OSNAME] wird nicht unterstuetzt.\r\n");
    COSValidator validator;
    validator.SetSettingsFile(settings);
    // The warning rule asks for "no service pack", which makes the number read "0".
    COSValidator::Section section = {{L"osallowed", L"Windows1064"}, {L"windows1064warning", L"prod1&&SP0"}};
    ASSERT_EQ(validator.EvaluateVersion(System(10, 0, 1, OS_ARCH_X64, 48), section, 0), OS_WARNING);
    EXPECT_EQ(validator.GetServicePackNumber(), L"0");

    EXPECT_EQ(validator.CheckOS(OS_WARNING, 1033, 1), OS_WARNING);
    EXPECT_EQ(validator.GetOSMessage(), L"Windows10 64 Bit Professional " + GetText(422) +
                                            L" is not tested.\nWindows 7 and later");
    EXPECT_TRUE(log.Has("Message to be displayed : Windows10 64 Bit Professional without any service pack is not "
                        "tested."));

    EXPECT_EQ(validator.CheckOS(OS_NOT_SUPPORTED, 1031, 0), OS_NOT_SUPPORTED);
    EXPECT_EQ(validator.GetOSMessage(), L"Windows10 64 Bit wird nicht unterstuetzt.");
    EXPECT_EQ(log.Count("Message to be displayed : Windows10 64 Bit wird nicht unterstuetzt."), 0u);

    // No message for a supported system, nor for a language without texts.
    EXPECT_EQ(validator.CheckOS(OS_SUPPORTED, 1033, 1), OS_SUPPORTED);
    EXPECT_EQ(validator.GetOSMessage(), L"");
    validator.CheckOS(OS_NOT_SUPPORTED, 1036, 1);
    EXPECT_EQ(validator.GetOSMessage(), L"");
}

}  // namespace
