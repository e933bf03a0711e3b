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

TEST(ExitCode, LastSetupsCodeWhenThePackageAsksForIt) {
    struct Case {
        const char* label;
        int resultCode, stopValid, setupCode;
        bool runFailed;
        SetupExitPassOn passOn;
        int exitCode;
    };
    const SetupExitPassOn off{false, true, true, 3010};
    const Case cases[] = {
        {"without the setting nothing changes", 0, 0, -2, false, off, 0},
        {"restart required", 0, 0, -2, false, {true, true, true, 3010}, 3010},
        {"restart started", 0, 0, -2, false, {true, true, true, 1641}, 1641},
        {"success", 0, 0, -2, false, {true, true, true, 0}, 0},
        {"an unconfigured failure code", 0, 0, -2, false, {true, true, true, 1603}, 1603},
        {"a failure code without stop-on-failure", -6, 0, -2, false, {true, true, true, 1603}, 1603},
        {"the stopping setup's code", -6, 1, 1603, false, {true, true, true, 1603}, 1603},
        {"nothing launched", 0, 0, -2, false, {true, true, false, 0}, 0},
        // Without waiting the recorded code is the still-running value, not the setup's answer.
        {"not waited for", 0, 0, -2, false, {true, false, true, 259}, 0},
        {"a setup not found or not started", -4, 0, -2, false, {true, true, true, -1}, -1},
        {"a setup not found, without waiting", -4, 0, -2, false, {true, false, false, 0}, -1},
        {"a setup not found, without the setting", -4, 0, -2, false, off, 0},
        {"the launch list's setup missing", 2, 0, -2, false, {true, true, false, 0}, -1},
        {"the launch list's setup missing, without the setting", 2, 0, -2, false, off, 0},
        // Failures before the launch keep their codes.
        {"corrupt part", -5, 0, -2, false, {true, true, false, 0}, -1},
        {"missing part", -2, 0, -2, false, {true, true, false, 0}, -1},
        {"failed extraction", 8, 0, -2, true, {true, true, false, 0}, -1},
        {"cancelled before the launch", 11, 0, -2, false, {true, true, false, 0}, 0},
        {"negative setup code", 0, 0, -2, false, {true, true, true, -7}, -7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ComputeExitCode(c.resultCode, c.stopValid, c.setupCode, c.runFailed, c.passOn), c.exitCode) << c.label;
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
