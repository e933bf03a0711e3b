// The condition expression: the names it uses, its reduction to one truth value, and which
// unmet conditions it shows messages for.
#include <gtest/gtest.h>

#include <vector>

#include "checks/Condition.h"
#include "checks/ConditionLogic.h"
#include "checks/ConditionParser.h"

namespace {

using Names = std::vector<std::wstring>;

struct ReduceCase {
    const wchar_t* expression;
    std::map<int32_t, int32_t> results;
    int expected;
    Names referenced;  // front of the list first
};

TEST(Reduce, Table) {
    const ReduceCase cases[] = {
        {L"Condition1", {{1, 1}}, REDUCE_TRUE, {L"CONDITION1"}},
        {L"Condition1", {{1, 0}}, REDUCE_FALSE, {L"CONDITION1"}},
        {L"Condition1", {{1, 2}}, REDUCE_FALSE, {L"CONDITION1"}},
        // (TANDF)ORNOTT: (F)ORF in the first pass, F in the second.
        {L"(Condition1 and Condition2) or not Condition3", {{1, 1}, {2, 0}, {3, 1}}, REDUCE_FALSE,
         {L"CONDITION3", L"CONDITION2", L"CONDITION1"}},
        {L"(Condition1 and Condition2) or not Condition3", {{1, 1}, {2, 1}, {3, 1}}, REDUCE_TRUE,
         {L"CONDITION3", L"CONDITION2", L"CONDITION1"}},
        {L"(Condition1 and Condition2) or not Condition3", {{1, 0}, {2, 0}, {3, 0}}, REDUCE_TRUE,
         {L"CONDITION3", L"CONDITION2", L"CONDITION1"}},
        // An undefined condition stays a word no rule rewrites.
        {L"Condition1 or Condition4", {{1, 1}}, REDUCE_STUCK, {L"CONDITION1"}},
        // Unbalanced parentheses: nothing is replaced or referenced.
        {L"(Condition1 or Condition2", {{1, 1}, {2, 1}}, REDUCE_UNBALANCED, {}},
        {L"Condition1 or Condition2)", {{1, 1}, {2, 1}}, REDUCE_UNBALANCED, {}},
        // Condition1 never replaces the start of Condition12.
        {L"Condition1 and Condition12", {{1, 1}, {12, 0}}, REDUCE_FALSE, {L"CONDITION12", L"CONDITION1"}},
        {L"Condition12 and Condition1", {{1, 1}, {12, 1}}, REDUCE_TRUE, {L"CONDITION12", L"CONDITION1"}},
        {L"Condition12", {{1, 1}}, REDUCE_STUCK, {}},
        // NOTNOTT: NOTF by rule 1, T by rule 2 in the same pass.
        {L"not not Condition1", {{1, 1}}, REDUCE_TRUE, {L"CONDITION1"}},
        {L"not(Condition1)", {{1, 1}}, REDUCE_FALSE, {L"CONDITION1"}},
        // and binds tighter than or: FANDTORT gives FORT, then T.
        {L"Condition1 and Condition2 or Condition3", {{1, 0}, {2, 1}, {3, 1}}, REDUCE_TRUE,
         {L"CONDITION3", L"CONDITION2", L"CONDITION1"}},
        {L"Condition1 or Condition2 and Condition3", {{1, 1}, {2, 0}, {3, 0}}, REDUCE_TRUE,
         {L"CONDITION3", L"CONDITION2", L"CONDITION1"}},
        {L"condition1 AND Condition2", {{1, 1}, {2, 1}}, REDUCE_TRUE, {L"CONDITION2", L"CONDITION1"}},
        {L"CONDITION1 and condition2", {{1, 1}, {2, 1}}, REDUCE_TRUE, {L"CONDITION2", L"CONDITION1"}},
        {L"Condition1 and Condition1", {{1, 1}}, REDUCE_TRUE, {L"CONDITION1"}},
        {L"((Condition1) or (Condition2 and not Condition3))", {{1, 0}, {2, 1}, {3, 0}}, REDUCE_TRUE,
         {L"CONDITION3", L"CONDITION2", L"CONDITION1"}},
        {L"Condition1 xor Condition2", {{1, 1}, {2, 0}}, REDUCE_STUCK, {L"CONDITION2", L"CONDITION1"}},
        {L")Condition1(", {{1, 1}}, REDUCE_STUCK, {L"CONDITION1"}},
        {L"   ", {{1, 1}}, REDUCE_STUCK, {}},
        {L"", {}, REDUCE_STUCK, {}},
        // Condition01 is read as number 1, but the text names no CONDITION1.
        {L"Condition01", {{1, 1}}, REDUCE_STUCK, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "expression: " << std::string(c.expression, c.expression + wcslen(c.expression)));
        std::list<std::wstring> referenced;
        EXPECT_EQ(CQirvaConditionParser().Reduce(c.expression, c.results, referenced), c.expected);
        EXPECT_EQ(Names(referenced.begin(), referenced.end()), c.referenced);
    }
}

TEST(Reduce, ExtendsTheListItIsGiven) {
    std::list<std::wstring> referenced = {L"earlier"};
    CQirvaConditionParser().Reduce(L"Condition2", {{2, 1}}, referenced);
    EXPECT_EQ(Names(referenced.begin(), referenced.end()), (Names{L"CONDITION2", L"earlier"}));
}

TEST(CollectConditionNames, Table) {
    struct Case {
        const wchar_t* expression;
        Names names;
    };
    const Case cases[] = {
        {L"Condition1", {L"condition1"}},
        {L"Condition1 and Condition2", {L"condition1", L"condition2"}},
        {L"not(Condition1)", {L"condition1"}},
        {L"(Condition1 and Condition2) or not Condition3", {L"condition1", L"condition2", L"condition3"}},
        {L"Condition2 or Condition2", {L"condition2", L"condition2"}},
        {L"Condition1and Condition2", {L"condition1and", L"condition2"}},
        {L"CONDITION01", {L"condition01"}},
        {L"", {}},
        {L"and or not", {}},
    };
    for (const auto& c : cases) {
        TextList names;
        CConditionValidator::CollectNamesOfExpression(c.expression, names);
        EXPECT_EQ(Names(names.begin(), names.end()), c.names);
    }
}

TEST(IsMessageShown, NegatedNamesAndGroups) {
    struct Case {
        const wchar_t *expression, *name;
        int shown;
    };
    const Case cases[] = {
        {L"not(Condition1)", L"Condition1", 0},
        {L"not Condition1", L"Condition1", 0},
        {L"NOT   Condition1", L"condition1", 0},
        // A plain occurrence before the negated one decides.
        {L"Condition1 or not Condition1", L"Condition1", 1},
        {L"not Condition1 or Condition1", L"Condition1", 1},
        {L"not (Condition1 or Condition2)", L"Condition1", 0},
        {L"not (Condition1 or Condition2)", L"Condition2", 0},
        {L"Condition3 and not (Condition1 or Condition2)", L"Condition3", 1},
        {L"Condition2 and not Condition1", L"Condition2", 1},
        {L"Condition2 and not Condition1", L"Condition1", 0},
        {L"(Condition1 and Condition2) or not Condition3", L"Condition1", 1},
        {L"(Condition1 and Condition2) or not Condition3", L"Condition3", 0},
        {L"not Condition12", L"Condition1", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsNameShownInExpression(c.expression, c.name), c.shown)
            << std::string(c.expression, c.expression + wcslen(c.expression));
}

TEST(ConditionSyntax, FieldsAndNumbers) {
    using Fields = std::vector<std::wstring>;
    EXPECT_EQ(SplitConditionFields(L"{Registry};HKEY_LOCAL_MACHINE\\SOFTWARE\\V\\Version;{>=};{4.5};{MsgRuntime}"),
              (Fields{L"{Registry}", L"HKEY_LOCAL_MACHINE\\SOFTWARE\\V\\Version", L"{>=}", L"{4.5}", L"{MsgRuntime}"}));
    // A field left empty moves the later ones up.
    EXPECT_EQ(SplitConditionFields(L"{File}; C:\\Tools\\tool.exe ;{EXIST};;{MsgTool}"),
              (Fields{L"{File}", L"C:\\Tools\\tool.exe", L"{EXIST}", L"{MsgTool}"}));
    EXPECT_EQ(ConditionNumber(L"condition7"), 7);
    EXPECT_EQ(ConditionNumber(L"Condition12"), 12);
    EXPECT_EQ(ConditionNumber(L"condition01"), 1);
    EXPECT_EQ(ConditionNumber(L"condition"), 0);
    EXPECT_EQ(ConditionNumber(L"condition1and"), 1);
}

}  // namespace
