// Reads the program file that ships (the i686 build) and checks what a packager relies on: a
// 32-bit Windows GUI program that needs no DLL beside the system's own, with its manifest, and
// exactly one version block for the packager to stamp. Runs natively on every host, also where the
// Windows tests themselves run on the 64-bit build.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "container/VersionStamp.h"

namespace {

uint32_t Read(const std::string& bytes, size_t offset, int size) {
    if (offset > bytes.size() || bytes.size() - offset < size_t(size)) return 0;
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

// The parts of a PE image this check needs, with RVA to file-offset mapping.
struct PeImage {
    std::string bytes;
    uint16_t machine = 0, magic = 0, subsystem = 0;
    uint32_t symbolTable = 0, symbolCount = 0;
    struct Section {
        uint32_t rva, size, raw, rawSize;
        std::string name;  // long names ("/4") resolved through the string table where there is one
    };
    std::vector<Section> sections;
    std::vector<std::pair<uint32_t, uint32_t>> directories;  // rva, size

    bool Parse() {
        if (bytes.size() < 64 || bytes.compare(0, 2, "MZ") != 0) return false;
        size_t pe = Read(bytes, 0x3C, 4);
        if (Read(bytes, pe, 4) != 0x4550u) return false;
        size_t coff = pe + 4, optional = coff + 20;
        machine = static_cast<uint16_t>(Read(bytes, coff, 2));
        uint16_t sectionCount = static_cast<uint16_t>(Read(bytes, coff + 2, 2));
        symbolTable = Read(bytes, coff + 8, 4);
        symbolCount = Read(bytes, coff + 12, 4);
        uint16_t optionalSize = static_cast<uint16_t>(Read(bytes, coff + 16, 2));
        magic = static_cast<uint16_t>(Read(bytes, optional, 2));
        subsystem = static_cast<uint16_t>(Read(bytes, optional + 68, 2));
        size_t directoryTable = optional + (magic == 0x20B ? 112 : 96);
        uint32_t count = Read(bytes, directoryTable - 4, 4);
        for (uint32_t i = 0; i < count && i < 16; ++i)
            directories.push_back({Read(bytes, directoryTable + 8 * i, 4), Read(bytes, directoryTable + 8 * i + 4, 4)});
        size_t table = optional + optionalSize;
        for (uint16_t i = 0; i < sectionCount; ++i) {
            size_t h = table + 40 * size_t(i);
            std::string name = h + 8 <= bytes.size() ? bytes.substr(h, 8) : std::string();
            name = name.substr(0, name.find('\0'));
            sections.push_back({Read(bytes, h + 12, 4), Read(bytes, h + 8, 4), Read(bytes, h + 20, 4), Read(bytes, h + 16, 4),
                                LongName(name)});
        }
        return true;
    }

    // "/N" names the string at offset N of the string table that follows the symbol table.
    std::string LongName(const std::string& name) const {
        if (name.size() < 2 || name[0] != '/' || symbolTable == 0) return name;
        size_t at = size_t(symbolTable) + size_t(symbolCount) * 18 + std::strtoul(name.c_str() + 1, nullptr, 10);
        return at < bytes.size() ? std::string(bytes.c_str() + at) : name;
    }

    size_t Offset(uint32_t rva) const {
        for (const auto& s : sections) {
            uint32_t span = std::max(s.size, s.rawSize);
            if (rva >= s.rva && rva - s.rva < span) return size_t(s.raw) + (rva - s.rva);
        }
        return std::string::npos;
    }

    std::string CString(uint32_t rva) const {
        size_t at = Offset(rva);
        if (at >= bytes.size()) return {};
        return std::string(bytes.c_str() + at);
    }

    std::vector<std::string> ImportedDlls() const {
        std::vector<std::string> names;
        if (directories.size() < 2 || directories[1].first == 0) return names;
        size_t at = Offset(directories[1].first);
        for (; at != std::string::npos && at + 20 <= bytes.size(); at += 20) {
            uint32_t name = Read(bytes, at + 12, 4);
            if (name == 0) break;
            std::string dll = CString(name);
            std::transform(dll.begin(), dll.end(), dll.begin(), [](unsigned char c) { return std::tolower(c); });
            names.push_back(dll);
        }
        return names;
    }

    // The first data entry of a resource type (numeric id), or empty.
    std::string Resource(uint32_t type) const {
        if (directories.size() < 3 || directories[2].first == 0) return {};
        size_t root = Offset(directories[2].first);
        if (root == std::string::npos) return {};
        // Walks one directory level: the entry with the id, or the first one when id is 0.
        auto child = [&](size_t directory, uint32_t id, bool any) -> uint32_t {
            uint32_t entries = Read(bytes, directory + 12, 2) + Read(bytes, directory + 14, 2);
            for (uint32_t i = 0; i < entries; ++i) {
                size_t e = directory + 16 + 8 * size_t(i);
                if (any || Read(bytes, e, 4) == id) return Read(bytes, e + 4, 4);
            }
            return 0;
        };
        uint32_t names = child(root, type, false);
        if (!(names & 0x80000000u)) return {};
        uint32_t languages = child(root + (names & 0x7FFFFFFFu), 0, true);
        if (!(languages & 0x80000000u)) return {};
        uint32_t data = child(root + (languages & 0x7FFFFFFFu), 0, true);
        if (data == 0 || (data & 0x80000000u)) return {};
        size_t entry = root + data;
        size_t at = Offset(Read(bytes, entry, 4));
        uint32_t size = Read(bytes, entry + 4, 4);
        if (at == std::string::npos || at > bytes.size() || bytes.size() - at < size) return {};
        return bytes.substr(at, size);
    }
};

std::string ShippedProgramPath() {
    const char* path = std::getenv("TRESK_SHIPPED_PROGRAM");
    return path ? path : "";
}

class ShippedProgram : public ::testing::Test {
protected:
    void SetUp() override {
        std::string path = ShippedProgramPath();
        ASSERT_FALSE(path.empty()) << "TRESK_SHIPPED_PROGRAM is not set";
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in) << "the shipped program was not built: " << path;
        std::ostringstream content;
        content << in.rdbuf();
        image.bytes = content.str();
        ASSERT_TRUE(image.Parse()) << path << " is not a Windows program file";
    }
    PeImage image;
};

TEST_F(ShippedProgram, IsA32BitWindowsGuiProgram) {
    EXPECT_EQ(image.machine, 0x014C) << "machine is not i386";
    EXPECT_EQ(image.magic, 0x10B) << "optional header is not PE32";
    EXPECT_EQ(image.subsystem, 2) << "subsystem is not Windows GUI";
}

// Every package carries the program: it ships without symbols and debug information (which the
// static runtime libraries would otherwise bring along, more than a megabyte of them).
TEST_F(ShippedProgram, CarriesNoSymbolsOrDebugInformation) {
    EXPECT_EQ(image.symbolTable, 0u) << "the program has a symbol table: it was not stripped";
    EXPECT_EQ(image.symbolCount, 0u);
    for (const auto& section : image.sections) {
        EXPECT_NE(section.name.rfind(".debug", 0), 0u) << "debug section " << section.name;
        // Only debug sections carry names longer than eight characters in this program.
        EXPECT_NE(section.name.rfind("/", 0), 0u) << "section with a long name " << section.name;
    }
}

TEST_F(ShippedProgram, ImportsOnlySystemLibraries) {
    // The system's own DLLs the program may load at start; anything else (the compiler's runtime
    // libraries above all) would have to ship beside the package.
    const std::set<std::string> system = {
        "advapi32.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "gdi32.dll",    "gdiplus.dll",
        "kernel32.dll", "msvcrt.dll",   "ole32.dll",    "oleaut32.dll", "shell32.dll", "shlwapi.dll",
        "user32.dll",   "uxtheme.dll",  "version.dll",  "msi.dll",      "ntdll.dll",   "ucrtbase.dll",
        "oleacc.dll"};
    std::vector<std::string> dlls = image.ImportedDlls();
    ASSERT_FALSE(dlls.empty()) << "no import table found";
    for (const auto& dll : dlls) EXPECT_TRUE(system.count(dll)) << "imports " << dll << ", which is not a system library";
}

TEST_F(ShippedProgram, CarriesTheManifestOfAnX86Program) {
    std::string manifest = image.Resource(24);
    ASSERT_FALSE(manifest.empty()) << "no manifest resource";
    for (const char* needed : {"processorArchitecture=\"x86\"", "level=\"highestAvailable\"",
                               "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                               "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                               "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "Microsoft.Windows.Common-Controls"}) {
        EXPECT_NE(manifest.find(needed), std::string::npos) << "manifest lacks " << needed;
    }
    // Sharp at every scale: per-monitor (v2) awareness, with per-monitor and system-wide awareness
    // for the systems that do not know it.
    for (const char* needed :
         {"<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
          "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, PerMonitor</dpiAwareness>"}) {
        EXPECT_NE(manifest.find(needed), std::string::npos) << "manifest lacks " << needed;
    }
}

TEST_F(ShippedProgram, HasOneUnstampedVersionBlockThePackagerCanStamp) {
    EXPECT_FALSE(image.Resource(16).empty()) << "no version resource";
    VersionStampLocation location;
    std::string error;
    ASSERT_TRUE(FindVersionStamp(image.bytes, location, error)) << error;
    EXPECT_EQ(location.subtype, 0u) << "the program file that ships must not carry a container offset";
    EXPECT_FALSE(HasSignatureBlock(image.bytes));
}

}  // namespace
