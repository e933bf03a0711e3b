#pragma once
// Helpers for the tests of the packager's commands: a stand-in program file, the sources of a
// small package in a scratch folder, running TreskPack, and reading a built package back.

#include "../common/TestData.h"
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "PackTestSupport.h"
#include "cab/CabReader.h"
#include "container/Container.h"
#include "container/VersionStamp.h"
#include "io/File.h"
#include "settings/IniDocument.h"
#include "text/Utf.h"

namespace packtest {

using testdata::Put16;
using testdata::Put32;



// The real program only exists in the cross-built tree, so the native tests build from a minimal
// 32-bit program file: headers and one resource section (file offset 0x200, 0x200 bytes) holding
// fixed-version-information signatures at the given offsets.
inline std::string StandInProgram(std::initializer_list<size_t> signatures = {0x220}, bool signedFile = false) {
    return testdata::MakeProgram(signatures, signedFile);
}

inline std::string Scrambled(size_t size, uint32_t seed) {
    return testdata::Incompressible(size, seed);
}

// Settings that pass the settings check against the files below.
inline const char* const kSettings =
    "; Test package\n"
    "[Package]\n"
    "Name=Test Product\n"
    "NameDispl=Test Product\n"
    "VersionString=V1.0\n"
    "[Runtime]\n"
    "AutoLaunch=Setup\\Start.exe\n"
    "ExtractPathMaxLength=80\n"
    "WaitForAutolaunchFinish=1\n"
    "[Images]\n"
    "TopImage=Top.png\n"
    "BottomImage=Bottom.png\n"
    "[Languages]\n"
    "SetupLanguages=1031;1033;\n"
    "[LicenseFiles]\n"
    "1033=License1033.txt\n"
    "1031=License1031.txt\n"
    "[Qirva]\n"
    "FrameVersion=01.00.00.00\n"
    "[AutoLaunch]\n"
    "ReturnCode_0=success:{Done}\n"
    "ReturnCode_-1=error:{Failed}\n"
    "[1033]\n"
    "Done=Installed.\n"
    "Failed=Failed.\n"
    "[1031]\n"
    "Done=Installiert.\n"
    "Failed=Fehlgeschlagen.\n";

inline std::string LanguageFile(const std::string& id, const std::string& lineEnd = "\n") {
    return "[FileInfo]" + lineEnd + "Product=Test Product" + lineEnd + "ID=" + id + lineEnd + "LangName=Sprache " + id +
           lineEnd + "// Buttons" + lineEnd + "110=< &Zur\xC3\xBC" "ck" + lineEnd + "111=&Weiter >" + lineEnd;
}

inline std::string Utf16LeFile(const std::string& utf8) {
    std::u16string wide;
    std::string error;
    Utf8ToUtf16(utf8, wide, error);
    return "\xFF\xFE" + Utf16LeBytes(wide);
}

// The sources of a package in a scratch folder: the stand-in program, settings, a support folder
// (language files in three encodings, images, licences) and a payload folder with a sub folder
// and an empty file. The package goes to out/Package.exe, a folder that does not exist yet.
struct PackageSources {
    TempDir dir;
    std::string program = dir / "program.exe";
    std::string settings = dir / "settings.ini";
    std::string support = dir / "support";
    std::string payload = dir / "payload";
    std::string output = dir / "out/Package.exe";

    PackageSources() {
        WriteFile(program, StandInProgram());
        WriteFile(settings, kSettings);
        WriteFile(support + "/Default1031.ulf", "\xEF\xBB\xBF" + LanguageFile("1031"));
        WriteFile(support + "/Default9226.ulf", Utf16LeFile(LanguageFile("9226", "\r\n")));
        WriteFile(support + "/Default10250.ulf", LanguageFile("10250", "\r\n"));
        WriteFile(support + "/Defaultx.ulf", "[RADIOBUTTONSTRING]\n1031=&Deutsch\n1033=&English\n");
        WriteFile(support + "/Top.png", "\x89PNG\r\n\x1A\n" + Scrambled(3000, 1));
        WriteFile(support + "/Bottom.png", "\x89PNG\r\n\x1A\n" + Scrambled(700, 2));
        WriteFile(support + "/License1033.txt", "Licence\r\n");
        WriteFile(support + "/License1031.txt", "Lizenz f\xFCr alle\r\n");  // 8-bit text stays as it is
        WriteFile(payload + "/Setup/Start.exe", "MZ" + Scrambled(5000, 3));
        WriteFile(payload + "/Docs/ReadMe.txt", std::string(40000, 'r'));
        WriteFile(payload + "/data.bin", Scrambled(20000, 4));
        WriteFile(payload + "/empty.txt", "");
    }

    std::vector<std::string> BuildArguments() const {
        return {"build", "--program", program, "--settings", settings, "--support", support,
                "--payload", payload, "--output", output};
    }
};

inline std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct PackRun {
    int code = -1;
    std::string out;
    std::string err;
};

inline std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs the TreskPack program; prefix goes in front of the command (e.g. to drop privileges).
inline PackRun Pack(const std::vector<std::string>& arguments, const std::string& prefix = "") {
    TempDir scratch;
    std::string command = prefix + Quoted(TRESK_PACK_EXE);
    for (const auto& argument : arguments) command += " " + Quoted(argument);
    PackRun run;
    run.out = Run(command + " 2>" + Quoted(scratch / "stderr"), &run.code);
    run.err = ReadFile(scratch / "stderr");
    return run;
}

// Every path under root, relative, folders included.
inline std::set<std::string> Tree(const fs::path& root) {
    std::set<std::string> paths;
    std::error_code code;
    for (fs::recursive_directory_iterator it(root, code), end; !code && it != end; it.increment(code))
        paths.insert(it->path().lexically_relative(root).string());
    return paths;
}

// Regular files under root with their bytes, by '/'-separated relative path.
inline std::map<std::string, std::string> Files(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) files[entry.path().lexically_relative(root).string()] = ReadFile(entry.path());
    return files;
}

// A package read back the way the program finds its files.
struct PackageView {
    std::string bytes;
    uint32_t stamp = 0;
    std::vector<ContainerEntry> entries;
    IniDocument settings;

    std::string Entry(const std::string& name) const {
        for (const auto& entry : entries)
            if (entry.name == name) return bytes.substr(entry.dataOffset, entry.size);
        return std::string();
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : entries) names.push_back(entry.name);
        return names;
    }
};

inline bool ReadPackage(const std::string& path, PackageView& view, std::string& error) {
    view.bytes = ReadFile(path);
    VersionStampLocation stamp;
    if (!FindVersionStamp(view.bytes, stamp, error) || !ReadContainer(path, stamp.subtype, view.entries, error))
        return false;
    view.stamp = stamp.subtype;
    std::string text;
    if (view.entries.empty() || !DecodeTextFile(view.Entry(SETTINGS_ENTRY_NAME), text, error)) return false;
    view.settings = IniDocument::Parse(text);
    return true;
}

// Replaces text in the UTF-16LE settings entry of a package in place; both texts must have the
// same length, so the container stays intact.
inline bool PatchSettings(const std::string& packagePath, const std::string& from, const std::string& to) {
    std::string bytes = ReadFile(packagePath);
    std::u16string a(from.begin(), from.end()), b(to.begin(), to.end());
    std::string wideFrom = Utf16LeBytes(a), wideTo = Utf16LeBytes(b);
    size_t at = bytes.find(wideFrom);
    if (from.size() != to.size() || at == std::string::npos) return false;
    bytes.replace(at, wideTo.size(), wideTo);
    WriteFile(packagePath, bytes);
    return true;
}

}  // namespace packtest
