// TreskPack build on input it cannot use: a clear error, exit code 1, and nothing left behind
// (no package, no part files, no temporary files, no output folder).
#include <gtest/gtest.h>

#include <functional>

#include "PackCommandSupport.h"

namespace {

using namespace packtest;

// Runs a build that must fail: exit code 1 with the error on standard error, and the scratch
// folder exactly as it was before.
void ExpectRefused(const PackageSources& sources, const std::vector<std::string>& arguments, const char* error,
                   const std::string& prefix = "") {
    std::set<std::string> before = Tree(sources.dir.Path());
    PackRun build = Pack(arguments, prefix);
    EXPECT_EQ(build.code, 1) << build.out;
    EXPECT_NE(build.err.find(error), std::string::npos) << build.err;
    EXPECT_EQ(build.err.find("Usage"), std::string::npos) << build.err;
    EXPECT_EQ(Tree(sources.dir.Path()), before);
}

TEST(PackBadInput, ClearErrorAndNothingLeftBehind) {
    using Arguments = std::vector<std::string>;
    struct Case {
        const char* label;
        // Breaks the sources; may change the arguments.
        std::function<void(PackageSources&, Arguments&)> setup;
        const char* error;
    };
    auto set = [](Arguments& arguments, const std::string& option, const std::string& value) {
        for (size_t i = 0; i + 1 < arguments.size(); ++i)
            if (arguments[i] == option) arguments[i + 1] = value;
    };
    const Case cases[] = {
        {"program missing", [&](PackageSources& s, Arguments& a) { set(a, "--program", s.dir / "missing.exe"); },
         "cannot open"},
        {"program is a folder", [&](PackageSources& s, Arguments& a) { set(a, "--program", s.payload); },
         "not a readable file"},
        {"settings missing", [&](PackageSources& s, Arguments& a) { set(a, "--settings", s.dir / "missing.ini"); },
         "cannot open"},
        {"settings neither UTF-8 nor UTF-16", [](PackageSources& s, Arguments&) { WriteFile(s.settings, "Name=\xFF\xFE\xFF"); },
         "not UTF-8 or UTF-16"},
        {"payload folder missing", [&](PackageSources& s, Arguments& a) { set(a, "--payload", s.dir / "missing"); },
         "does not exist"},
        {"support input missing",
         [](PackageSources& s, Arguments& a) { a = a + Arguments{"--support", s.dir / "missing.png"}; },
         "does not exist"},
        {"payload holds only an empty folder",
         [](PackageSources& s, Arguments&) {
             fs::remove_all(s.payload);
             fs::create_directories(s.payload + "/empty");
         },
         "holds no files"},
        {"program without version information", [](PackageSources& s, Arguments&) { WriteFile(s.program, StandInProgram({})); },
         "carries no version information"},
        {"program with two fixed version blocks",
         [](PackageSources& s, Arguments&) { WriteFile(s.program, StandInProgram({0x220, 0x300})); },
         "more than one fixed version information block"},
        {"program is no program", [](PackageSources& s, Arguments&) { WriteFile(s.program, "#!/bin/sh\n"); },
         "not a Windows program"},
        {"program is signed", [](PackageSources& s, Arguments&) { WriteFile(s.program, StandInProgram({0x220}, true)); },
         "carries a signature block"},
        {"program is already a package",
         [](PackageSources& s, Arguments&) {
             std::string program = StandInProgram();
             Put32(program, 0x220 + 40, 0x400);
             WriteFile(s.program, program);
         },
         "already carries a container"},
        {"support file named with a folder separator",
         [](PackageSources& s, Arguments&) { WriteFile(s.support + "/Images\\Top.png", "png"); },
         "must be a plain file name"},
        {"two support files of the same name",
         [](PackageSources& s, Arguments& a) {
             WriteFile(s.dir / "more/license1033.txt", "other licence");
             a = a + Arguments{"--support", s.dir / "more"};
         },
         "two support files are named"},
        {"password with a character outside ASCII",
         [](PackageSources&, Arguments& a) { a = a + Arguments{"--password", "Schl\xC3\xBCssel"}; },
         "printable ASCII characters only"},
        {"password beginning with a blank", [](PackageSources&, Arguments& a) { a = a + Arguments{"--password", " key"}; },
         "must not begin or end with a blank"},
        {"output folder below a file", [&](PackageSources& s, Arguments& a) { set(a, "--output", s.settings + "/Package.exe"); },
         "cannot create the output folder"},
        {"output is a folder",
         [&](PackageSources& s, Arguments& a) {
             fs::create_directories(s.dir / "existing/Package.exe");
             set(a, "--output", s.dir / "existing/Package.exe");
         },
         "cannot rename"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        PackageSources sources;
        Arguments arguments = sources.BuildArguments();
        c.setup(sources, arguments);
        ExpectRefused(sources, arguments, c.error);
    }
}

TEST(PackBadInput, PayloadFolderThatCannotBeRead) {
    // Permissions stop no one running as root: then TreskPack runs as the unprivileged user nobody.
    std::string prefix = geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    int status = -1;
    packtest::Run(prefix + "true", &status);
    if (status != 0) GTEST_SKIP() << "running as root and setpriv cannot switch to an unprivileged user";
    PackageSources sources;
    fs::permissions(sources.payload + "/Docs", fs::perms::none);
    ExpectRefused(sources, sources.BuildArguments(), "Permission denied", prefix);
    fs::permissions(sources.payload + "/Docs", fs::perms::owner_all);
}

}  // namespace
