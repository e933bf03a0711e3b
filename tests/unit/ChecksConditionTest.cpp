// The condition check of a package, run against settings files, the registry of the prefix and
// real files with and without version resources.
#include <gtest/gtest.h>

#include "ChecksTestSupport.h"
#include "util/Text.h"
#include "checks/Condition.h"
#include "checks/ConditionCheck.h"
#include "checks/ConditionLogic.h"
#include "checks/ConditionPlatform.h"

namespace {

constexpr REGSAM k64 = KEY_WOW64_64KEY;

class ConditionCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(tools.c_str(), nullptr);
        std::wstring built = TestProgramFolder();
        for (const wchar_t* tool : {L"A", L"B"}) {
            std::wstring from = built + L"\\checks_versioned_tool_" + textutil::Lower(tool) + L".exe";
            ASSERT_TRUE(CopyFileW(from.c_str(), (tools + L"\\tool" + tool + L".exe").c_str(), FALSE));
        }
        ASSERT_TRUE(WriteBytes(tools + L"\\plain.txt", "no version here"));
        SetEnvironmentVariableW(L"TRESK_CHECKS_TOOLS", tools.c_str());
    }
    void TearDown() override { SetEnvironmentVariableW(L"TRESK_CHECKS_TOOLS", nullptr); }

    // A package whose action is guarded by the expression over the given condition lines.
    void WritePackage(const std::wstring& expression, const std::wstring& conditionLines,
                      const std::wstring& extraSections = L"", const std::wstring& action = L"Extract") {
        WriteIni(settings, L"[Conditions]\r\nAction1Condition=" + expression + L"\r\nAction1=" + action +
                               L"\r\nAction1Message=MsgPrerequisites\r\n" + conditionLines + extraSections +
                               L"[1033]\r\nMsgPrerequisites=The following requirements are not met:\r\n"
                               L"MsgRuntime=Example Runtime 4.5 or later is required.\r\n");
    }
    // The answer for a package whose only condition is the definition.
    int Single(const std::wstring& definition) {
        WritePackage(L"Condition1", L"Condition1=" + definition + L"\r\n");
        std::wstring keys;
        return CheckConditions(settings, 1033, keys);
    }

    struct DefinitionCase {
        std::wstring definition;
        int answer;
    };
    void ExpectAnswers(const std::vector<DefinitionCase>& cases) {
        for (const auto& c : cases)
            EXPECT_EQ(Single(c.definition), c.answer) << std::string(c.definition.begin(), c.definition.end());
    }

    LogCapture log;
    ScratchFolder folder{L"checkscond"};
    std::wstring settings = folder / L"Properties_Qirva.ini";
    std::wstring tools = folder / L"tools";
    RegistryScratch registry;
};

// Registry and file conditions, each in a package of its own.
class RegistryConditions : public ConditionCheckTest {};
class FileConditions : public ConditionCheckTest {};

TEST_F(RegistryConditions, Table) {
    registry.WriteText(kDefaultView, L"Empty", L"");
    registry.WriteText(kDefaultView, L"Version", L"4.10");
    registry.WriteText(kDefaultView, L"Versioned", L"Version 4.5");
    registry.WriteText(kDefaultView, L"Padded", L"4.5.0.0");
    registry.WriteText(kDefaultView, L"Old", L"4.4");
    registry.WriteText(kDefaultView, L"Underscored", L"4_5");
    registry.WriteText(kDefaultView, L"Answer", L"YES");
    registry.WriteDword(kDefaultView, L"AllOnes", 4294967295u);
    auto path = [&](const wchar_t* value) { return registry.ConditionPath(value); };
    const std::vector<DefinitionCase> cases = {
        {L"{Registry};" + path(L"Empty") + L";{=};{};{}", 1},
        {L"{Registry};" + path(L"Missing") + L";{=};{};{}", 0},
        {L"{Registry};" + path(L"Missing") + L";{!=};{1};{}", 0},
        {L"{Registry};" + path(L"Empty") + L";{!=};{1};{}", 1},
        {L"{Registry};" + path(L"Version") + L";{>=};{4.5};{MsgRuntime}", 1},
        {L"{Registry};" + path(L"Versioned") + L";{>=};{4.5};{MsgRuntime}", 1},
        {L"{Registry};" + path(L"Padded") + L";{>=};{4.5};{MsgRuntime}", 1},
        {L"{Registry};" + path(L"Underscored") + L";{=};{4.5};{}", 0},
        {L"{Registry};" + path(L"Underscored") + L";{>=};{4.5};{}", 1},
        {L"{Registry};" + path(L"Old") + L";{>=};{4.5};{MsgRuntime}", 0},
        {L"{Registry};" + path(L"Old") + L";{ < };{4.5};{}", 1},
        {L"{Registry};" + path(L"Answer") + L";{=};{Yes};{}", 1},
        {L"{Registry};" + path(L"Answer") + L";{>};{abc};{}", 0},
        {L"{Registry};" + path(L"AllOnes") + L";{=};{-1};{}", 1},
        {L"{registry};" + path(L"Empty") + L";{exist};{};{}", 1},
        {L"{Registry};" + path(L"Version") + L";{};{};{}", 1},
        {L"{Registry};" + path(L"Missing") + L";{NOTEXIST};{};{}", 1},
        {L"{Registry};" + path(L"Missing") + L";{EXIST};{};{}", 0},
        // An abbreviated hive cannot be read.
        {L"{Registry};HKLM\\" + registry.Key() + L"\\Version;{NOTEXIST};{};{}", 1},
        {L"{Registry};HKLM\\" + registry.Key() + L"\\Version;{EXIST};{};{}", 0},
        // Unknown types and operators never hold.
        {L"{Regedit};" + path(L"Version") + L";{EXIST};{};{}", 0},
        {L"{Registry};" + path(L"Version") + L";{~};{4.10};{}", 0},
    };
    ExpectAnswers(cases);
}

TEST_F(RegistryConditions, SixtyFourBitView) {
    if (!HasTwoRegistryViews()) GTEST_SKIP() << "one registry view only on 32-bit Windows";
    registry.WriteText(k64, L"Only64", L"1");
    std::wstring value = registry.ConditionPath(L"Only64");
    EXPECT_EQ(Single(L"{Registry64};" + value + L";{=};{1};{}"), 1);
    // {Registry} reads the program's own view, which is the 64-bit one only for a 64-bit build.
    EXPECT_EQ(Single(L"{Registry};" + value + L";{NOTEXIST};{};{}"), kBuildIs64 ? 0 : 1);
}

TEST_F(FileConditions, Table) {
    std::wstring a = tools + L"\\toolA.exe", b = tools + L"\\toolB.exe", plain = tools + L"\\plain.txt";
    const std::vector<DefinitionCase> cases = {
        {L"{File};" + a + L";{EXIST};{};{}", 1},
        {L"{file};" + a + L";{};{};{}", 1},
        {L"{File};" + tools + L"\\missing.exe;{EXIST};{};{}", 0},
        {L"{File};" + tools + L"\\missing.exe;{NOTEXIST};{};{}", 1},
        {L"{File};" + a + L";{notexist};{};{}", 0},
        // Wildcards count when something matches.
        {L"{File};" + tools + L"\\tool?.exe;{EXIST};{};{}", 1},
        {L"{File};" + tools + L"\\*.nothing;{EXIST};{};{}", 0},
        // File versions: toolA is 1.2.3.4, toolB 2.10.0.0.
        {L"{File};" + a + L";{>=};{1.2.3.4};{}", 1},
        {L"{File};" + a + L";{>};{1.2.3.4};{}", 0},
        {L"{File};" + a + L";{<};{2.10};{}", 1},
        {L"{File};" + a + L";{!=};{1.2.3};{}", 1},
        {L"{File};" + b + L";{=};{ 2.10 };{}", 1},
        {L"{File};" + b + L";{>=};{2.9};{}", 1},
        {L"{File};" + b + L";{<=};{2.9.9};{}", 0},
        {L"{File};" + tools + L"\\missing.exe;{>=};{1.0};{}", 0},
        // Without version information only "{=}" with "{}" holds.
        {L"{File};" + plain + L";{>=};{2.0.0.0};{}", 0},
        {L"{File};" + plain + L";{=};{};{}", 1},
        {L"{File};" + plain + L";{EXIST};{};{}", 1},
        // [%VAR%] is the variable's value and a backslash; an unset variable is not expanded.
        {L"{File};[%TRESK_CHECKS_TOOLS%]toolA.exe;{EXIST};{};{}", 1},
        {L"{File};{ [%TRESK_CHECKS_TOOLS%]toolB.exe };{=};{2.10.0.0};{}", 1},
        {L"{File};[%TRESK_CHECKS_UNSET%]toolA.exe;{EXIST};{};{}", 0},
        {L"{File};[%TRESK_CHECKS_UNSET%]toolA.exe;{NOTEXIST};{};{}", 1},
    };
    ExpectAnswers(cases);
}

TEST_F(FileConditions, PathsOf256CharactersDoNotExist) {
    std::wstring dir = tools + L"\\" + std::wstring(100, L'd');
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    size_t nameLength = 255 - (dir.size() + 1);
    std::wstring at255 = dir + L"\\" + std::wstring(nameLength - 4, L'f') + L".txt";
    std::wstring at256 = dir + L"\\" + std::wstring(nameLength - 3, L'g') + L".txt";
    ASSERT_EQ(at255.size(), 255u);
    ASSERT_EQ(at256.size(), 256u);
    ASSERT_TRUE(WriteBytes(at255, "x"));
    ASSERT_TRUE(WriteBytes(at256, "x"));
    EXPECT_EQ(Single(L"{File};" + at255 + L";{EXIST};{};{}"), 1);
    EXPECT_EQ(Single(L"{File};" + at256 + L";{EXIST};{};{}"), 0);
    EXPECT_EQ(Single(L"{File};" + at256 + L";{NOTEXIST};{};{}"), 1);
}


// A file condition on the system folder sees what the program itself sees: the shipped 32-bit
// program is redirected to the 32-bit system folder, a 64-bit build is not.
TEST_F(FileConditions, SystemFolderAsTheRunningProgramSeesIt) {
    if (!IsSystem64Bit()) GTEST_SKIP() << "no file-system redirection on 32-bit Windows";
    wchar_t wow64Folder[MAX_PATH] = {}, windows[MAX_PATH] = {};
    ASSERT_GT(GetSystemWow64DirectoryW(wow64Folder, MAX_PATH), 0u);
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    const std::wstring name = L"tresk_checks_" + CUtil::NewGuidText() + L".txt";
    const std::wstring marker = std::wstring(wow64Folder) + L"\\" + name;
    ASSERT_TRUE(WriteBytes(marker, "32-bit system folder only"));
    EXPECT_EQ(Single(L"{File};" + std::wstring(windows) + L"\\System32\\" + name + L";{EXIST};{};{}"), kBuildIs64 ? 0 : 1);
    EXPECT_EQ(Single(L"{File};" + marker + L";{EXIST};{};{}"), 1);
    DeleteFileW(marker.c_str());
}
TEST_F(ConditionCheckTest, ExamplePackageWithPropertyAndMessages) {
    registry.WriteText(kDefaultView, L"ProductKey", L"Product 7");
    std::wstring conditions =
        L"Condition1={Registry};" + registry.ConditionPath(L"Version") + L";{>=};{4.5};{MsgRuntime}\r\n"
        L"Condition2={File};[%TRESK_CHECKS_TOOLS%]tool.exe;{EXIST};{};{MsgTool}\r\n"
        L"Condition3={Registry64};HKEY_LOCAL_MACHINE\\" + registry.Key() + L"\\[ProductKey]\\Blocked;{=};{1};{}\r\n";
    std::wstring properties = L"[ReadRegEntries]\r\nRoot1=2\r\nKey1=" + registry.Key() +
                              L"\r\nEntry1=ProductKey\r\nProperty1=ProductKey\r\n";
    WritePackage(L"(Condition1 and Condition2) or not Condition3", conditions, properties);

    struct Scenario {
        const char* label;
        const wchar_t* version;  // nullptr: value missing
        bool tool;
        const wchar_t* blocked;  // nullptr: value missing
        int answer;
        const wchar_t* keys;
    };
    const Scenario scenarios[] = {
        {"all met, blocked", L"4.10", true, L"1", 1, L"{MsgPrerequisites};"},
        {"old runtime, no tool, blocked", L"4.4", false, L"1", 0, L"{MsgPrerequisites};{MsgRuntime};{MsgTool};"},
        {"old runtime, not blocked", L"4.4", true, L"0", 1, L"{MsgPrerequisites};{MsgRuntime};"},
        {"no runtime, block unreadable", nullptr, false, nullptr, 1, L"{MsgPrerequisites};{MsgRuntime};{MsgTool};"},
    };
    for (const auto& s : scenarios) {
        SCOPED_TRACE(s.label);
        std::wstring versionKey = registry.Key();
        HKEY key = nullptr;
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, versionKey.c_str(), 0, KEY_ALL_ACCESS | kDefaultView, &key);
        RegDeleteValueW(key, L"Version");
        RegCloseKey(key);
        if (s.version) registry.WriteText(kDefaultView, L"Version", s.version);
        std::wstring tool = tools + L"\\tool.exe";
        DeleteFileW(tool.c_str());
        if (s.tool) {
            ASSERT_TRUE(WriteBytes(tool, "tool"));
        }
        key = nullptr;
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, (versionKey + L"\\Product 7").c_str(), 0, KEY_ALL_ACCESS | k64, &key);
        if (key) {
            RegDeleteValueW(key, L"Blocked");
            RegCloseKey(key);
        }
        if (s.blocked) {
            std::wstring blocked = s.blocked;
            registry.Write(k64, L"Blocked", REG_SZ, blocked.c_str(), static_cast<DWORD>((blocked.size() + 1) * 2),
                           L"Product 7");
        }
        std::wstring keys = L"stale";
        EXPECT_EQ(CheckConditions(settings, 1033, keys), s.answer);
        EXPECT_EQ(keys, s.keys);
    }
    EXPECT_TRUE(log.Has("Reading Registry : Root = 2 Key = " + std::string(registry.Key().begin(), registry.Key().end()) +
                        " Entry = ProductKey"));
    EXPECT_TRUE(log.Has("Registry Value : Product 7"));
    EXPECT_TRUE(log.Has("Property : ProductKey = Product 7"));
    EXPECT_TRUE(log.Has("Operator : {>=}"));
    EXPECT_TRUE(log.Has("Compare Values : 4.10 and 4.5 "));
    EXPECT_TRUE(log.Has("Finding file : " + std::string(tools.begin(), tools.end()) + "\\tool.exe"));
    EXPECT_TRUE(log.Has("Condition1 = 1"));
    EXPECT_TRUE(log.Has("Condition3 = 0"));
    EXPECT_TRUE(log.Has("Action condition is satisfied"));
    EXPECT_TRUE(log.Has("Action condition is not satisfied"));
}

TEST_F(ConditionCheckTest, MessageKeys) {
    const std::wstring missing = L"{File};" + tools + L"\\missing.exe;{EXIST};{};";
    struct Scenario {
        const char* label;
        std::wstring expression;
        std::wstring conditions;
        int answer;
        std::wstring keys;
    };
    const Scenario scenarios[] = {
        {"negated, duplicate, action key, none",
         L"Condition1 and not Condition2 and Condition3 and Condition4 and Condition5",
         L"Condition1=" + missing + L"{MsgA}\r\nCondition2=" + missing + L"{MsgB}\r\nCondition3=" + missing +
             L"{msga}\r\nCondition4=" + missing + L"{MsgPrerequisites}\r\nCondition5=" + missing + L"{}\r\n",
         0, L"{MsgPrerequisites};{MsgA};"},
        {"negated group", L"not (Condition1 or Condition2)",
         L"Condition1=" + missing + L"{MsgA}\r\nCondition2=" + missing + L"{MsgB}\r\n", 1, L"{MsgPrerequisites};"},
        {"plain before negated", L"Condition1 or not Condition1", L"Condition1=" + missing + L"{MsgA}\r\n", 1,
         L"{MsgPrerequisites};{MsgA};"},
        {"not(name)", L"not(Condition1)", L"Condition1=" + missing + L"{MsgA}\r\n", 1, L"{MsgPrerequisites};"},
        {"order of the conditions list", L"Condition2 or Condition1",
         L"Condition1=" + missing + L"{MsgA}\r\nCondition2=" + missing + L"{MsgB}\r\n", 0,
         L"{MsgPrerequisites};{MsgB};{MsgA};"},
        // Reading stops at the empty Condition1: nothing is referenced, only the action is listed.
        {"undefined first condition", L"Condition1 or Condition2",
         L"Condition1=\r\nCondition2={File};" + tools + L"\\toolA.exe;{EXIST};{};{MsgB}\r\n", 0, L"{MsgPrerequisites};"},
        {"unbalanced parentheses", L"(Condition1 or Condition2",
         L"Condition1=" + missing + L"{MsgA}\r\nCondition2=" + missing + L"{MsgB}\r\n", 0, L"{MsgPrerequisites};"},
        {"undefined later condition", L"Condition1 or Condition3", L"Condition1=" + missing + L"{MsgA}\r\n", 0,
         L"{MsgPrerequisites};{MsgA};"},
        // "Condition1and" names no condition: reading stops there.
        {"name glued to a word", L"Condition1and Condition2",
         L"Condition1={File};" + tools + L"\\toolA.exe;{EXIST};{};{MsgA}\r\nCondition2={File};" + tools +
             L"\\toolB.exe;{EXIST};{};{MsgB}\r\n",
         0, L"{MsgPrerequisites};"},
        {"condition without message key", L"Condition1",
         L"Condition1={File};" + tools + L"\\missing.exe;{EXIST};{}\r\n", 0, L"{MsgPrerequisites};"},
    };
    for (const auto& s : scenarios) {
        SCOPED_TRACE(s.label);
        WritePackage(s.expression, s.conditions);
        std::wstring keys;
        EXPECT_EQ(CheckConditions(settings, 1033, keys), s.answer);
        EXPECT_EQ(keys, s.keys);
    }
}

TEST_F(ConditionCheckTest, ActionWordAndEmptyExpression) {
    std::wstring met = L"Condition1={File};" + tools + L"\\toolA.exe;{EXIST};{};{}\r\n";
    std::wstring keys = L"previous";
    WritePackage(L"Condition1", met, L"", L"extract");
    EXPECT_EQ(CheckConditions(settings, 1033, keys), 1);
    WritePackage(L"Condition1", met, L"", L"Install");
    EXPECT_EQ(CheckConditions(settings, 1033, keys), 0);
    EXPECT_EQ(keys, L"{MsgPrerequisites};");

    // No expression: the check passes without reading or logging anything and keeps the keys.
    LogCapture quietLog;
    keys = L"previous";
    WritePackage(L"", met);
    EXPECT_EQ(CheckConditions(settings, 1033, keys), 1);
    EXPECT_EQ(keys, L"previous");
    EXPECT_EQ(CheckConditions(folder / L"nothing.ini", 1033, keys), 1);
    EXPECT_TRUE(quietLog.Messages().empty());
}

TEST_F(ConditionCheckTest, PropertiesInFilePaths) {
    registry.WriteText(kDefaultView, L"ToolsDir", tools);
    registry.WriteText(k64, L"ToolsDir64", tools + L"\\");
    std::wstring sections = L"[ReadRegEntries]\r\nRoot1=2\r\nKey1=" + registry.Key() +
                            L"\r\nEntry1=ToolsDir\r\nProperty1=ToolsDir\r\n"
                            L"Root2=2\r\nKey2=" + registry.Key() + L"\\NoSuchKey\r\nEntry2=x\r\nProperty2=Nothing\r\n"
                            L"[ReadRegEntries64]\r\nRoot1=2\r\nKey1=" + registry.Key() +
                            L"\r\nEntry1=ToolsDir64\r\nProperty1=ToolsDir64\r\n";
    WritePackage(L"Condition1 and Condition2 and Condition3",
                 L"Condition1={File};[ToolsDir]toolA.exe;{EXIST};{};{}\r\n"
                 L"Condition2={File};[ToolsDir64]toolB.exe;{=};{2.10.0.0};{}\r\n"
                 // A property whose read fails disappears from the path.
                 L"Condition3={File};[Nothing]" + tools + L"\\toolA.exe;{EXIST};{};{}\r\n",
                 sections);
    std::wstring keys;
    EXPECT_EQ(CheckConditions(settings, 1033, keys), 1);
    EXPECT_TRUE(log.Has("Property : Nothing = "));
}

TEST_F(ConditionCheckTest, ReadingTheConditionSet) {
    WriteIni(settings, L"[Conditions]\r\nAction1Condition=Condition01 or Condition2 or Condition2 or Condition3\r\n"
                       L"Action1=Extract\r\nAction1Message=MsgPrerequisites\r\nAction2=Extract\r\n"
                       L"Condition01={File};C:\\Tools\\one.exe;{EXIST};{};{MsgOne}\r\n"
                       L"Condition2={File};C:\\Tools\\tool.exe;{EXIST};;{MsgTool}\r\n"
                       L"Condition3={Registry};HKEY_USERS\\x;{=};{1};{MsgTool};{extra};{more}\r\n"
                       L"[ReadRegEntries]\r\nRoot1=5\r\nKey1=Software\r\nEntry1=E\r\nProperty1=P\r\nRoot2=0\r\n"
                       L"Root3=-1\r\nRoot4=1\r\n"
                       L"[ReadRegEntries64]\r\nRoot2=2\r\n"
                       L"[1033]\r\nMsgOne=One is needed.\r\nMsgTool=The tool is needed.\r\n");
    CCondition conditionSet(settings);
    conditionSet.ReadConditions(1033);
    conditionSet.ReadActions();
    conditionSet.ReadRegEntries(false);
    conditionSet.ReadRegEntries(true);

    ASSERT_EQ(conditionSet.conditions.size(), 4u);
    const CConditionParts& one = *conditionSet.conditions[0];
    EXPECT_EQ(one.number, 1);
    EXPECT_EQ(one.messageText, L"One is needed.");
    // The empty fourth field moves the message key into the value.
    const CConditionParts& two = *conditionSet.conditions[1];
    EXPECT_EQ(two.value, L"{MsgTool}");
    EXPECT_EQ(two.messageKey, L"");
    EXPECT_EQ(two.messageText, L"");
    EXPECT_EQ(conditionSet.conditions[2]->path, L"C:\\Tools\\tool.exe");
    const CConditionParts& three = *conditionSet.conditions[3];
    EXPECT_EQ(three.type, L"{Registry}");
    EXPECT_EQ(three.op, L"{=}");
    EXPECT_EQ(three.value, L"{1}");
    EXPECT_EQ(three.messageKey, L"{MsgTool}");
    EXPECT_EQ(three.messageText, L"The tool is needed.");
    EXPECT_EQ(log.Count("condition2 : {File};C:\\Tools\\tool.exe;{EXIST};;{MsgTool}"), 2u);

    ASSERT_EQ(conditionSet.actions.size(), 1u);
    EXPECT_EQ(conditionSet.actions[0]->expression, L"Condition01 or Condition2 or Condition2 or Condition3");
    EXPECT_EQ(conditionSet.actions[0]->messageKey, L"MsgPrerequisites");

    // [ReadRegEntries] ends at Root3=-1; [ReadRegEntries64] without Root1 has no entries.
    ASSERT_EQ(conditionSet.properties.size(), 2u);
    EXPECT_EQ(conditionSet.properties[0]->root, 5);
    EXPECT_EQ(conditionSet.properties[0]->property, L"P");
    EXPECT_EQ(conditionSet.properties[1]->root, 0);
    EXPECT_EQ(conditionSet.properties[1]->is64, 0);

    // Condition01 is read under number 1, but the expression names no Condition1.
    conditionSet.EvaluateReadRegEntries();
    conditionSet.EvaluateConditions();
    conditionSet.CollectResults();
    conditionSet.EvaluateActionConditions();
    EXPECT_EQ(conditionSet.IsExtractAllowed(), 0);
    EXPECT_EQ(log.Count("Condition2 = 0"), 2u);
}

TEST_F(ConditionCheckTest, LookupConditionMessage) {
    WriteIni(settings, L"[1033]\r\nMsgTool=The tool is needed.\r\n[1031]\r\nMsgTool=Das Werkzeug fehlt.\r\n");
    EXPECT_EQ(LookupConditionMessage(settings, 1033, L"{MsgTool}"), L"The tool is needed.");
    EXPECT_EQ(LookupConditionMessage(settings, 1033, L"MsgTool"), L"The tool is needed.");
    EXPECT_EQ(LookupConditionMessage(settings, 1033, L"{{MsgTool}}"), L"The tool is needed.");
    EXPECT_EQ(LookupConditionMessage(settings, 1031, L"{MsgTool}"), L"Das Werkzeug fehlt.");
    EXPECT_EQ(LookupConditionMessage(settings, 1036, L"{MsgTool}"), L"");
    EXPECT_EQ(LookupConditionMessage(settings, 1033, L"{MsgOther}"), L"");
    EXPECT_EQ(LookupConditionMessage(settings, 1033, L"{}"), L"");
}

}  // namespace
