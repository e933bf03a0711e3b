// A package built from the real program file: the platform's version-information reads find the
// container's start in the file-subtype field, the entries begin there, and what the packager
// wrote reads back through the platform's profile functions the way the program reads it. The
// cross-built TreskPack.exe builds and verifies a package too, with paths outside ASCII.

#include "../../common/TestData.h"
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "container/Container.h"
#include "io/File.h"
#include "package/Builder.h"
#include "settings/IniDocument.h"
#include "settings/PackageSettings.h"
#include "text/Utf.h"

namespace fs = std::filesystem;

namespace {

std::string Utf8(const std::wstring& wide) {
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

using testdata::ReadBytes;
using testdata::WriteBytes;

std::string Scrambled(size_t size, uint32_t seed) {
    return testdata::Incompressible(size, seed);
}

class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& name) : path(fs::temp_directory_path() / name) {
        std::error_code ignored;
        fs::remove_all(path, ignored);
        fs::create_directories(path);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    const fs::path& Path() const { return path; }

private:
    fs::path path;
};

// The sources of a small package below root: settings, support files and a payload.
struct Sources {
    fs::path settings, support, payload;
    explicit Sources(const fs::path& root)
        : settings(root / L"settings.ini"), support(root / L"support"), payload(root / L"payload") {
        WriteBytes(settings,
                   "[Package]\nName=Stamp Test\n[Runtime]\nAutoLaunch=Setup.exe\n[Images]\nTopImage=Top.png\n"
                   "[Languages]\nSetupLanguages=1031;1033\n");
        WriteBytes(support / L"Default1031.ulf",
                   "[FileInfo]\nID=1031\nLangName=Deutsch\n// Buttons\n110=< &Zur\xC3\xBC" "ck\n");
        WriteBytes(support / L"Top.png", "\x89PNG\r\n\x1A\n" + Scrambled(500, 1));
        WriteBytes(payload / L"Setup.exe", "MZ" + Scrambled(3000, 2));
        WriteBytes(payload / L"Daten" / L"Gr\u00F6\u00DFe.txt", std::string(70000, 'g'));
        WriteBytes(payload / L"big.bin", Scrambled(150000, 3));
    }
};

bool FixedInfo(const std::wstring& path, VS_FIXEDFILEINFO& info) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return false;
    std::vector<BYTE> data(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof(info))
        return false;
    info = *fixed;
    return true;
}

std::wstring ProfileString(const fs::path& file, const wchar_t* section, const wchar_t* key) {
    wchar_t buffer[1024] = {};
    GetPrivateProfileStringW(section, key, L"", buffer, 1024, file.c_str());
    return buffer;
}

// The extraction password as the program takes it: the [Runtime] section through the platform's
// section read (the first ExtractionPassword line, keys without regard to case), blanks stripped
// from both ends, turned back by [Temporary] Number.
std::string ProgramsPassword(const fs::path& file) {
    std::vector<wchar_t> buffer(2000);
    DWORD length = GetPrivateProfileSectionW(L"runtime", buffer.data(), 2000, file.c_str());
    std::wstring stored;
    for (const wchar_t* line = buffer.data(); line < buffer.data() + length && *line; line += wcslen(line) + 1) {
        std::wstring text(line);
        size_t equals = text.find(L'=');
        if (equals != std::wstring::npos && _wcsicmp(text.substr(0, equals).c_str(), L"ExtractionPassword") == 0) {
            stored = text.substr(equals + 1);
            break;
        }
    }
    while (!stored.empty() && stored.front() == L' ') stored.erase(0, 1);
    while (!stored.empty() && stored.back() == L' ') stored.pop_back();
    int number = static_cast<int>(GetPrivateProfileIntW(L"Temporary", L"Number", 0, file.c_str()));
    return UnrotatePassword(Utf8(stored), number);
}

DWORD RunTreskPackExe(const std::wstring& arguments) {
    std::wstring commandLine = L"\"" TRESK_PACK_EXE_PATH L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0xFFFFFFFF;
    DWORD code = 0xFFFFFFFE;
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

std::wstring Quoted(const fs::path& path) {
    return L"\"" + path.wstring() + L"\"";
}

TEST(PackageStamp, VersionInformationPointsAtTheFirstEntry) {
    ScratchFolder scratch(L"tresk_pack_stamp");
    Sources sources(scratch.Path());
    BuildOptions options;
    options.programPath = Utf8(TRESK_PROGRAM_PATH);
    options.settingsPath = sources.settings.u8string();
    options.supportInputs = {sources.support.u8string()};
    options.payloadFolder = sources.payload.u8string();
    options.outputPath = (scratch.Path() / L"out" / L"Stamp.exe").u8string();
    options.setId = 1234;
    BuildResult result;
    std::string error;
    ASSERT_TRUE(BuildPackage(options, result, error)) << error;
    std::wstring package = (scratch.Path() / L"out" / L"Stamp.exe").wstring();

    WIN32_FILE_ATTRIBUTE_DATA programData = {};
    ASSERT_TRUE(GetFileAttributesExW(TRESK_PROGRAM_PATH, GetFileExInfoStandard, &programData));
    ASSERT_EQ(programData.nFileSizeHigh, 0u);
    VS_FIXEDFILEINFO program = {}, stamped = {};
    ASSERT_TRUE(FixedInfo(TRESK_PROGRAM_PATH, program));
    ASSERT_TRUE(FixedInfo(package, stamped));
    EXPECT_EQ(program.dwFileSubtype, 0u);
    EXPECT_EQ(stamped.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(stamped.dwFileSubtype, programData.nFileSizeLow);
    // Nothing else of the version information changed.
    stamped.dwFileSubtype = 0;
    EXPECT_EQ(memcmp(&stamped, &program, sizeof(program)), 0);

    // The container starts right there, settings first and the payload last.
    std::string bytes = ReadBytes(package);
    EXPECT_EQ(bytes.substr(programData.nFileSizeLow, CONTAINER_MARKER_BYTES), ContainerMarker());
    std::vector<ContainerEntry> entries;
    ASSERT_TRUE(ReadContainer(options.outputPath, programData.nFileSizeLow, entries, error)) << error;
    std::vector<std::string> names;
    for (const auto& entry : entries) names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Properties_Qirva.ini", "Default1031.ulf", "Top.png", "WebCab1"}));
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[3].kind, ENTRY_PAYLOAD);

    // The settings and the language file read through the platform's profile functions.
    fs::path settings = scratch.Path() / L"Properties_Qirva.ini", language = scratch.Path() / L"Default1031.ulf";
    ASSERT_TRUE(CopyEntryToFile(options.outputPath, entries[0], settings.u8string(), error)) << error;
    ASSERT_TRUE(CopyEntryToFile(options.outputPath, entries[1], language.u8string(), error)) << error;
    EXPECT_EQ(ProfileString(settings, L"Package", L"Name"), L"Stamp Test");
    EXPECT_EQ(ProfileString(settings, L"Qirva", L"GUID2"), L"1234");
    EXPECT_EQ(ProfileString(settings, L"Size", L"CabSize"), std::to_wstring(entries[3].size));
    EXPECT_EQ(ProfileString(settings, L"FileCount", L"Count"), L"3");
    EXPECT_EQ(ProfileString(language, L"FileInfo", L"ID"), L"1031");
    EXPECT_EQ(ProfileString(language, L"FileInfo", L"110"), L"< &Zur\u00FCck");
}

TEST(PackageStamp, StoredPasswordSurvivesTheProfileReads) {
    ScratchFolder scratch(L"tresk_pack_password");
    const std::string passwords[] = {"'quoted'", "\"both\"", "a=b;c[d]", "pass word", "x"};
    int file = 0;
    for (const auto& password : passwords) {
        for (int number = 0; number <= 94; ++number) {
            IniDocument settings = IniDocument::Parse("[Runtime]\nCheckAdmin=0\n");
            std::string error;
            if (!ApplyPassword(settings, password, number, error)) continue;  // a blank at one end
            fs::path path = scratch.Path() / (L"settings" + std::to_wstring(++file) + L".ini");
            WriteBytes(path, settings.ToUtf16File());
            EXPECT_EQ(ProgramsPassword(path), password) << "rotation " << number;
        }
    }
    EXPECT_GT(file, 400);
}

TEST(PackageStamp, TreskPackExeBuildsAndVerifiesUnderWindows) {
    ScratchFolder scratch(L"tresk_pack_exe \u00C4");
    Sources sources(scratch.Path() / L"Quellen \u00FC");
    fs::path output = scratch.Path() / L"Ausgabe \u00F6" / L"Paket.exe";
    std::wstring inputs = L"--program \"" TRESK_PROGRAM_PATH L"\" --settings " + Quoted(sources.settings) +
                          L" --support " + Quoted(sources.support) + L" --payload " + Quoted(sources.payload);
    ASSERT_EQ(RunTreskPackExe(L"build " + inputs + L" --output " + Quoted(output) + L" --part-size 64K --set-id 99"),
              0u);
    fs::path extracted = scratch.Path() / L"Entpackt";
    EXPECT_EQ(RunTreskPackExe(L"verify " + Quoted(output) + L" --extract " + Quoted(extracted)), 0u);
    for (const auto& relative : {fs::path(L"Setup.exe"), fs::path(L"Daten") / L"Gr\u00F6\u00DFe.txt", fs::path(L"big.bin")})
        EXPECT_EQ(ReadBytes(extracted / relative), ReadBytes(sources.payload / relative)) << relative.u8string();

    fs::path second = output.parent_path() / L"Paket.002";
    ASSERT_TRUE(fs::exists(second));
    fs::remove(second);
    EXPECT_EQ(RunTreskPackExe(L"verify " + Quoted(output)), 1u);
    EXPECT_EQ(RunTreskPackExe(L"build " + inputs + L" --output " + Quoted(output) + L" --part-size 1K"), 2u);
}

}  // namespace
