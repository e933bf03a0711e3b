// The command line as the program receives it, split by the platform and interpreted per option.
#include <gtest/gtest.h>

#include "app/ExtractorCommandOpt.h"
#include "app/RunMode.h"

namespace {

struct Expected {
    int silent = 0, unattended = 0, debug = 0, noConditionCheck = 0, noOSCheck = 0;
    const wchar_t* extractPath = L"";
    const wchar_t* autolaunch = L"";
    const wchar_t* setupLanguage = L"";
    const wchar_t* password = L"";
};

struct Case {
    const wchar_t* commandLine;
    Expected expected;
};

Expected Silent() { Expected e; e.silent = 1; return e; }
Expected Unattended() { Expected e; e.unattended = 1; return e; }
Expected Path(const wchar_t* p) { Expected e; e.extractPath = p; return e; }
Expected Password(const wchar_t* p) { Expected e; e.password = p; return e; }

TEST(CommandLine, OptionTable) {
    Expected both;
    both.silent = 1;
    both.unattended = 1;
    Expected debug;
    debug.debug = 1;
    Expected checks;
    checks.noConditionCheck = 1;
    checks.noOSCheck = 1;
    Expected values;
    values.autolaunch = L"no";
    values.setupLanguage = L"1031";
    values.extractPath = L"C:\\Program Files\\Pkg";
    Expected later;
    later.extractPath = L"D:\\Second";
    later.silent = 1;

    const Case cases[] = {
        {L"prog.exe", {}},
        {L"prog.exe -silent", Silent()},
        {L"prog.exe -SILENT", Silent()},
        {L"prog.exe /Silent", Silent()},
        {L"prog.exe -silent=1", {}},                       // switches compare the whole argument
        {L"prog.exe silent", {}},                          // no "-" or "/": ignored
        {L"prog.exe -", {}},                               // empty after the flag character
        {L"prog.exe -unattended", Unattended()},
        {L"prog.exe -unattended -silent", both},
        {L"prog.exe -d", debug},
        {L"prog.exe /DEBUG", debug},
        {L"prog.exe -noconditioncheck -NOOSCHECK", checks},
        {L"prog.exe -extractpath=C:\\Pkg", Path(L"C:\\Pkg")},
        {L"prog.exe \"-extractpath = C:\\Pkg\"", Path(L"C:\\Pkg")},
        {L"prog.exe \"-extractpath=C:\\Program Files\\Pkg\" -autolaunch=no -setupLanguage=1031", values},
        {L"prog.exe -EXTRACTPATH=C:\\Pkg", Path(L"C:\\Pkg")},
        {L"prog.exe -extractpath", {}},                    // no "=": empty value
        {L"prog.exe -extractpath=", {}},
        {L"prog.exe -extractpath=C:\\First -silent -extractpath=D:\\Second", later},
        {L"prog.exe -extractionpassword=secret", Password(L"secret")},
        {L"prog.exe -extractionpassword=a=b", Password(L"b")},   // only the text after the last "="
        {L"prog.exe -extractionpassword=CaSe", Password(L"CaSe")},
        {L"prog.exe -unknown -foo=bar /x", {}},
        {L"prog.exe -extractpathx=C:\\Pkg", {}},
    };
    for (const auto& c : cases) {
        CExtractorCommandOpt options;
        options.ParseCommandLine(c.commandLine);
        const Expected& e = c.expected;
        SCOPED_TRACE(testing::Message() << "command line: " << std::string(c.commandLine, c.commandLine + wcslen(c.commandLine)));
        EXPECT_EQ(options.silent, e.silent);
        EXPECT_EQ(options.unattended, e.unattended);
        EXPECT_EQ(options.debug, e.debug);
        EXPECT_EQ(options.noConditionCheck, e.noConditionCheck);
        EXPECT_EQ(options.noOSCheck, e.noOSCheck);
        EXPECT_EQ(options.extractPathValue, e.extractPath);
        EXPECT_EQ(options.autolaunchValue, e.autolaunch);
        EXPECT_EQ(options.setupLanguageValue, e.setupLanguage);
        EXPECT_EQ(options.passwordValue, e.password);
    }
}

TEST(CommandLine, ParseParamIgnoresUnflaggedArguments) {
    CExtractorCommandOpt options;
    options.ParseParam(L"silent", 0, 1);
    options.ParseParam(L"extractpath=C:\\x", 0, 1);
    EXPECT_EQ(options.silent, 0);
    EXPECT_TRUE(options.extractPathValue.empty());
    options.ParseParam(L"", 1, 1);
    options.ParseParam(nullptr, 1, 1);
}

TEST(CommandLine, RunModeSilentWinsOverUnattended) {
    EXPECT_EQ(RunModeFor(0, 0), MODE_FULL_GUI);
    EXPECT_EQ(RunModeFor(0, 1), MODE_UNATTENDED);
    EXPECT_EQ(RunModeFor(1, 0), MODE_SILENT);
    EXPECT_EQ(RunModeFor(1, 1), MODE_SILENT);
}

}  // namespace
