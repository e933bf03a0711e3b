// Where the wizard goes when extraction ends, and what the location page's launch controls do.
#include <gtest/gtest.h>

#include "wizard/CompletionDecision.h"
#include "wizard/LocationRules.h"

namespace {

TEST(ExtractCompletion, NextStepFromTheSettings) {
    auto with = [](auto change) {
        ExtractCompletionInputs in;
        in.autolaunchEnabled = 1;
        in.autolaunch = L"Setup.exe";
        change(in);
        return in;
    };
    struct Case {
        const char* what;
        ExtractCompletionInputs in;
        ExtractCompletionStep step;
        int launchImmediately;
        int launchRefused;
    };
    const Case cases[] = {
        {"installation dialog, waiting", with([](auto& i) { i.autoLaunchInstallationDialog = L"1"; }),
         COMPLETE_AUTOLAUNCH_PAGE, 1, 0},
        {"installation dialog, extract only",
         with([](auto& i) { i.autoLaunchInstallationDialog = L"1"; i.extractOnly = 1; i.autolaunchEnabled = 0; }),
         COMPLETE_FINISH, 1, 0},
        {"installation dialog without waiting: deferred to Finish",
         with([](auto& i) { i.autoLaunchInstallationDialog = L"1"; i.waitForFinish = 0; }), COMPLETE_FINISH_DEFERRED, 0,
         0},
        {"no dialog, not waiting, Multilaunch empty", with([](auto& i) { i.waitForFinish = 0; }),
         COMPLETE_FINISH_DEFERRED, 0, 0},
        {"no dialog, not waiting, Multilaunch 1",
         with([](auto& i) { i.waitForFinish = 0; i.multilaunch = L"1"; }), COMPLETE_LAUNCH_NOW, 1, 0},
        {"no dialog, waiting", with([](auto&) {}), COMPLETE_LAUNCH_NOW, 1, 0},
        {"nothing to launch", with([](auto& i) { i.autolaunchEnabled = 0; i.autolaunch.clear(); }), COMPLETE_FINISH, 1,
         0},
        {"refused system with the installation dialog",
         with([](auto& i) { i.autoLaunchInstallationDialog = L"1"; i.osVerdict = 302; }), COMPLETE_LAUNCH_NOW, 1, 1},
        {"refused system, not waiting: launched now so the refusal is shown",
         with([](auto& i) { i.waitForFinish = 0; i.osVerdict = 302; }), COMPLETE_LAUNCH_NOW, 1, 1},
        {"refused system but -NoOSCheck",
         with([](auto& i) { i.autoLaunchInstallationDialog = L"1"; i.osVerdict = 302; i.osCheckSuppressed = true; }),
         COMPLETE_AUTOLAUNCH_PAGE, 1, 0},
        {"-NoOSCheck after a check before extraction",
         with([](auto& i) {
             i.osVerdict = 302;
             i.osCheckSuppressed = true;
             i.osValidatedBeforeExtraction = true;
         }),
         COMPLETE_LAUNCH_NOW, 1, 1},
        {"warned system goes on", with([](auto& i) { i.autoLaunchInstallationDialog = L"1"; i.osVerdict = 301; }),
         COMPLETE_AUTOLAUNCH_PAGE, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExtractCompletion out = DecideExtractCompletion(c.in);
        EXPECT_EQ(out.step, c.step);
        EXPECT_EQ(out.launchImmediately, c.launchImmediately);
        EXPECT_EQ(out.launchRefused, c.launchRefused);
        EXPECT_EQ(out.recheckOs, c.launchRefused == 1);
    }
}

TEST(LocationControls, RefreshAndExtractOnly) {
    DeleteBoxSettings plain;
    // Autolaunch on: the extract-only box and the information line show.
    LocationControls on = RefreshLocationControls(1, false, plain);
    EXPECT_EQ(on.extractOnlyBox, SHOW);
    EXPECT_EQ(on.infoLine, SHOW);
    EXPECT_EQ(on.deleteBox, KEEP);
    EXPECT_EQ(on.autolaunchEnabled, 1);

    // Ticking extract-only switches autolaunch off and takes the delete-on-exit box away.
    LocationControls ticked = ExtractOnlyClicked(true, plain);
    EXPECT_EQ(ticked.extractOnly, 1);
    EXPECT_EQ(ticked.autolaunchEnabled, 0);
    EXPECT_EQ(ticked.deleteBox, HIDE);
    EXPECT_TRUE(ticked.clearDeleteBox);
    ASSERT_EQ(ticked.log.size(), 2u);
    EXPECT_EQ(ticked.log[1].text, L"Autolaunch is disabled by user");

    // Coming back to the page with the box ticked: autolaunch stays off, nothing shown changes
    // but the delete-on-exit box stays hidden.
    LocationControls back = RefreshLocationControls(0, true, plain);
    EXPECT_EQ(back.autolaunchEnabled, 0);
    EXPECT_EQ(back.extractOnlyBox, KEEP);
    EXPECT_EQ(back.infoLine, KEEP);
    EXPECT_EQ(back.deleteBox, HIDE);
    ASSERT_EQ(back.log.size(), 1u);
    EXPECT_EQ(back.log[0].text, L"Autolaunch is disabled");

    // Clearing it brings autolaunch and the delete-on-exit box back.
    LocationControls cleared = ExtractOnlyClicked(false, plain);
    EXPECT_EQ(cleared.autolaunchEnabled, 1);
    EXPECT_EQ(cleared.deleteBox, SHOW);
}

TEST(LocationControls, DeleteBoxWithheldByThePackage) {
    struct Case {
        const char* what;
        DeleteBoxSettings settings;
        ControlChange refresh, cleared;
    };
    const Case cases[] = {
        {"Rahmensetup 1", {L"", L"1", 1}, HIDE, KEEP},
        {"ZubBundle 0 without waiting", {L"0", L"", 0}, HIDE, KEEP},
        {"ZubBundle 0 with waiting", {L"0", L"", 1}, KEEP, SHOW},
        {"ZubBundle 1 without waiting", {L"1", L"0", 0}, KEEP, SHOW},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LocationControls refresh = RefreshLocationControls(1, false, c.settings);
        EXPECT_EQ(refresh.deleteBox, c.refresh);
        EXPECT_EQ(refresh.log.back().text == L"Asynchronous mode/RahmenSetup and delete on finish option will not be shown",
                  c.refresh == HIDE);
        EXPECT_EQ(ExtractOnlyClicked(false, c.settings).deleteBox, c.cleared);
    }
}

}  // namespace
