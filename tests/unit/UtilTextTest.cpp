// Text, number, section and environment utilities.
#include <gtest/gtest.h>

#include <climits>

#include "../common/Environment.h"
#include "TestSupport.h"
#include "util/Util.h"

namespace {

std::vector<std::wstring> Split(const std::wstring& text, const std::wstring& delimiter) {
    TextList pieces;
    CUtil::SplitText(text, delimiter, pieces);
    return std::vector<std::wstring>(pieces.begin(), pieces.end());
}

TEST(SplitText, PiecesInReverseOrder) {
    using V = std::vector<std::wstring>;
    EXPECT_EQ(Split(L"a; b;;c", L";"), (V{L"c", L"b", L"a"}));
    EXPECT_EQ(Split(L"", L";"), V{});
    EXPECT_EQ(Split(L";;;", L";"), V{});
    EXPECT_EQ(Split(L"  one  ", L";"), V{L"one"});
    EXPECT_EQ(Split(L"1031;1033;1036;", L";"), (V{L"1036", L"1033", L"1031"}));
    EXPECT_EQ(Split(L"a::b", L"::"), (V{L"b", L"a"}));
    EXPECT_EQ(Split(L"\ta\t=\tb ", L"="), (V{L"b", L"a"}));
}

// Writes an INI file in UTF-16LE with byte-order mark, as the packager does.
void WriteIni(const std::wstring& path, const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    WriteBytes(path, bytes);
}

TEST(ReadSection, KeysLowerCasedFirstWins) {
    ScratchFolder data(L"rs");
    std::wstring ini = data / L"p.ini";
    WriteIni(ini, L"[Runtime]\r\nMode=a=b\r\nExtractionPassword= secret \r\nmode=second\r\nEmpty=\r\n"
                  L"[Other]\r\nX=1\r\n");
    SectionMap entries;
    CUtil::ReadSection(ini, L"RUNTIME", entries);
    EXPECT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[L"mode"], L"a=b");
    EXPECT_NE(entries[L"extractionpassword"].find(L"secret"), std::wstring::npos);
    EXPECT_EQ(entries[L"empty"], L"");
    EXPECT_EQ(entries.count(L"x"), 0u);

    SectionMap missing;
    CUtil::ReadSection(ini, L"Nothing", missing);
    CUtil::ReadSection(data / L"nofile.ini", L"Runtime", missing);
    EXPECT_TRUE(missing.empty());
}

TEST(ReadSection, LongSectionIsCutAtTheBuffer) {
    ScratchFolder data(L"rslong");
    std::wstring ini = data / L"p.ini";
    std::wstring text = L"[Big]\r\n";
    for (int i = 0; i < 200; ++i) text += L"key" + std::to_wstring(i) + L"=" + std::wstring(20, L'v') + L"\r\n";
    WriteIni(ini, text);
    SectionMap entries;
    CUtil::ReadSection(ini, L"Big", entries);
    EXPECT_GT(entries.size(), 50u);
    EXPECT_LT(entries.size(), 200u);
    EXPECT_EQ(entries[L"key0"], std::wstring(20, L'v'));
}

TEST(ExpandEnvironmentPath, Table) {
    const std::wstring value = TempFolder();
    ASSERT_GT(value.size(), 0u);
    SetEnvironmentVariableW(L"TRESK_EMPTY", L"");
    struct Case {
        std::wstring in, out;
    };
    const Case cases[] = {
        {L"%temp%", value},
        {L"%TEMP%\\x", value + L"\\x"},
        {L"%temp%\\50%\\y", value + L"\\50%\\y"},
        {L"%temp", value},
        {L"C:\\%TEMP%", L"C:\\%TEMP%"},
        {L"plain", L"plain"},
        {L"", L""},
        {L"%NOSUCHVAR_TRESK%\\x", L""},
        {L"%TRESK_EMPTY%\\x", L""},
        {L"%%\\x", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CUtil::ExpandEnvironmentPath(c.in), c.out) << std::string(c.in.begin(), c.in.end());
}

TEST(Numbers, ConversionsTable) {
    struct Case {
        const wchar_t* text;
        int value;
    };
    const Case cases[] = {{L"42", 42},        {L"  42abc", 42},        {L"-7", -7},     {L"+5", 5},
                          {L"abc", 0},        {L"", 0},                {L"12 3", 12},   {L"- 1", 0},
                          {L"4294967295", INT_MAX}, {L"-99999999999", INT_MIN}, {L"0x10", 0}};
    for (const auto& c : cases) EXPECT_EQ(CUtil::ToInt(c.text), c.value) << std::string(c.text, c.text + wcslen(c.text));
    EXPECT_EQ(CUtil::ToInt64(L"5368709120"), 5368709120LL);
    EXPECT_EQ(CUtil::ToInt64(L" -12x"), -12);
    EXPECT_EQ(CUtil::ToInt64(L"99999999999999999999"), INT64_MAX);
    EXPECT_EQ(CUtil::FormatInt(-5), L"-5");
    EXPECT_EQ(CUtil::FormatInt(0), L"0");
}

TEST(Numbers, SizeUnits) {
    struct Case {
        int64_t bytes;
        const wchar_t* printed;
    };
    const Case cases[] = {{1073741825LL, L"1.00 GB"}, {1073741824LL, L"1024.00 MB"}, {1048577LL, L"1.00 MB"},
                          {1048576LL, L"1024.00 KB"}, {0, L"0.00 KB"},             {-2048, L"-2.00 KB"},
                          {5368709120LL, L"5.00 GB"}};
    for (const auto& c : cases) {
        double value = 0;
        std::wstring unit;
        CUtil::GetSizeUnit(c.bytes, value, unit);
        wchar_t printed[64];
        swprintf(printed, 64, L"%.02f %ls", value, unit.c_str());
        EXPECT_STREQ(printed, c.printed) << c.bytes;
    }
}

TEST(NewGuidText, RegistryFormWithBraces) {
    std::wstring a = CUtil::NewGuidText(), b = CUtil::NewGuidText();
    ASSERT_EQ(a.size(), 38u);
    EXPECT_EQ(a.front(), L'{');
    EXPECT_EQ(a.back(), L'}');
    EXPECT_EQ(a[9], L'-');
    EXPECT_NE(a, b);
}

}  // namespace
