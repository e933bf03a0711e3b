// Registry values as the condition tests read them, written by the test into both registry
// views of the prefix.
#include <gtest/gtest.h>

#include "ChecksTestSupport.h"
#include "checks/ConditionLogic.h"
#include "checks/ConditionPlatform.h"

namespace {

class RegistryRead : public ::testing::Test {
protected:
    RegistryScratch registry;
    static constexpr REGSAM k32 = KEY_WOW64_32KEY;
    static constexpr REGSAM k64 = KEY_WOW64_64KEY;
    static constexpr bool kDefaultIs64 = kDefaultView == KEY_WOW64_64KEY;
};

TEST_F(RegistryRead, EveryValueTypeInTheDefaultView) {
    registry.WriteText(kDefaultView, L"Text", L"4.10");
    registry.WriteText(kDefaultView, L"Empty", L"");
    registry.WriteText(kDefaultView, L"Expand", L"%TEMP%\\x", REG_EXPAND_SZ);
    registry.WriteDword(kDefaultView, L"Dword", 42);
    registry.WriteDword(kDefaultView, L"AllOnes", 4294967295u);
    const wchar_t multi[] = L"first\0second\0";
    registry.Write(kDefaultView, L"Multi", REG_MULTI_SZ, multi, sizeof(multi));
    const BYTE binary[] = {0x41, 0x00, 0x42, 0x00};
    registry.Write(kDefaultView, L"Binary", REG_BINARY, binary, sizeof(binary));
    const uint64_t big = 5000000000ull, allOnes = ~0ull;
    registry.Write(kDefaultView, L"Qword", REG_QWORD, &big, sizeof(big));
    registry.Write(kDefaultView, L"QwordAllOnes", REG_QWORD, &allOnes, sizeof(allOnes));
    std::wstring fits(1023, L'x'), tooLong(1100, L'y');
    registry.WriteText(kDefaultView, L"Fits", fits);
    registry.WriteText(kDefaultView, L"TooLong", tooLong);
    // A string stored without its terminating null.
    registry.Write(kDefaultView, L"Unterminated", REG_SZ, L"abc", 3 * sizeof(wchar_t));

    struct Case {
        const wchar_t* value;
        int status;
        std::wstring text;
    };
    const Case cases[] = {
        {L"Text", REGISTRY_FOUND, L"4.10"},
        {L"Empty", REGISTRY_FOUND, L""},
        {L"Expand", REGISTRY_FOUND, L"%TEMP%\\x"},  // read as stored, not expanded
        {L"Dword", REGISTRY_FOUND, L"42"},
        {L"AllOnes", REGISTRY_FOUND, L"-1"},
        {L"Multi", REGISTRY_FOUND, L"first"},
        {L"Binary", REGISTRY_FOUND, L""},
        {L"Qword", REGISTRY_FOUND, L"5000000000"},
        {L"QwordAllOnes", REGISTRY_FOUND, L"-1"},
        {L"Fits", REGISTRY_FOUND, fits},
        {L"TooLong", REGISTRY_FOUND, L""},
        {L"Unterminated", REGISTRY_FOUND, L"abc"},
        {L"Missing", REGISTRY_MISSING, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.value, c.value + wcslen(c.value)));
        std::wstring text = L"stale";
        EXPECT_EQ(ReadRegistryValue(ROOT_LOCAL_MACHINE, registry.Key(), c.value, false, text), c.status);
        EXPECT_EQ(text, c.text);
    }
    std::wstring text;
    EXPECT_EQ(ReadRegistryValue(ROOT_LOCAL_MACHINE, registry.Key() + L"\\NoSuchKey", L"Text", false, text), REGISTRY_MISSING);
    EXPECT_EQ(ReadRegistryValue(ROOT_NONE, registry.Key(), L"Text", false, text), REGISTRY_MISSING);
    EXPECT_EQ(ReadRegistryValue(7, registry.Key(), L"Text", false, text), REGISTRY_MISSING);
}

TEST_F(RegistryRead, SixtyFourBitViewIsReadOnlyWhenAsked) {
    if (!HasTwoRegistryViews()) GTEST_SKIP() << "one registry view only on 32-bit Windows";
    registry.WriteText(k64, L"Only64", L"sixty-four");
    registry.WriteText(k32, L"Only32", L"thirty-two");
    registry.WriteText(k64, L"Both", L"64");
    registry.WriteText(k32, L"Both", L"32");
    struct Case {
        const wchar_t* value;
        bool is64;
        int status;
        const wchar_t* text;
    };
    // A read without the 64-bit flag reaches the program's own view: the 32-bit one for the program
    // that ships, the 64-bit one for a 64-bit build.
    const Case cases[] = {
        {L"Only64", true, REGISTRY_FOUND, L"sixty-four"},
        {L"Only64", false, kDefaultIs64 ? REGISTRY_FOUND : REGISTRY_MISSING, kDefaultIs64 ? L"sixty-four" : L""},
        {L"Only32", false, kDefaultIs64 ? REGISTRY_MISSING : REGISTRY_FOUND, kDefaultIs64 ? L"" : L"thirty-two"},
        {L"Only32", true, REGISTRY_MISSING, L""},
        {L"Both", true, REGISTRY_FOUND, L"64"},
        {L"Both", false, REGISTRY_FOUND, kDefaultIs64 ? L"64" : L"32"},
    };
    for (const auto& c : cases) {
        std::wstring text;
        EXPECT_EQ(ReadRegistryValue(ROOT_LOCAL_MACHINE, registry.Key(), c.value, c.is64, text), c.status)
            << c.is64 << " " << std::string(c.value, c.value + wcslen(c.value));
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(ReadRegistryPath(registry.ConditionPath(c.value), c.is64, text), c.status);
        EXPECT_EQ(text, c.text);
    }
}

TEST_F(RegistryRead, ConditionPaths) {
    registry.WriteText(kDefaultView, L"Version", L"2.0");
    std::wstring text;
    EXPECT_EQ(ReadRegistryPath(L"{" + registry.ConditionPath(L"Version") + L"}", false, text), REGISTRY_FOUND);
    EXPECT_EQ(text, L"2.0");
    EXPECT_EQ(ReadRegistryPath(L"HKEY_LOCAL_MACHINE\\\\" + registry.Key() + L"\\\\Version\\", false, text), REGISTRY_FOUND);
    EXPECT_EQ(text, L"2.0");
    EXPECT_EQ(ReadRegistryPath(L"HKLM\\" + registry.Key() + L"\\Version", false, text), REGISTRY_MISSING);
    EXPECT_EQ(ReadRegistryPath(L"HKEY_LOCAL_MACHINE", false, text), REGISTRY_MISSING);
}

}  // namespace
