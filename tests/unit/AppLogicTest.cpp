// Decisions of the application object that take plain values: exit codes and message-box types.
#include <gtest/gtest.h>

#include "app/AppMessageBox.h"
#include "app/ExitCode.h"

namespace {

TEST(ExitCode, FromResultCodes) {
    struct Case {
        int resultCode, stopValid, setupCode;
        bool runFailed;
        int exitCode;
    };
    const Case cases[] = {
        {0, 0, -2, false, 0},        {-5, 0, -2, false, -1},      {-3, 0, -2, false, -1},
        {-2, 0, -2, false, -1},      {-1, 0, -2, false, 0},       {-4, 0, -2, false, 0},
        {-6, 0, 1603, false, 0},     {-6, 1, 1603, false, 1603},  {11, 0, -2, false, 0},
        {12, 0, -2, false, 0},       {-5, 1, 1603, false, -1},
        // A failed run: the engine's codes, an unreadable output file, a refused start-up.
        {4, 0, -2, true, -1},        {8, 0, -2, true, -1},        {39, 0, -2, true, -1},
        {-1, 0, -2, true, -1},       {0, 0, -2, true, -1},
        // The part codes and a stopping setup keep their own meaning.
        {-5, 0, -2, true, -1},       {-6, 1, 1603, true, 1603},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ComputeExitCode(c.resultCode, c.stopValid, c.setupCode, c.runFailed), c.exitCode)
            << c.resultCode << " " << c.stopValid << " " << c.setupCode << " " << c.runFailed;
}

TEST(AppMessageBox, ShownTypes) {
    struct Case {
        UINT requested, shown;
    };
    const Case cases[] = {{0, 0x30},     {1, 0x131},    {3, 0x223},    {4, 0x124},
                          {0x10, 0x10},  {0x11, 0x111}, {0x34, 0x134}, {0x40, 0x40}};
    for (const auto& c : cases) EXPECT_EQ(MessageBoxShownType(c.requested), c.shown) << c.requested;
}

}  // namespace
