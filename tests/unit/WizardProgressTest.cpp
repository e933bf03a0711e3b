// The progress bar of the extraction, driven by the worker's progress commands, on the wizard's
// progress page and in the Unattended window.
#include <gtest/gtest.h>

#include <vector>

#include "wizard/ProgressState.h"

namespace {

struct Command {
    int command;
    int64_t n;
};

ProgressUpdate RunCommands(ProgressState& state, const std::vector<Command>& commands, ProgressOwner owner) {
    ProgressUpdate last;
    for (const auto& c : commands) last = ApplyProgressCommand(state, c.command, c.n, owner);
    return last;
}

// The worker unpacks its own files (three steps), then sets position 2.
const std::vector<Command> START = {{1, 0}, {1, 0}, {1, 0}, {2, 100}};

TEST(Progress, EmptyDestinationGoesFromPositionTwoToTheExtractionRange) {
    struct Case {
        ProgressOwner owner;
        int rangeLow, heading;
    };
    for (const Case& c : {Case{PROGRESS_OWNER_PAGE, 0, 506}, Case{PROGRESS_OWNER_UNATTENDED, 1, 0}}) {
        SCOPED_TRACE(c.owner);
        ProgressState state;
        const ProgressUpdate two = RunCommands(state, START, c.owner);
        EXPECT_TRUE(two.setPosition);
        EXPECT_EQ(two.position, 2);
        EXPECT_FALSE(two.setRange);
        const ProgressUpdate range = ApplyProgressCommand(state, 3, 50, c.owner);
        EXPECT_TRUE(range.setRange);
        EXPECT_EQ(range.rangeLow, c.rangeLow);
        EXPECT_EQ(range.rangeHigh, 54);
        EXPECT_FALSE(range.setPosition);
        EXPECT_EQ(range.step, 1);
        EXPECT_EQ(range.statusText, 508);
        EXPECT_EQ(range.headingText, c.heading);
        const ProgressUpdate step = ApplyProgressCommand(state, 1, 0, c.owner);
        EXPECT_EQ(step.position, 5);
    }
}

TEST(Progress, NonEmptyDestinationWith200Files) {
    for (ProgressOwner owner : {PROGRESS_OWNER_PAGE, PROGRESS_OWNER_UNATTENDED}) {
        SCOPED_TRACE(owner);
        ProgressState state;
        RunCommands(state, START, owner);
        const ProgressUpdate deleting = ApplyProgressCommand(state, 4, 0, owner);
        EXPECT_EQ(state.deletePhase, 1);
        EXPECT_TRUE(deleting.setRange);
        EXPECT_EQ(deleting.rangeLow, 0);
        EXPECT_EQ(deleting.rangeHigh, 100);
        EXPECT_EQ(deleting.position, 1);
        EXPECT_EQ(deleting.statusText, 514);
        EXPECT_EQ(deleting.headingText, owner == PROGRESS_OWNER_PAGE ? 506 : 0);
        // 3 % of 200 files is 6: range 0 to 4 + 200 + 6, position 6, and the steps go on from 6.
        const ProgressUpdate range = ApplyProgressCommand(state, 3, 200, owner);
        EXPECT_EQ(range.rangeLow, 0);
        EXPECT_EQ(range.rangeHigh, 210);
        EXPECT_TRUE(range.setPosition);
        EXPECT_EQ(range.position, 6);
        EXPECT_EQ(state.stepCount, 6);
        EXPECT_EQ(ApplyProgressCommand(state, 1, 0, owner).position, 7);
    }
}

TEST(Progress, MoreThan65535FilesDoNotWrap) {
    ProgressState state;
    RunCommands(state, START, PROGRESS_OWNER_PAGE);
    EXPECT_EQ(ApplyProgressCommand(state, 3, 70000, PROGRESS_OWNER_PAGE).rangeHigh, 70004);
    ProgressUpdate step;
    for (int i = 0; i < 70000; ++i) step = ApplyProgressCommand(state, 1, 0, PROGRESS_OWNER_PAGE);
    EXPECT_EQ(step.position, 70004);
    // With a delete phase: 3 x 70,000 / 100 = 2,100.
    ProgressState deleting;
    RunCommands(deleting, {{4, 0}, {3, 70000}}, PROGRESS_OWNER_UNATTENDED);
    EXPECT_EQ(deleting.stepCount, 2100);
    EXPECT_EQ(ApplyProgressCommand(deleting, 1, 0, PROGRESS_OWNER_UNATTENDED).position, 2101);
}

TEST(Progress, OddArguments) {
    ProgressState state;
    // A count beyond 32 bits is capped, a negative one counts as none.
    EXPECT_EQ(ApplyProgressCommand(state, 3, int64_t{1} << 40, PROGRESS_OWNER_PAGE).rangeHigh, 2147483647);
    EXPECT_EQ(ApplyProgressCommand(state, 3, -5, PROGRESS_OWNER_PAGE).rangeHigh, 1);
    // Unknown commands change nothing.
    for (int command : {0, 5, -1}) {
        const ProgressUpdate u = ApplyProgressCommand(state, command, 10, PROGRESS_OWNER_PAGE);
        EXPECT_FALSE(u.setRange || u.setPosition || u.step || u.statusText || u.headingText) << command;
    }
    EXPECT_EQ(state.stepCount, 1);
    EXPECT_EQ(state.deletePhase, 0);
}

}  // namespace
