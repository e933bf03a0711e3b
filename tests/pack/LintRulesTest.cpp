// The settings check of conditions and supported-OS rules, which uses the program's own grammar.
#include <gtest/gtest.h>

#include "lint/Lint.h"

namespace {

std::vector<LintFinding> LintOf(const std::string& text) {
    IniDocument settings = IniDocument::Parse(text);
    LintInput input;
    input.settings = &settings;
    input.supportFiles = {{"Default1031.ulf", "[FileInfo]\nID=1031\n"}};
    return LintPackage(input);
}

std::string Errors(const std::vector<LintFinding>& findings) {
    std::string text;
    for (const auto& finding : findings)
        if (finding.error) text += finding.where + ": " + finding.message + "\n";
    return text;
}

const std::string kGood =
    "[Conditions]\nAction1=Extract\nAction1Message=MsgPrerequisites\n"
    "Condition1={Registry};HKEY_LOCAL_MACHINE\\SOFTWARE\\Example\\Version;{>=};{4.5};{MsgRuntime}\n"
    "Condition2={File};[%ProgramFiles%]Example\\tool.exe;{EXIST};{};{MsgTool}\n"
    "Condition3={Registry64};HKEY_LOCAL_MACHINE\\SOFTWARE\\[ProductKey]\\Blocked;{=};{1};{}\n"
    "[ReadRegEntries]\nRoot1=2\nKey1=SOFTWARE\\Example\nEntry1=ProductKey\nProperty1=ProductKey\n"
    "[1033]\nMsgPrerequisites=Not met\nMsgRuntime=Runtime\nMsgTool=Tool\n";

TEST(LintRules, FaultyConditionsAndTheirMessages) {
    struct Case {
        std::string expression;
        std::string replace;  // "Key=value" line replacing the key's line in kGood, or empty
        std::string message;  // expected in the errors; empty: no error at all
    };
    const Case cases[] = {
        {"(Condition1 and Condition2) or not Condition3", "", ""},
        {"condition1 AND NOT (condition2 OR condition3)", "", ""},
        {"(Condition1 and Condition2", "", "the parentheses do not balance"},
        {"Condition1 xor Condition2", "", "cannot be evaluated"},
        {"Condition1 and Condition4", "", "[Conditions] Condition4: is used in Action1Condition but not defined"},
        {"Condition01", "", "'condition01' is not a condition name"},
        {"Condition1", "Action1=Install", "must be Extract"},
        {"Condition1", "Condition1={Registry};HKEY_LOCAL_MACHINE\\SOFTWARE\\Version;{>=};{4.5}", "needs five fields"},
        {"Condition1", "Condition1={Reg};HKEY_LOCAL_MACHINE\\A\\B;{>=};{4.5};{}", "type must be"},
        {"Condition1", "Condition1={Registry};HKEY_LOCAL_MACHINE\\A\\B;{=>};{4.5};{}", "unknown operator {=>}"},
        {"Condition1", "Condition1={Registry};HKLM\\A\\B;{>=};{4.5};{}", "the registry path must start with"},
        {"Condition1", "Condition1={Registry};hkey_local_machine\\A\\B;{>=};{4.5};{}", "the registry path must start with"},
        {"Condition1", "Condition1={Registry};HKEY_LOCAL_MACHINE\\A\\B;{>=};4.5;{}", "value must be written in braces"},
        {"Condition1", "Condition1={File};C:\\[Missing]\\x.exe;{EXIST};{};{}", "refers to the property [Missing]"},
    };
    for (const auto& c : cases) {
        std::string text = kGood;
        if (!c.replace.empty()) {
            std::string key = c.replace.substr(0, c.replace.find('=') + 1);
            size_t at = text.find("\n" + key);
            size_t end = text.find('\n', at + 1);
            text.replace(at + 1, end - at - 1, c.replace);
        }
        text.insert(text.find('\n') + 1, "Action1Condition=" + c.expression + "\n");
        std::string errors = Errors(LintOf(text));
        if (c.message.empty())
            EXPECT_EQ(errors, "") << c.expression;
        else
            EXPECT_NE(errors.find(c.message), std::string::npos) << c.expression << "\n" << errors;
    }
}

TEST(LintRules, MissingConditionMessagesAreWarnings) {
    std::string text = kGood;
    text.insert(text.find('\n') + 1, "Action1Condition=Condition1\n");
    auto findings = LintOf("[Languages]\nSetupLanguages=1031;1033\n" + text + "[1031]\n");
    bool warned = false;
    for (const auto& finding : findings)
        warned = warned || (!finding.error && finding.where == "[1031]" && finding.message.find("MsgRuntime") != std::string::npos);
    EXPECT_TRUE(warned);
    EXPECT_EQ(Errors(findings), "");
}

TEST(LintRules, OperatingSystemLists) {
    struct Case {
        std::string section;
        std::string message;
    };
    const Case cases[] = {
        {"osallowed=Windows1064;Windows201664;Windows7+\nWindows1064Exclude=SKU4&&!SP1;Home Premium\n"
         "Windows1064Warning=prod1&&SP0\nWindows201664Exclude=;\n",
         ""},
        {"osallowed=Windows10;XP\n", "'XP' is not a system name"},
        {"osallowed=Windows10\nWindows10Exclude=SKU4&&\n", "has an empty operand"},
        {"osallowed=Windows10\nWindows10Warning=SKU4&SP1\n", "stray operator"},
        {"osallowed=Windows10\nWindows10Exclude=&&!SP1\n", ""},
    };
    for (const auto& c : cases) {
        std::string errors = Errors(LintOf("[OS]\n" + c.section));
        if (c.message.empty())
            EXPECT_EQ(errors, "") << c.section;
        else
            EXPECT_NE(errors.find(c.message), std::string::npos) << c.section << "\n" << errors;
    }
    bool warned = false;
    for (const auto& finding : LintOf("[OS]\nNoOSCheck=1\n")) warned = warned || finding.where == "[OS] osallowed";
    EXPECT_TRUE(warned);
}

}  // namespace
