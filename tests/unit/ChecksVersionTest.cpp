// Version comparison, the operators, and the outcome of registry and file tests from their facts.
#include <gtest/gtest.h>

#include <array>
#include <map>

#include "../common/Narrow.h"
#include "checks/ConditionLogic.h"

namespace {

TEST(CompareVersions, Table) {
    struct Case {
        const wchar_t *a, *b;
        int result;
    };
    const Case cases[] = {
        {L"4.10", L"4.5", VERSION_FIRST_GREATER},
        {L"4.5", L"4.10", VERSION_FIRST_SMALLER},
        {L"Version 4.5", L"4.5", VERSION_EQUAL},
        {L"4.5.0.0", L"4.5", VERSION_EQUAL},
        {L"4.5", L"4.5.0.0", VERSION_EQUAL},
        {L"4.5.0.1", L"4.5", VERSION_FIRST_GREATER},
        {L"4.5", L"4.5.0.1", VERSION_FIRST_SMALLER},
        {L"4_5", L"4.5", VERSION_EQUAL},
        // Only the first underscore is a dot: 4.5_1 has the components 4 and 5.
        {L"4_5_1", L"4.5", VERSION_EQUAL},
        {L"4_5_1", L"4.5.1", VERSION_FIRST_SMALLER},
        {L"", L"1.0", VERSION_EQUAL},
        {L"1.0", L"", VERSION_EQUAL},
        {L"...", L"1.0", VERSION_EQUAL},
        {L"2", L"1.9.9", VERSION_FIRST_GREATER},
        {L"10.0.19045.1", L"10.0.19044.9999", VERSION_FIRST_GREATER},
        {L" 1 . 2 ", L"1.2", VERSION_EQUAL},
        {L"1..2", L"1.2", VERSION_EQUAL},
        {L"v2.0 beta", L"2.0", VERSION_EQUAL},
        {L"2.0b", L"2.0a", VERSION_EQUAL},
        {L"abc", L"1", VERSION_FIRST_SMALLER},
        {L"99999999999", L"2147483647", VERSION_EQUAL},
    };
    for (const auto& c : cases) EXPECT_EQ(CompareVersions(c.a, c.b), c.result) << ToNarrow(c.a) << " vs " << ToNarrow(c.b);
}

TEST(MatchVersionOperator, EveryOperatorAgainstEveryResult) {
    // Expected outcome for the results greater (0), smaller (1), equal (2).
    const std::map<std::wstring, std::array<int, 3>> table = {
        {L"{=}", {0, 0, 1}},  {L"{>=}", {1, 0, 1}}, {L"{<=}", {0, 1, 1}}, {L"{!=}", {1, 1, 0}},
        {L"{>}", {1, 0, 0}},  {L"{<}", {0, 1, 0}},  {L"{=>}", {0, 0, 0}}, {L"{EXIST}", {0, 0, 0}},
        {L">=", {0, 0, 0}},   {L"", {0, 0, 0}},
    };
    for (const auto& row : table)
        for (int result = 0; result < 3; ++result)
            EXPECT_EQ(MatchVersionOperator(row.first, result), row.second[result]) << ToNarrow(row.first) << " " << result;
}

TEST(MatchTextOperator, EqualityWithoutCaseOnly) {
    EXPECT_EQ(MatchTextOperator(L"YES", L"Yes", L"{=}"), 1);
    EXPECT_EQ(MatchTextOperator(L"YES", L"No", L"{=}"), 0);
    EXPECT_EQ(MatchTextOperator(L"YES", L"No", L"{!=}"), 1);
    EXPECT_EQ(MatchTextOperator(L"yes", L"YES", L"{!=}"), 0);
    EXPECT_EQ(MatchTextOperator(L"b", L"a", L"{>}"), 0);
    EXPECT_EQ(MatchTextOperator(L"a", L"a", L"{>=}"), 0);
}

TEST(DecideRegistryCondition, Table) {
    struct Case {
        const wchar_t* op;
        int status;
        const wchar_t *read, *value;
        int result;
    };
    const int found = REGISTRY_FOUND, missing = REGISTRY_MISSING;
    const Case cases[] = {
        {L"{EXIST}", found, L"", L"", 1},          {L"{exist}", missing, L"", L"", 0},
        {L"{NOTEXIST}", missing, L"", L"", 1},     {L"{NotExist}", found, L"x", L"", 0},
        {L"{}", found, L"", L"", 1},               {L"{}", missing, L"", L"", 0},
        // "{=}" with "{}": an existing empty value, not a missing one.
        {L"{=}", found, L"", L"", 1},              {L"{=}", missing, L"", L"", 0},
        {L"{=}", found, L"YES", L"Yes", 1},        {L"{=}", found, L"4.5", L"4.50", 0},
        // "{!=}": a missing value differs from nothing; an existing empty one differs from 1.
        {L"{!=}", missing, L"", L"1", 0},          {L"{!=}", found, L"", L"1", 1},
        {L"{!=}", found, L"1", L"", 1},            {L"{!=}", found, L"", L"", 0},
        {L"{!=}", found, L"1.0", L"1", 0},         {L"{!=}", found, L"2", L"1", 1},
        {L"{!=}", found, L"abc", L"ABC", 0},       {L"{!=}", found, L"abc", L"abd", 1},
        {L"{>=}", found, L"4.10", L"4.5", 1},      {L"{>=}", found, L"Version 4.5", L"4.5", 1},
        {L"{>=}", found, L"4.5.0.0", L"4.5", 1},   {L"{>=}", found, L"4.4.9", L"4.5", 0},
        {L"{>=}", missing, L"", L"4.5", 0},        {L"{>=}", found, L"", L"4.5", 0},
        {L"{<}", found, L"4_4", L"4.5", 1},        {L"{<=}", found, L"4.5", L"", 1},
        {L"{>}", found, L"YES", L"abc", 0},
        {L"{~}", found, L"1", L"1", 0},            {L"", found, L"1", L"1", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecideRegistryCondition(c.op, c.status, c.read, c.value), c.result)
            << ToNarrow(c.op) << " status " << c.status << " read '" << ToNarrow(c.read) << "' value '" << ToNarrow(c.value) << "'";
}

TEST(DecideFileCondition, PresenceAndVersion) {
    EXPECT_EQ(DecideFilePresence(L"{EXIST}", true), 1);
    EXPECT_EQ(DecideFilePresence(L"{exist}", false), 0);
    EXPECT_EQ(DecideFilePresence(L"{}", true), 1);
    EXPECT_EQ(DecideFilePresence(L"{NOTEXIST}", false), 1);
    EXPECT_EQ(DecideFilePresence(L"{notexist}", true), 0);

    struct Case {
        const wchar_t *op, *version, *value;
        int result;
    };
    const Case cases[] = {
        {L"{>=}", L"1.2.3.4", L"1.2", 1},   {L"{>}", L"1.2.3.4", L"1.2.3.4", 0}, {L"{=}", L"2.10.0.0", L"2.10", 1},
        {L"{<}", L"1.2.3.4", L"2.10", 1},   {L"{!=}", L"1.2.3.4", L"1.2.3.5", 1},
        // Without version information only "{=}" with an empty value holds.
        {L"{>=}", L"", L"2.0.0.0", 0},      {L"{=}", L"", L"", 1},                {L"{!=}", L"", L"1", 0},
        {L"{=}", L"", L"1", 0},
        // An empty value equals every version.
        {L"{=}", L"1.2.3.4", L"", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecideFileVersion(c.op, c.version, c.value), c.result) << ToNarrow(c.op) << " " << ToNarrow(c.version);
    EXPECT_EQ(FileConditionValue(L"{ 2.0.0.0 }"), L"2.0.0.0");
    EXPECT_EQ(FileConditionValue(L"{{}}"), L"");
}

TEST(ConditionPaths, FileReferencesAndProperties) {
    const std::map<std::wstring, std::wstring> environment = {
        {L"ProgramFiles", L"C:\\Program Files"}, {L"Root", L"C:\\"}, {L"Empty", L""}};
    auto lookup = [&](const std::wstring& name) {
        auto found = environment.find(name);
        return found == environment.end() ? std::wstring() : found->second;
    };
    struct Case {
        const wchar_t *path, *expanded;
    };
    const Case cases[] = {
        {L"[%ProgramFiles%]Example Vendor\\tool.exe", L"C:\\Program Files\\Example Vendor\\tool.exe"},
        {L"{ [%ProgramFiles%]tool.exe }", L"C:\\Program Files\\tool.exe"},
        {L"[%Root%]tool.exe", L"C:\\tool.exe"},
        {L"[%ProgramFiles%]a;[%ProgramFiles%]b", L"C:\\Program Files\\a;C:\\Program Files\\b"},
        // An unset or empty variable leaves the reference, so the file is not found.
        {L"[%NoSuchVariable%]tool.exe", L"[%NoSuchVariable%]tool.exe"},
        {L"[%Empty%]tool.exe", L"[%Empty%]tool.exe"},
        {L"[%%]tool.exe", L"[%%]tool.exe"},
        {L"[%]tool.exe", L"[%]tool.exe"},
        {L"%]x[%ProgramFiles", L"%]x[%ProgramFiles"},
        {L"C:\\Tools\\tool.exe", L"C:\\Tools\\tool.exe"},
    };
    for (const auto& c : cases) EXPECT_EQ(ExpandFilePath(c.path, lookup), c.expanded) << ToNarrow(c.path);

    EXPECT_EQ(ApplyPropertyToPath(L"[Dir]tool.exe", L"Dir", L"C:\\Tools", true), L"C:\\Tools\\tool.exe");
    EXPECT_EQ(ApplyPropertyToPath(L"[Dir]tool.exe", L"Dir", L"C:\\Tools\\", true), L"C:\\Tools\\tool.exe");
    EXPECT_EQ(ApplyPropertyToPath(L"HKEY_USERS\\[Sid]\\Key\\[Sid]", L"Sid", L"S-1", false), L"HKEY_USERS\\S-1\\Key\\S-1");
    EXPECT_EQ(ApplyPropertyToPath(L"[Dir]C:\\tool.exe", L"Dir", L"", true), L"C:\\tool.exe");
    EXPECT_EQ(ApplyPropertyToPath(L"[dir]tool.exe", L"Dir", L"C:\\Tools", true), L"[dir]tool.exe");
    EXPECT_EQ(ApplyPropertyToPath(L"[]tool.exe", L"", L"C:\\Tools", true), L"[]tool.exe");
}

TEST(ConditionPaths, RegistryPaths) {
    struct Case {
        const wchar_t* path;
        bool parsed;
        int root;
        const wchar_t *key, *value;
    };
    const Case cases[] = {
        {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Runtime\\Version", true, ROOT_LOCAL_MACHINE, L"SOFTWARE\\Vendor\\Runtime", L"Version"},
        {L"{HKEY_CURRENT_USER\\\\Software\\ Vendor \\Version\\}", true, ROOT_CURRENT_USER, L"Software\\Vendor", L"Version"},
        {L"HKEY_USERS\\Value", true, ROOT_USERS, L"", L"Value"},
        {L"HKEY_CLASSES_ROOT\\.txt\\Content Type", true, ROOT_CLASSES_ROOT, L".txt", L"Content Type"},
        // Hives are written exactly: no abbreviations, no other case.
        {L"HKLM\\SOFTWARE\\Version", true, ROOT_NONE, L"SOFTWARE", L"Version"},
        {L"hkey_local_machine\\SOFTWARE\\Version", true, ROOT_NONE, L"SOFTWARE", L"Version"},
        {L"HKEY_LOCAL_MACHINE", false, ROOT_NONE, L"", L""},
        {L"", false, ROOT_NONE, L"", L""},
    };
    for (const auto& c : cases) {
        int root = 99;
        std::wstring key, value;
        EXPECT_EQ(ParseRegistryPath(c.path, root, key, value), c.parsed) << ToNarrow(c.path);
        EXPECT_EQ(root, c.root) << ToNarrow(c.path);
        EXPECT_EQ(key, c.key) << ToNarrow(c.path);
        EXPECT_EQ(value, c.value) << ToNarrow(c.path);
    }
}

}  // namespace
