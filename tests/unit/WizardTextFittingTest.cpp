// Shortening texts to their controls, with a fake font: every character is 7 pixels wide (so "..."
// is 21) and a line is 16 pixels high, unless a case says otherwise.
#include <gtest/gtest.h>

#include <string>

#include "wizard/TextFitting.h"

namespace {

constexpr int CHAR = 7, LINE = 16;

int Measure(const std::wstring& text) { return static_cast<int>(text.size()) * CHAR; }
int Width(const std::wstring& text) { return Measure(text); }

// 'W' is 30 pixels wide, every other character 7.
int MeasureWide(const std::wstring& text) {
    int width = 0;
    for (wchar_t c : text) width += c == L'W' ? 30 : CHAR;
    return width;
}

std::wstring Repeat(wchar_t c, size_t n) { return std::wstring(n, c); }

TEST(TextFitLimits, ByVariant) {
    struct Case {
        TextFitVariant variant;
        int width, height, lineHeight, dots;
        int lines, reserve, avail;
    };
    const Case cases[] = {
        {FIT_PAGE, 100, 16, 16, 21, 1, 27, 73},
        {FIT_PAGE, 100, 47, 16, 21, 2, 33, 167},
        {FIT_PAGE, 100, 10, 16, 21, 0, 21, -21},
        {FIT_PAGE, 100, 16, 0, 21, 0, 21, -21},  // no line height measured: no full line
        {FIT_SHEET_TITLE, 100, 10, 16, 21, 1, 27, 73},
        {FIT_SHEET_TITLE, 100, 32, 16, 21, 2, 33, 167},
        {FIT_FINISH_PAGE, 100, 16, 16, 21, 0, 21, -21},
        {FIT_FINISH_PAGE, 100, 48, 16, 21, 2, 33, 167},
        {FIT_FINISH_PAGE, 100, 10, 16, 21, -1, 15, -115},
        {FIT_LANGUAGE, 100, 32, 16, 21, 2, 33, 167},
        {FIT_LICENSE, 100, 5, 16, 21, 2, 33, 167},
        {FIT_LICENSE, 100, 500, 16, 21, 2, 33, 167},
    };
    for (const auto& c : cases) {
        const TextFitLimits l = ComputeTextFitLimits(c.variant, c.width, c.height, c.lineHeight, c.dots);
        SCOPED_TRACE(testing::Message() << "variant " << c.variant << " " << c.width << "x" << c.height);
        EXPECT_EQ(l.lines, c.lines);
        EXPECT_EQ(l.reserve, c.reserve);
        EXPECT_EQ(l.avail, c.avail);
    }
}

TEST(FitText, EdgeCases) {
    struct Case {
        const char* what;
        std::wstring text;
        int width, height;
        int mode;
        TextFitVariant variant;
        std::wstring expected;
    };
    const std::wstring ten = L"abcdefghij";  // 70 pixels
    const Case cases[] = {
        {"exactly as wide as the control", ten, 70, LINE, FIT_KEEP_START, FIT_PAGE, ten},
        {"exactly as wide, finish page", ten, 70, LINE, FIT_KEEP_START, FIT_FINISH_PAGE, ten},
        {"exactly as wide, language page", ten, 70, LINE, FIT_KEEP_START, FIT_LANGUAGE, ten},
        // One line of 34 pixels: avail 34 - 27 = 7, which the first character already reaches.
        {"first character reaches the limit", ten, 34, LINE, FIT_KEEP_START, FIT_PAGE, L"..."},
        {"first character reaches the limit, keeping the end", ten, 34, LINE, FIT_KEEP_END, FIT_PAGE, L"..."},
        // Two lines of 50 pixels: avail 100 - 33 = 67, and the whole text is 63.
        {"wider than a line, every prefix below avail", L"abcdefghi", 50, 2 * LINE, FIT_KEEP_START, FIT_PAGE, L"abcdefghi"},
        {"wider than a line, every suffix below avail", L"abcdefghi", 50, 2 * LINE, FIT_KEEP_END, FIT_PAGE, L"abcdefghi"},
        // One line of 100 pixels: avail 73, prefixes of up to 10 characters (70) stay below it.
        {"start kept", Repeat(L'x', 11) + L"yyyy", 100, LINE, FIT_KEEP_START, FIT_PAGE, Repeat(L'x', 10) + L"..."},
        {"end kept", L"yyyy" + Repeat(L'x', 11), 100, LINE, FIT_KEEP_END, FIT_PAGE, L"..." + Repeat(L'x', 10)},
        // A prefix exactly at avail stops the search: 73 = 10 characters + 3 pixels, so use avail 70.
        {"prefix equal to avail is not kept", Repeat(L'x', 20), 97, LINE, FIT_KEEP_START, FIT_PAGE, Repeat(L'x', 9) + L"..."},
        // Finish page: a control with room for one line is never shortened (negative avail).
        {"finish page, one line", Repeat(L'x', 40), 100, LINE, FIT_KEEP_START, FIT_FINISH_PAGE, Repeat(L'x', 40)},
        {"finish page, two lines", Repeat(L'x', 40), 100, 2 * LINE, FIT_KEEP_START, FIT_FINISH_PAGE, Repeat(L'x', 10) + L"..."},
        // A control lower than one line.
        {"low control, page", Repeat(L'x', 40), 100, 10, FIT_KEEP_START, FIT_PAGE, Repeat(L'x', 40)},
        {"low control, language page", Repeat(L'x', 40), 100, 10, FIT_KEEP_START, FIT_LANGUAGE, Repeat(L'x', 40)},
        {"low control, finish page", Repeat(L'x', 40), 100, 10, FIT_KEEP_START, FIT_FINISH_PAGE, Repeat(L'x', 40)},
        {"low control, sheet title counts one line", Repeat(L'x', 40), 100, 10, FIT_KEEP_START, FIT_SHEET_TITLE,
         Repeat(L'x', 10) + L"..."},
        // Licence page: two lines whatever the height; avail 200 - 12 - 21 = 167 (23 characters).
        {"low control, licence page counts two lines", Repeat(L'x', 40), 100, 10, FIT_KEEP_START, FIT_LICENSE,
         Repeat(L'x', 23) + L"..."},
        {"tall control, licence page counts two lines", Repeat(L'x', 40), 100, 200, FIT_KEEP_START, FIT_LICENSE,
         Repeat(L'x', 23) + L"..."},
        {"empty text", L"", 0, LINE, FIT_KEEP_END, FIT_PAGE, L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitText(c.text, c.width, c.height, Width(c.text), LINE, c.mode, c.variant, Measure), c.expected) << c.what;
}

TEST(FitText, SurrogatePairsAreNotCut) {
    // Each pair is one character of 14 pixels to this measure; the cut falls after whole pairs.
    const std::wstring pair = L"\xD83D\xDE00";
    const std::wstring text = pair + pair + pair + pair + pair + pair + pair;
    const std::wstring fitted = FitText(text, 50, LINE, Measure(text), LINE, FIT_KEEP_START, FIT_PAGE, Measure);
    // avail 50 - 27 = 23: one pair (14) stays below, two (28) do not.
    EXPECT_EQ(fitted, pair + L"...");
    EXPECT_EQ(FitText(text, 50, LINE, Measure(text), LINE, FIT_KEEP_END, FIT_PAGE, Measure), L"..." + pair);
}

TEST(FitText, PromptsKeepTheEndOfFileNamesAndPaths) {
    EXPECT_EQ(PromptFitMode(1030), FIT_KEEP_END);
    EXPECT_EQ(PromptFitMode(1069), FIT_KEEP_END);
    EXPECT_EQ(PromptFitMode(1025), FIT_KEEP_START);
    EXPECT_EQ(PromptFitMode(1070), FIT_KEEP_START);
    const std::wstring name = L"C:\\Program Files\\Example\\setup.exe";
    const std::wstring fitted = FitText(name, 100, LINE, Width(name), LINE, PromptFitMode(1030), FIT_PAGE, Measure);
    EXPECT_EQ(fitted, L"...\\setup.exe");
    const std::wstring question = L"Do you want to overwrite this file?";
    EXPECT_EQ(FitText(question, 100, LINE, Width(question), LINE, PromptFitMode(1026), FIT_PAGE, Measure),
              L"Do you wan...");
}

// Language page: one line of 100 pixels gives avail 73 and a stop at 0.9 x 73 = 65.7.
TEST(FitText, LanguagePageKeepsThePrefixNearerToAvail) {
    struct Case {
        const char* what;
        std::wstring text;
        std::wstring expected;
    };
    const Case cases[] = {
        // 70 pixels reach the stop and still fit: that prefix is nearer to 73 than 63.
        {"fitting prefix kept", Repeat(L'a', 20), Repeat(L'a', 10) + L"..."},
        // A wide character jumps from 63 to 93, past avail: the prefix before it is kept.
        {"overshooting prefix dropped", Repeat(L'a', 9) + L"WWW", Repeat(L'a', 9) + L"..."},
        // From 56 to 86 (past avail, 13 beyond it, the previous one 17 short): still dropped.
        {"nearer but overshooting prefix dropped", Repeat(L'a', 8) + L"WWW", Repeat(L'a', 8) + L"..."},
        {"the stop falls on a wide character", L"WWWWWW", L"WW..."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitText(c.text, 100, LINE, MeasureWide(c.text), LINE, FIT_KEEP_START, FIT_LANGUAGE, MeasureWide),
                  c.expected)
            << c.what;
    EXPECT_EQ(FitText(L"WWWW", 40, LINE, 120, LINE, FIT_KEEP_START, FIT_LANGUAGE, MeasureWide), L"...")
        << "the first character passes avail (13)";
    // Every prefix below 0.9 x avail (two lines: avail 167): unchanged, without "...".
    const std::wstring twenty = Repeat(L'a', 20);
    EXPECT_EQ(FitText(twenty, 100, 2 * LINE, Measure(twenty), LINE, FIT_KEEP_START, FIT_LANGUAGE, Measure), twenty);
}

TEST(SheetTitle, ShortTitlesGetBlanks) {
    struct Case {
        int width, textWidth, blanks;
    };
    const Case cases[] = {
        {500, 21, 80},   // 4 % of the control: (20 - 4) % of 500
        {500, 98, 5},    // 19.6 % counts as 19 %
        {500, 99, 5},
        {500, 100, 0},   // a fifth exactly: no blanks
        {500, 300, 0},
        {0, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShortTitleBlankCount(c.width, c.textWidth), c.blanks) << c.width << " " << c.textWidth;
    EXPECT_EQ(FitSheetTitle(L"Abc", 500, 20, LINE, Measure), L"Abc" + std::wstring(80, L' '));
    // A long title is fitted to one line of the control even when the control is lower than a line.
    const std::wstring title = Repeat(L'T', 100);
    EXPECT_EQ(FitSheetTitle(title, 350, 12, LINE, Measure), Repeat(L'T', 46) + L"...");
}

TEST(ShortenedValue, Table) {
    struct Case {
        const char* what;
        std::wstring value;
        int templateWidth, width, height;
        std::wstring expected;
    };
    // "Need [P] now": 12 characters, 9 without the placeholder.
    const Case cases[] = {
        // The template fits on one line: the substituted text is set without shortening.
        {"template fits", Repeat(L'V', 40), 84, 100, LINE, L"Need " + Repeat(L'V', 40) + L" now"},
        // Two lines of 100: avail 167, so 23 characters fit; the value keeps 23 - 9 - 3 = 11.
        {"value cut", L"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 105, 100, 2 * LINE, L"Need ABCDEFGHIJK... now"},
        // The substituted text fits in the lines it has: the value stays whole.
        {"substituted text fits", L"ABCDEFGHIJKLM", 105, 100, 2 * LINE, L"Need ABCDEFGHIJKLM now"},
        {"short value", L"ABC", 105, 100, 2 * LINE, L"Need ABC now"},
        {"empty value", L"", 105, 100, 2 * LINE, L"Need  now"},
        // Too low for a line: no count, and the final fitting leaves the text as it is.
        {"low control", Repeat(L'V', 40), 105, 100, 10, L"Need " + Repeat(L'V', 40) + L" now"},
        // One line of 60: avail 33, count 4, below the template's length: the value stays, and the
        // whole text is fitted.
        {"narrow control", L"ABCDEFGHIJ", 105, 60, LINE, L"Need..."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitTextWithShortenedValue(L"Need [P] now", L"[P]", c.value, c.width, c.height, c.templateWidth, LINE,
                                            FIT_PAGE, Measure),
                  c.expected)
            << c.what;
}

TEST(ReplacePlaceholder, EveryOccurrence) {
    EXPECT_EQ(ReplacePlaceholder(L"[P] and [P]", L"[P]", L"x[P]"), L"x[P] and x[P]");
    EXPECT_EQ(ReplacePlaceholder(L"none", L"[P]", L"x"), L"none");
    EXPECT_EQ(ReplacePlaceholder(L"abc", L"", L"x"), L"abc");
}

}  // namespace
