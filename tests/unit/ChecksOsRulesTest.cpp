// The supported-OS rules of [OS]: the allowed list, "+" items, exclusion and warning variants
// and the expression language of a variant.
#include <gtest/gtest.h>

#include "ChecksTestSupport.h"
#include "checks/OSValidator.h"

namespace {

const OSVersionData kTenProX64 = System(10, 0, 1, OS_ARCH_X64, 48, 19045);
const OSVersionData kTenHomeX64 = System(10, 0, 1, OS_ARCH_X64, 101, 19045);  // edition preset "Standard"
const OSVersionData kTenProX86 = System(10, 0, 1, OS_ARCH_X86, 48, 19045);
const OSVersionData kServer2016X64 = System(10, 0, 3, OS_ARCH_X64, 7, 14393);
const OSVersionData kSevenX86 = System(6, 1, 1, OS_ARCH_X86, 1, 7601);
const OSVersionData kEightX64 = System(6, 2, 1, OS_ARCH_X64, 48);
const OSVersionData kEightOneX64 = System(6, 3, 1, OS_ARCH_X64, 48);
const OSVersionData kServer2012R2 = System(6, 3, 3, OS_ARCH_X64, 7);

// The example section of a package author, keys lower-cased as the section reader gives them.
const COSValidator::Section kExample = {
    {L"osallowed", L"Windows1064;Windows201664;Windows7+"},
    {L"windows1064exclude", L"SKU4&&!SP1;Home Premium"},
    {L"windows1064warning", L"prod1&&SP0"},
    {L"windows201664exclude", L";"},
};

struct VerdictCase {
    const char* label;
    OSVersionData system;
    COSValidator::Section section;
    int verdict;
};

TEST(OSRules, Verdicts) {
    const VerdictCase cases[] = {
        {"example: 10 pro x64 warned", kTenProX64, kExample, OS_WARNING},
        {"example: 2016 all excluded", kServer2016X64, kExample, OS_NOT_SUPPORTED},
        {"example: 7 x86 by Windows7+", kSevenX86, kExample, OS_SUPPORTED},
        {"no list", kTenProX64, {}, OS_NOT_SUPPORTED},
        {"empty list", kTenProX64, {{L"osallowed", L""}}, OS_NOT_SUPPORTED},
        {"64-bit name on 32-bit", kTenProX86, {{L"osallowed", L"Windows1064"}}, OS_NOT_SUPPORTED},
        {"names compare without case", kTenProX86, {{L"osallowed", L" WINDOWS10 "}}, OS_SUPPORTED},
        {"version code listed", kTenProX64, {{L"osallowed", L"Windows10064"}}, OS_SUPPORTED},
        {"version code key", kTenProX64, {{L"osallowed", L"Windows10064"}, {L"windows10064exclude", L"SKU48"}}, OS_NOT_SUPPORTED},
        // A 64-bit "+" item never admits a 32-bit system.
        {"764+ on 32-bit", kSevenX86, {{L"osallowed", L"Windows764+"}}, OS_NOT_SUPPORTED},
        {"764+ on 10 x64", kTenProX64, {{L"osallowed", L"Windows764+"}}, OS_SUPPORTED},
        // Windows8 has no version code of its own: "8" admits only majors above 8.
        {"8+ on 8", kEightX64, {{L"osallowed", L"Windows8+"}}, OS_NOT_SUPPORTED},
        {"8+ on 8.1", kEightOneX64, {{L"osallowed", L"Windows8+"}}, OS_NOT_SUPPORTED},
        {"8+ on 2012R2", kServer2012R2, {{L"osallowed", L"Windows8+"}}, OS_NOT_SUPPORTED},
        {"8+ on 10", kTenProX64, {{L"osallowed", L"Windows8+"}}, OS_SUPPORTED},
        {"8+ on 2016", kServer2016X64, {{L"osallowed", L"Windows8+"}}, OS_SUPPORTED},
        {"62+ on 8", kEightX64, {{L"osallowed", L"Windows62+"}}, OS_SUPPORTED},
        {"62+ on 7", kSevenX86, {{L"osallowed", L"Windows62+"}}, OS_NOT_SUPPORTED},
        {"10+ on 10", kTenProX86, {{L"osallowed", L"Windows10+"}}, OS_SUPPORTED},
        {"7+ on 10 keyed by 7+", kTenProX64, {{L"osallowed", L"Windows7+"}, {L"windows7+warning", L"prod1"}}, OS_WARNING},
        {"7 x86 7+ exclude all", kSevenX86, {{L"osallowed", L"Windows7+"}, {L"windows7+exclude", L";"}}, OS_NOT_SUPPORTED},
        {"warning all", kTenProX64, {{L"osallowed", L"Windows1064"}, {L"windows1064warning", L";"}}, OS_WARNING},
        {"exclusion beats warning", kTenProX64, {{L"osallowed", L"Windows1064"}, {L"windows1064exclude", L"SKU48"}, {L"windows1064warning", L";"}}, OS_NOT_SUPPORTED},
        // The version-code pass runs after a match-name pass that excluded nothing.
        {"second pass excludes", kTenProX64, {{L"osallowed", L"Windows1064;Windows10064"}, {L"windows1064exclude", L"SKU4"}, {L"windows10064exclude", L"Professional"}}, OS_NOT_SUPPORTED},
        {"empty variant list", kTenProX64, {{L"osallowed", L"Windows1064"}, {L"windows1064exclude", L""}}, OS_SUPPORTED},
        // Variants.
        {"&&!SKU4 on SKU48", kTenProX64, {{L"osallowed", L"Windows1064"}, {L"windows1064exclude", L"&&!SKU4"}}, OS_NOT_SUPPORTED},
        {"&&!SKU48 on SKU48", kTenProX64, {{L"osallowed", L"Windows1064"}, {L"windows1064exclude", L"&&!SKU48"}}, OS_SUPPORTED},
        {"capital STANDARD is an operator", kTenHomeX64, {{L"osallowed", L"Windows1064"}, {L"windows1064exclude", L"STANDARD"}}, OS_SUPPORTED},
        {"Standard holds", kTenHomeX64, {{L"osallowed", L"Windows1064"}, {L"windows1064exclude", L"Standard"}}, OS_NOT_SUPPORTED},
        {"second variant holds", kTenProX64, {{L"osallowed", L"Windows1064"}, {L"windows1064exclude", L"SKU4; professional ;SKU1"}}, OS_NOT_SUPPORTED},
        {"unknown product", kTenProX64, {{L"osallowed", L"Windows1064"}, {L"windows1064warning", L"Unknown Product&&prod1"}}, OS_WARNING},
        {"or chain", kTenProX64, {{L"osallowed", L"Windows1064"}, {L"windows1064exclude", L"SKU4||SKU1||Professional"}}, OS_NOT_SUPPORTED},
        {"and chain holds", kTenProX64, {{L"osallowed", L"Windows1064"}, {L"windows1064exclude", L"SKU48&&prod1&&SP0"}}, OS_NOT_SUPPORTED},
        {"and chain fails", kTenProX64, {{L"osallowed", L"Windows1064"}, {L"windows1064exclude", L"SKU48&&prod1&&SP1"}}, OS_SUPPORTED},
        {"and-not chain holds", kTenProX64, {{L"osallowed", L"Windows1064"}, {L"windows1064exclude", L"SKU48&&!SP1&&!prod3"}}, OS_NOT_SUPPORTED},
        {"and-not chain fails", kTenProX64, {{L"osallowed", L"Windows1064"}, {L"windows1064exclude", L"SKU48&&!SP1&&!prod1"}}, OS_SUPPORTED},
        {"and-not chain first fails", kTenProX64, {{L"osallowed", L"Windows1064"}, {L"windows1064exclude", L"SKU4&&!SP1&&!prod3"}}, OS_SUPPORTED},
        {"leading and-not chain", kTenProX64, {{L"osallowed", L"Windows1064"}, {L"windows1064exclude", L"&&!SKU4&&!SKU1&&!prod3"}}, OS_NOT_SUPPORTED},
        {"mixed chain never matches", kTenProX64, {{L"osallowed", L"Windows1064"}, {L"windows1064exclude", L"SKU48&&prod1||SP0"}}, OS_SUPPORTED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        COSValidator validator;
        EXPECT_EQ(validator.EvaluateVersion(c.system, c.section, 0), c.verdict);
    }
}

TEST(OSRules, LogLinesOfTheRules) {
    LogCapture log;
    COSValidator validator;
    validator.EvaluateVersion(kServer2016X64, kExample, 0);
    EXPECT_TRUE(log.Has("Supported OSes : Windows1064;Windows201664;Windows7+"));
    EXPECT_TRUE(log.Has("windows201664exclude  : ;"));
    EXPECT_TRUE(log.Has("All variants of windows201664 are supported"));
    EXPECT_TRUE(log.Has("Show Error for OS"));

    validator.EvaluateVersion(kTenProX64, kExample, 0);
    EXPECT_TRUE(log.Has("windows1064warning  : prod1&&SP0"));
    EXPECT_TRUE(log.Has("Product Type : prod1"));
    EXPECT_TRUE(log.Has("Service Pack : 0"));
    EXPECT_TRUE(log.Has("Show Warning for OS"));

    COSValidator refused;
    refused.EvaluateVersion(kTenProX64, {}, 0);
    EXPECT_TRUE(log.Has("No OSes are supported"));

    COSValidator mixed;
    mixed.EvaluateVersion(kTenProX64, {{L"osallowed", L"Windows1064"}, {L"windows1064exclude", L"SKU48||prod1&&SP0"}}, 0);
    EXPECT_TRUE(log.Has("Invalid variant combination. Current OS will be included"));
}

TEST(OSRules, ServicePackZeroRuleSticksToASystemWithoutServicePack) {
    COSValidator validator;
    validator.EvaluateVersion(kTenProX64, {{L"osallowed", L"Windows1064"}}, 0);
    EXPECT_EQ(validator.GetServicePackNumber(), L"");
    EXPECT_EQ(validator.GetOSVariantConditionResult(L"SP1"), 0);
    EXPECT_EQ(validator.GetServicePackNumber(), L"");
    EXPECT_EQ(validator.GetOSVariantConditionResult(L"sp0"), 1);
    EXPECT_EQ(validator.GetServicePackNumber(), L"0");
    EXPECT_EQ(validator.GetOSVariantConditionResult(L"0"), 1);

    // A system with a service pack never matches "SP0".
    COSValidator packed;
    OSVersionData seven = kSevenX86;
    seven.servicePackText = L"Service Pack 1";
    seven.servicePackMajor = 1;
    packed.EvaluateVersion(seven, {{L"osallowed", L"Windows7"}}, 0);
    EXPECT_EQ(packed.GetOSVariantConditionResult(L"SP0"), 0);
    EXPECT_EQ(packed.GetOSVariantConditionResult(L"SP1"), 1);
    EXPECT_EQ(packed.GetOSVariantConditionResult(L"1"), 1);
    EXPECT_EQ(packed.GetServicePackNumber(), L"1");
}

TEST(OSRules, ValiodateOSVariantsRewritesOneOperand) {
    COSValidator validator;
    validator.EvaluateVersion(kTenProX64, {{L"osallowed", L"Windows1064"}}, 0);
    struct Case {
        const wchar_t *operand, *text, *result;
    };
    const Case cases[] = {
        {L"SKU4", L"SKU4&&!SP1", L"F&&!SP1"},
        {L"SP1", L"F&&!SP1", L"F&&!F"},
        {L"Home Premium", L"Home Premium", L"F"},
        {L"professional", L"Professional||SKU1", L"T||SKU1"},
        {L"SKU48", L"&&!SKU48", L"&&!T"},
        {L"prod1", L"prod1 && SP0", L"T&&SP0"},
        {L"STANDARD", L"STANDARD", L"&&"},
        {L"WORKSTATION", L"SKU48||WORKSTATION", L"SKU48||||"},
    };
    for (const auto& c : cases) EXPECT_EQ(validator.ValiodateOSVariants(c.operand, c.text), c.result) << c.text;
}

TEST(OSRules, ReduceVariantExpression) {
    struct Case {
        const wchar_t *text, *result;
    };
    const Case cases[] = {
        {L"T", L"T"},       {L"F", L"F"},       {L"&&!T", L"F"},    {L"&&!F", L"T"},
        {L"&&T", L"T"},     {L"&&F", L"F"},     {L"||T", L"T"},     {L"||F", L"F"},
        {L"T&&F", L"F"},    {L"F&&T", L"F"},    {L"F&&F", L"F"},    {L"T&&T", L"T"},
        {L"T||F", L"T"},    {L"F||T", L"T"},    {L"F||F", L"F"},    {L"T||T", L"T"},
        {L"T&&!F", L"T"},   {L"F&&!T", L"F"},   {L"F&&!F", L"F"},   {L"T&&!T", L"F"},
        {L"F||&&!F", L"T"}, {L"F||&&!T", L"F"}, {L"T||&&!T", L"T"}, {L"&&!T&&T", L"F"},
        {L"&&!F||F", L"T"}, {L"", L""},         {L"&&", L"&&"},     {L"&&!", L"&&!"},
    };
    for (const auto& c : cases) EXPECT_EQ(COSValidator::ReduceVariantExpression(c.text), c.result) << c.text;
}

TEST(OSRules, EvaluateVariantChain) {
    struct Case {
        const wchar_t *text, *op;
        int result;
    };
    const Case cases[] = {
        {L"F||F||T", L"||", 1},       {L"F||F||F", L"||", 0},
        {L"T&&T&&T", L"&&", 1},       {L"T&&F&&T", L"&&", 0},       {L"&&T&&T&&T", L"&&", 1},
        {L"T&&!F&&!F", L"&&!", 1},    {L"T&&!F&&!T", L"&&!", 0},    {L"F&&!F&&!F", L"&&!", 0},
        {L"T&&!F&&!F&&!F", L"&&!", 1}, {L"&&!F&&!F&&!F", L"&&!", 1}, {L"&&!F&&!T&&!F", L"&&!", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(COSValidator::EvaluateVariantChain(c.text, c.op), c.result) << c.text;
}

TEST(OSRules, GetOSVersionCode) {
    struct Case {
        const wchar_t *name, *code;
    };
    const Case cases[] = {
        {L"windows10", L"100"},        {L"Windows2016", L"100"},       {L"WINDOWS2019", L"100"},
        {L"windows1064", L"10064"},    {L"windows201664", L"10064"},   {L"windows201964", L"10064"},
        {L"windows7", L"61"},          {L"windows2008r2", L"61"},      {L"windows764", L"6164"},
        {L"windows2008R264", L"6164"}, {L"windowsvista", L"60"},       {L"windows2008", L"60"},
        {L"windowsvista64", L"6064"},  {L"windows200864", L"6064"},    {L"windows2003R2", L"52"},
        {L"windows2003", L"52"},       {L"windowsxp", L"51"},          {L"windows2003R264", L"5264"},
        {L"windowsxp64", L"5264"},     {L"windows200364", L"5264"},    {L"windows2000", L"50"},
        {L"windowsnt", L"40"},         {L"windows95", L"410"},         {L"windows98", L"490"},
        {L"windows8", L""},            {L"windows8.1", L""},           {L"windows2012", L""},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(COSValidator::GetOSVersionCode(c.name), c.code) << c.name;
}

TEST(OSRules, IsOSInAllowedList) {
    struct Case {
        const char* label;
        OSVersionData system;
        const wchar_t* list;
        const wchar_t* name;
        bool listed;
    };
    const Case cases[] = {
        {"exact", kTenProX64, L"windows7;windows1064", L"windows1064", true},
        {"other case", kTenProX64, L"WINDOWS1064", L"windows1064", true},
        {"not listed", kTenProX64, L"windows10;windows7", L"windows1064", false},
        {"plus below", kTenProX64, L"windows7+", L"anything", true},
        {"plus same", kSevenX86, L"windows7+", L"", true},
        {"plus above", kSevenX86, L"windows8.1+", L"", false},
        {"plus 64 on 32", kSevenX86, L"windowsvista64+", L"", false},
        {"plus 64 on 64", kEightX64, L"windowsvista64+", L"", true},
        {"plus numbers", kEightOneX64, L"windows63+", L"", true},
        {"plus numbers above", kEightX64, L"windows63+", L"", false},
        {"plus ten", kTenProX64, L"windows10+", L"", true},
        {"plus ten on seven", kSevenX86, L"windows2016+", L"", false},
        {"plus xp", kSevenX86, L"windowsxp+", L"", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        COSValidator validator;
        validator.EvaluateVersion(c.system, {}, 1);
        EXPECT_EQ(validator.IsOSInAllowedList(c.list, c.name), c.listed);
    }
}

}  // namespace
