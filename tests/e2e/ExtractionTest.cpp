// Silent and Unattended runs of real packages built by the packager: the payload extracted
// exactly, part-file faults, a full drive, a cancelled run, and the package's conditions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "../common/FileBytes.h"
#include "../common/LogLines.h"
#include "../common/ScratchFolder.h"
#include "../common/TestData.h"
#include "ProgramRunner.h"
#include "TestPackage.h"
#include "container/VersionStamp.h"

namespace {

std::string Noise(size_t size, uint32_t seed) {
    return testdata::Incompressible(size, seed);
}

const std::wstring kTarget = L"C:\\ExtractTarget";

std::string Settings(const std::string& more = "") {
    return "[Package]\nName=Extraction Test\nNameDispl=Extraction Test\nVersionString=1.0\n"
           "[LogFiles]\nExtractLogFileName=Extraction Test.log\n" +
           more;
}

std::vector<std::string> Log() {
    return ReadLogLines(ExtractionLogPath(L"Extraction Test.log"));
}

class ExtractionTest : public ::testing::Test {
protected:
    void SetUp() override {
        CUtil::DeleteTree(kTarget);
        payload = {{"Setup.exe", "MZ stand-in setup"},
                   {"Docs\\ReadMe.txt", "read me\r\n", FILE_ATTRIBUTE_READONLY},
                   {"Docs\\Hidden.txt", "hidden", FILE_ATTRIBUTE_HIDDEN},
                   {"Data\\big.bin", Noise(300000, 1)},
                   {"Data\\empty.txt", ""}};
    }
    void TearDown() override { CUtil::DeleteTree(kTarget); }

    // The extracted tree equals the payload: bytes, read-only and hidden attributes, and the
    // modification times to the two seconds a cabinet stores.
    void ExpectExtracted(const std::wstring& exeName) {
        std::wstring source = folder / (L"payload_" + exeName);
        for (const auto& file : payload) {
            std::wstring relative = FromUtf8(file.name);
            EXPECT_EQ(ReadBytes(kTarget + L"\\" + relative), file.bytes) << file.name;
            WIN32_FILE_ATTRIBUTE_DATA from, to;
            ASSERT_TRUE(GetFileAttributesExW((source + L"\\" + relative).c_str(), GetFileExInfoStandard, &from));
            ASSERT_TRUE(GetFileAttributesExW((kTarget + L"\\" + relative).c_str(), GetFileExInfoStandard, &to));
            const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
            EXPECT_EQ(to.dwFileAttributes & kept, from.dwFileAttributes & kept) << file.name;
            ULARGE_INTEGER a, b;
            a.LowPart = from.ftLastWriteTime.dwLowDateTime;
            a.HighPart = from.ftLastWriteTime.dwHighDateTime;
            b.LowPart = to.ftLastWriteTime.dwLowDateTime;
            b.HighPart = to.ftLastWriteTime.dwHighDateTime;
            int64_t difference = static_cast<int64_t>(a.QuadPart) - static_cast<int64_t>(b.QuadPart);
            EXPECT_LE(std::llabs(difference), 20000000LL) << file.name;  // 2 s in 100 ns units
        }
    }

    ScratchFolder folder{L"extract"};
    std::vector<TestPayloadFile> payload;
};

TEST_F(ExtractionTest, SilentAndUnattendedExtractSingleFileAndMultiPartPackages) {
    struct Case {
        const wchar_t* exe;
        uint64_t partSize;
        const wchar_t* mode;
        bool visible;
    };
    const Case cases[] = {
        {L"Single.exe", 0, L"-silent", false},
        {L"Single.exe", 0, L"-unattended", true},
        {L"Parts.exe", 64 * 1024, L"-silent", false},
        {L"Parts.exe", 64 * 1024, L"-unattended", true},
    };
    std::map<std::wstring, std::wstring> built;
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(std::wstring(c.exe) + L" " + c.mode));
        if (!built.count(c.exe)) built[c.exe] = BuildTestPackage(folder.Path(), c.exe, Settings(), payload, c.partSize);
        CUtil::DeleteTree(kTarget);
        int windows = 0;
        ProgramRun run = RunExe(built[c.exe], std::wstring(c.mode) + L" -extractpath=" + kTarget, 120000,
                                [&](HWND) { ++windows; });
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u);
        ExpectExtracted(c.exe);
        auto log = Log();
        EXPECT_TRUE(Contains(log, "|ExtractPackage                      |Return Code for cab extraction : 0"));
        EXPECT_TRUE(Contains(log, "|ExtractPackage                      |Success"));
        if (c.partSize)
            EXPECT_TRUE(Contains(log, "|ExtractPackage                      |Hash code for : "));
        else
            EXPECT_TRUE(Contains(log, "}\\WebCab1"));
        // Silent mode never shows a window; Unattended shows its progress window.
        EXPECT_EQ(windows > 0, c.visible);
        EXPECT_TRUE(PackageTempFolders().empty());
    }
}

// The Linux side of the machine, as a Linux build machine signs: Wine starts a Linux program handed
// to CreateProcess, and tells the Linux path of a Windows one.
std::string LinuxPath(const std::wstring& windowsPath) {
    using Convert = char*(CDECL*)(const wchar_t*);
    auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return std::string();
    char* path = convert(windowsPath.c_str());
    std::string text = path ? path : "";
    if (path) HeapFree(GetProcessHeap(), 0, path);
    return text;
}

// Runs a Linux program through the Linux shell; its exit code, or -1 when it cannot be started or
// does not end within a minute. Wine gives no handle that waits for a Linux process, so the shell
// writes the code into a file when the program has ended, and the file is waited for.
long RunLinuxProgram(const std::string& program, const std::vector<std::string>& arguments,
                     const std::wstring& scratchFolder) {
    const std::wstring done = scratchFolder + L"\\linux-exit-code.txt";
    DeleteFileW(done.c_str());
    const std::string doneLinux = LinuxPath(done);
    std::string script = "'" + program + "'";
    for (const auto& argument : arguments) script += " '" + argument + "'";
    script += "; echo $? > '" + doneLinux + ".tmp' && mv '" + doneLinux + ".tmp' '" + doneLinux + "'";
    std::wstring commandLine = L"Z:\\bin\\sh -c \"" + FromUtf8(script) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(L"Z:\\bin\\sh", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 600; ++i) {
        std::string code = ReadBytes(done);
        if (!code.empty()) return std::atol(code.c_str());
        Sleep(100);
    }
    return -1;
}

// A package signed after it was built (Authenticode, SHA-256, a throw-away certificate made by
// openssl): the signature at the end of the file is no part of the container, and the program
// extracts exactly what it would from the unsigned package; a multi-part package's program file
// is signed, its parts are as they were.
TEST_F(ExtractionTest, SignedPackagesExtractExactly) {
    if (LinuxPath(folder.Path()).empty()) GTEST_SKIP() << "not under Wine: no Linux side to sign on";
    ASSERT_TRUE(CUtil::FileExists(L"Z:\\usr\\bin\\openssl") && CUtil::FileExists(L"Z:\\usr\\bin\\osslsigncode"))
        << "openssl and osslsigncode are missing (scripts/setup installs them)";
    const std::string openssl = "/usr/bin/openssl", osslsigncode = "/usr/bin/osslsigncode";
    const std::string key = LinuxPath(folder / L"signer.key"), cert = LinuxPath(folder / L"signer.pem");
    ASSERT_EQ(RunLinuxProgram(openssl, {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                                        "/CN=Tresk Test Signer", "-keyout", key, "-out", cert},
                              folder.Path()),
              0);
    struct Case {
        const wchar_t* exe;
        uint64_t partSize;
    };
    for (const Case& c : {Case{L"SignedSingle.exe", 0}, Case{L"SignedParts.exe", 64 * 1024}}) {
        SCOPED_TRACE(ToUtf8(c.exe));
        std::wstring package = BuildTestPackage(folder.Path(), c.exe, Settings(), payload, c.partSize);
        std::wstring signedCopy = package + L".signed";
        ASSERT_EQ(RunLinuxProgram(osslsigncode, {"sign", "-certs", cert, "-key", key, "-h", "sha256", "-in",
                                                 LinuxPath(package), "-out", LinuxPath(signedCopy)},
                                  folder.Path()),
                  0);
        ASSERT_TRUE(MoveFileExW(signedCopy.c_str(), package.c_str(), MOVEFILE_REPLACE_EXISTING));
        ASSERT_TRUE(HasSignatureBlock(ReadBytes(package)));
        CUtil::DeleteTree(kTarget);
        ProgramRun run = RunExe(package, L"-silent -extractpath=" + kTarget);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u);
        ExpectExtracted(c.exe);
        EXPECT_TRUE(Contains(Log(), "|ExtractPackage                      |Return Code for cab extraction : 0"));
    }
}

TEST_F(ExtractionTest, EnterAndEscKeepTheUnattendedWindowOpen) {
    std::wstring package = BuildTestPackage(folder.Path(), L"Keys.exe", Settings(), payload);
    ProgramRun run = RunExe(package, L"-unattended -extractpath=" + kTarget, 120000, [&](HWND window) {
        PostMessageW(window, WM_COMMAND, IDOK, 0);
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    ExpectExtracted(L"Keys.exe");
    EXPECT_FALSE(Contains(Log(), "Extraction paused"));
}

TEST_F(ExtractionTest, CabinetLibraryBesideThePackageIsNeverLoaded) {
    // A planted library next to the package: the program must take the system's own.
    std::wstring package = BuildTestPackage(folder.Path(), L"Planted.exe", Settings(), payload);
    WriteBytes(folder / L"cabinet.dll", "MZ this is not the cabinet library");
    WriteBytes(folder / L"CABINET.DLL", "MZ this is not the cabinet library");
    ProgramRun run = RunExe(package, L"-silent -extractpath=" + kTarget);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    ExpectExtracted(L"Planted.exe");
}

TEST_F(ExtractionTest, ExistingDestinationIsEmptiedFirst) {
    std::wstring package = BuildTestPackage(folder.Path(), L"Again.exe", Settings(), payload);
    CreateDirectoryW(kTarget.c_str(), nullptr);
    WriteBytes(kTarget + L"\\old.txt", "from an earlier extraction");
    ProgramRun run = RunExe(package, L"-silent -extractpath=" + kTarget);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(CUtil::FileExists(kTarget + L"\\old.txt"));
    ExpectExtracted(L"Again.exe");
    EXPECT_TRUE(Contains(Log(), "|ExtractPackage                      |Deleting the contents of extraction folder : C:\\ExtractTarget\\"));
}

TEST_F(ExtractionTest, PartFileFaults) {
    std::wstring package = BuildTestPackage(folder.Path(), L"Faulty.exe", Settings(), payload, 64 * 1024);
    std::wstring part2 = folder / L"Faulty.002";
    std::string original = ReadBytes(part2);
    ASSERT_FALSE(original.empty());

    // A changed byte: corrupt (exit code -1), nothing extracted.
    std::string changed = original;
    changed[changed.size() / 2] ^= 0x5A;
    WriteBytes(part2, changed);
    ProgramRun run = RunExe(package, L"-silent -extractpath=" + kTarget);
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);
    EXPECT_TRUE(Contains(Log(), "|ERROR     |ExtractPackage                      |File is corrupt  : " + ToUtf8(part2)));
    EXPECT_FALSE(CUtil::FileExists(kTarget + L"\\Setup.exe"));

    // Restored bytes, but a [HashCode256] that does not match while [HashCode] does (a part forged to
    // collide in SHA-1): refused as corrupt alike, nothing extracted.
    WriteBytes(part2, original);
    std::string recorded;
    RewritePackageSettings(package, [&](const std::string& text) {
        std::string result = text;
        size_t section = result.find("[HashCode256]");
        size_t at = section == std::string::npos ? section : result.find("002=", section);
        if (at != std::string::npos) {
            recorded = result.substr(at + 4, 64);
            result[at + 4] = result[at + 4] == '0' ? '1' : '0';
        }
        return result;
    });
    ASSERT_EQ(recorded.size(), 64u) << "the packager wrote no [HashCode256] entry for part 002";
    run = RunExe(package, L"-silent -extractpath=" + kTarget);
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);
    EXPECT_TRUE(Contains(Log(), "|ERROR     |ExtractPackage                      |File is corrupt  : " + ToUtf8(part2)));
    EXPECT_TRUE(Contains(Log(), "|          |ExtractPackage                      |SHA-256 Hash code for : " + ToUtf8(part2)));
    EXPECT_FALSE(CUtil::FileExists(kTarget + L"\\Setup.exe"));
    RewritePackageSettings(package, [&](const std::string& text) {
        std::string result = text;
        size_t at = result.find("002=", result.find("[HashCode256]"));
        result.replace(at + 4, 64, recorded);
        return result;
    });

    // Missing: exit code -1.
    DeleteFileW(part2.c_str());
    run = RunExe(package, L"-silent -extractpath=" + kTarget);
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);
    EXPECT_TRUE(Contains(Log(), "|ERROR     |ExtractPackage                      |Multi part File not found : " + ToUtf8(part2)));

    // A part beyond the listed ones is missing: validation passes, the chain stops there with
    // code 1, which ends the run as failed (exit code -1) with a message naming the part.
    WriteBytes(part2, original);
    int parts = 0;
    while (CUtil::FileExists(folder / FromUtf8("Faulty.00" + std::to_string(parts + 1)))) ++parts;
    ASSERT_GE(parts, 3);
    std::wstring last = folder / FromUtf8("Faulty.00" + std::to_string(parts));
    RewritePackageSettings(package, [&](const std::string& text) {
        std::string key = "00" + std::to_string(parts) + "=";
        std::string result;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start + 1);
            if (line.compare(0, key.size(), key) != 0) result += line;
            if (end == std::string::npos) break;
            start = end + 1;
        }
        return result;
    });
    DeleteFileW(last.c_str());
    run = RunExe(package, L"-silent -extractpath=" + kTarget);
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);
    EXPECT_TRUE(Contains(Log(), "|ERROR     |ExtractPackage                      |Part file " + ToUtf8(last) + " not found"));
}

TEST_F(ExtractionTest, FullDriveEndsWithAClearMessage) {
    ULARGE_INTEGER available, total, free;
    if (!GetDiskFreeSpaceExW(L"T:\\", &available, &total, &free) || total.QuadPart > 16u * 1024 * 1024)
        GTEST_SKIP() << "the small drive T: is not mounted";
    payload.push_back({"Data\\huge.bin", Noise(3 * 1024 * 1024, 2)});
    std::wstring package = BuildTestPackage(folder.Path(), L"Full.exe", Settings(), payload);
    // The package claims to need next to nothing, so the run gets past the space check.
    RewritePackageSettings(package, [](const std::string& text) {
        std::string result = text;
        size_t at = result.find("PackageSize=");
        size_t end = result.find('\n', at);
        result.replace(at, end - at, "PackageSize=1");
        return result;
    });
    ProgramRun run = RunExe(package, L"-silent -extractpath=T:\\Pkg");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);
    auto log = Log();
    EXPECT_TRUE(Contains(log, "|ExtractPackage                      |Return Code for cab extraction : 8") ||
                Contains(log, "|ExtractPackage                      |Return Code for cab extraction : 39"));
    EXPECT_TRUE(Contains(log, "|ERROR     |ExtractPackage                      |There is not sufficient space on drive :T:"));
    // The file that did not fit is gone and named; the files written before it (the cabinet holds
    // them in the order of their names) stay whole.
    EXPECT_FALSE(CUtil::FileExists(L"T:\\Pkg\\Data\\huge.bin"));
    EXPECT_TRUE(Contains(log, "|WARNING   |ExtractCabinet                      |Incomplete file removed : T:\\Pkg\\Data\\huge.bin"));
    for (const char* name : {"Data\\big.bin", "Data\\empty.txt"})
        for (const auto& file : payload)
            if (file.name == name) EXPECT_EQ(ReadBytes(L"T:\\Pkg\\" + FromUtf8(name)), file.bytes) << name;
    if (getenv("KEEP_T") == nullptr) CUtil::DeleteTree(L"T:\\Pkg");
}

TEST_F(ExtractionTest, ClosingTheUnattendedWindowAndAnsweringYes) {
    for (int i = 0; i < 6; ++i) payload.push_back({"Data\\large" + std::to_string(i) + ".bin", Noise(8 * 1024 * 1024, 10 + i)});
    std::wstring package = BuildTestPackage(folder.Path(), L"Cancel.exe", Settings(), payload, 16 * 1024 * 1024);
    bool asked = false;
    ProgramRun run = RunExe(package, L"-unattended -extractpath=" + kTarget, 120000, [&](HWND window) {
        std::wstring texts = WindowTexts(window);
        if (texts.find(L"Do you really want to cancel?") != std::wstring::npos) {
            asked = true;
            PostMessageW(window, WM_COMMAND, IDYES, 0);
            return;
        }
        // Close the progress window once extraction has written its first file.
        for (int i = 0; i < 1000 && !CUtil::FileExists(kTarget + L"\\Data\\big.bin"); ++i) Sleep(10);
        PostMessageW(window, WM_CLOSE, 0, 0);
    });
    ASSERT_TRUE(run.finished);
    EXPECT_TRUE(asked);
    EXPECT_EQ(run.exitCode, 6u);
    auto log = Log();
    EXPECT_TRUE(Contains(log, "|OnClose                             |Extraction paused"));
    EXPECT_TRUE(Contains(log, "|DeleteExtractedContents             |Deleting file : "));
    // What this run wrote is gone again.
    EXPECT_FALSE(CUtil::FileExists(kTarget + L"\\Setup.exe"));
    EXPECT_FALSE(CUtil::FileExists(kTarget + L"\\Data\\large0.bin"));
    EXPECT_TRUE(PackageTempFolders().empty());
}

TEST_F(ExtractionTest, ConditionsDecideSilentRuns) {
    std::string settings = Settings(
        "[Conditions]\nAction1=Extract\nAction1Condition=Condition1\nAction1Message=MsgPrerequisites\n"
        "Condition1={File};C:\\no\\such\\file.exe;{EXIST};{};{MsgMissing}\n"
        "[1033]\nMsgPrerequisites=Requirements are not met.\nMsgMissing=The required file is missing.\n");
    std::wstring package = BuildTestPackage(folder.Path(), L"Conditions.exe", settings, payload);
    ProgramRun run = RunExe(package, L"-silent -extractpath=" + kTarget);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(Contains(Log(), "|ERROR     |CQirvaInitalizer::InitDisplay       |Condition not satisfied"));
    EXPECT_FALSE(CUtil::FileExists(kTarget + L"\\Setup.exe"));

    run = RunExe(package, L"-silent -NoConditioncheck -extractpath=" + kTarget);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(Contains(Log(), "|Command Line Parameters             |Condition check will not be done as NoConditioncheck command line parameter has been passed"));
    EXPECT_TRUE(CUtil::FileExists(kTarget + L"\\Setup.exe"));
}

TEST_F(ExtractionTest, OperatingSystemListThatExcludesTheRunningSystem) {
    std::string settings = Settings("[Runtime]\nAutoLaunch=Setup.exe\n[OS]\nosallowed=WindowsXP;Windows2003\n");
    std::wstring package = BuildTestPackage(folder.Path(), L"OldOs.exe", settings, payload);
    ProgramRun run = RunExe(package, L"-silent -extractpath=" + kTarget);
    EXPECT_EQ(run.exitCode, 0u);
    auto log = Log();
    EXPECT_TRUE(Contains(log, "|OSVersion                           |Show Error for OS"));
    EXPECT_TRUE(Contains(log, "|ERROR     |ValidateOSBeforeExtraction          |Current operating system not supported"));
}

}  // namespace
