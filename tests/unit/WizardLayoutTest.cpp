// Where the navigation buttons, the sheet title and the prompt dialogs' buttons go.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wizard/NavigationLayout.h"

namespace {

TEST(NavigationLayout, Buttons) {
    struct Case {
        int right, bottom, band;
        int top;
    };
    const Case cases[] = {{500, 300, 60, 315}, {500, 300, 61, 315}, {620, 412, 47, 420}};
    for (const auto& c : cases) {
        const NavigationButtonRects r = NavigationButtonLayout(c.right, c.bottom, c.band);
        const int R = c.right, t = c.top, b = c.top + 30;
        EXPECT_EQ(r.back, (LayoutRect{R - 356, t, R - 246, b})) << c.right << " " << c.band;
        EXPECT_EQ(r.next, (LayoutRect{R - 244, t, R - 136, b})) << c.right << " " << c.band;
        EXPECT_EQ(r.cancel, (LayoutRect{R - 134, t, R - 26, b})) << c.right << " " << c.band;
        EXPECT_EQ(r.finish, r.cancel);
    }
}

TEST(NavigationLayout, TitleStaysInsideTheClientArea) {
    struct Case {
        int top, width;
        LayoutRect rect;
    };
    const Case cases[] = {
        {0, 500, {150, 20, 480, 40}},
        {0, 497, {149, 20, 477, 40}},  // 149.1 truncated
        {4, 10, {3, 24, 3, 44}},       // too narrow for a margin: an empty control, not a reversed one
    };
    for (const auto& c : cases) EXPECT_EQ(TitleControlRect(c.top, c.width), c.rect) << c.width;
}

TEST(PromptButtons, OverwriteRow) {
    // x0 = (500 - 475 - 8) / 2 = 8; 2-pixel gaps, the first button 95 wide and the others 93.
    const std::vector<PromptButton> row = PromptButtonRow(PROMPT_OVERWRITE, 500, 100);
    const std::vector<PromptButton> expected = {
        {1024, 702, {8, 103, 103, 133}},  {1027, 703, {105, 103, 198, 133}}, {1028, 704, {200, 103, 293, 133}},
        {1029, 705, {295, 103, 388, 133}}, {2, 112, {390, 103, 483, 133}},
    };
    ASSERT_EQ(row.size(), expected.size());
    for (size_t i = 0; i < row.size(); ++i) {
        EXPECT_EQ(row[i].id, expected[i].id);
        EXPECT_EQ(row[i].captionText, expected[i].captionText);
        EXPECT_EQ(row[i].rect, expected[i].rect) << i;
    }
}

TEST(PromptButtons, FolderDeleteRowAndNarrowDialogs) {
    const std::vector<PromptButton> row = PromptButtonRow(PROMPT_FOLDER_DELETE, 500, 100);
    ASSERT_EQ(row.size(), 3u);
    // x0 = (500 - 285 - 4) / 2 = 105.
    EXPECT_EQ(row[0].id, 1024);
    EXPECT_EQ(row[0].rect, (LayoutRect{105, 103, 200, 133}));
    EXPECT_EQ(row[1].id, 1028);
    EXPECT_EQ(row[1].rect, (LayoutRect{202, 103, 295, 133}));
    EXPECT_EQ(row[2].id, 2);
    EXPECT_EQ(row[2].captionText, 112);
    EXPECT_EQ(row[2].rect, (LayoutRect{297, 103, 390, 133}));
    // Narrower than the row: x0 = -83 / 2 truncates toward zero to -41.
    EXPECT_EQ(PromptButtonRects(5, 400, 0).front().left, -41);
    EXPECT_TRUE(PromptButtonRects(0, 400, 0).empty());
}

TEST(PromptButtons, Answers) {
    struct Case {
        int id, code;
        const wchar_t* log;
    };
    const Case cases[] = {
        {1024, 1000, L"User Clicked on 'Yes' button"},      {1027, 1001, L"User Clicked on 'Yes To All' button"},
        {1028, 1002, L"User Clicked on 'No' button"},       {1029, 1003, L"User Clicked on 'No To All' button"},
        {2, 1004, L"User Clicked on 'Cancel' button"},      {1025, 0, L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PromptAnswerCode(c.id), c.code) << c.id;
        EXPECT_EQ(std::wstring(PromptAnswerLogText(c.code)), c.log) << c.id;
    }
}

}  // namespace
