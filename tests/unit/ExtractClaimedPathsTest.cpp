// The paths one extraction claims: a path that comes again in any letter case is found, with the
// spelling it first had, however many paths came before.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "extract/ClaimedPaths.h"

namespace {

std::wstring Fold(std::wstring text) {
    if (!text.empty() && text.back() == L'\\') text.pop_back();
    if (!text.empty()) CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

TEST(ClaimedPaths, SecondComingInAnyCaseIsFoundWithTheFirstSpelling) {
    CClaimedPaths claimed(Fold);
    std::wstring earlier;
    struct Step {
        const wchar_t* path;
        bool claimedNow;
        const wchar_t* earlier;
    };
    const Step steps[] = {
        {L"C:\\Pkg\\a.txt", true, L""},
        {L"C:\\Pkg\\A.txt", false, L"C:\\Pkg\\a.txt"},
        {L"c:\\pkg\\A.TXT", false, L"C:\\Pkg\\a.txt"},
        {L"C:\\Pkg\\a.txt", false, L"C:\\Pkg\\a.txt"},
        {L"C:\\Pkg\\a.txt2", true, L""},
        {L"C:\\Pkg\\Caf\xE9.txt", true, L""},
        {L"C:\\Pkg\\CAF\xC9.TXT", false, L"C:\\Pkg\\Caf\xE9.txt"},
        // A folder is claimed with its backslash and is the same path as a file of its name.
        {L"C:\\Pkg\\Dir\\", true, L""},
        {L"C:\\Pkg\\dir", false, L"C:\\Pkg\\Dir\\"},
    };
    for (const auto& step : steps) {
        earlier.clear();
        EXPECT_EQ(claimed.Claim(step.path, earlier), step.claimedNow) << ::testing::PrintToString(std::wstring(step.path));
        EXPECT_EQ(earlier, step.earlier) << ::testing::PrintToString(std::wstring(step.path));
    }
    EXPECT_EQ(claimed.Size(), 4u);
}

TEST(ClaimedPaths, ManyPathsStayApartAndAreFoundAgain) {
    // Enough paths for the table to grow many times over; each is new once and found once.
    CClaimedPaths claimed(Fold);
    std::wstring earlier;
    const int count = 60000;
    auto path = [](int i) { return L"C:\\Out\\Dir" + std::to_wstring(i % 97) + L"\\file" + std::to_wstring(i) + L".txt"; };
    for (int i = 0; i < count; ++i) ASSERT_TRUE(claimed.Claim(path(i), earlier)) << i;
    for (int i = 0; i < count; i += 7) {
        std::wstring again = Fold(path(i));
        ASSERT_FALSE(claimed.Claim(again, earlier)) << i;
        EXPECT_EQ(earlier, path(i));
    }
    claimed.Clear();
    EXPECT_TRUE(claimed.Claim(path(0), earlier));
}

}  // namespace
