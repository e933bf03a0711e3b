// The rule for a file of the package that is already in the target folder.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/RunMode.h"
#include "extract/OverwriteRule.h"
#include "util/PromptAnswer.h"

namespace {

TEST(OverwriteRule, FromTheAnswerSoFarTheRunModeAndTheAttributes) {
    constexpr uint32_t kReadOnly = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;
    constexpr uint32_t kPlain = FILE_ATTRIBUTE_ARCHIVE;
    using A = OverwriteAction;
    struct Case {
        const char* label;
        OverwriteFacts facts;
        OverwriteAction action;
        bool clearReadOnly;
    };
    const Case cases[] = {
        // Before the prompt: the wizard asks unless an answer "to all" stands.
        {"first file in the wizard", {kPlain, 0, false, MODE_FULL_GUI}, A::Ask, false},
        {"after Yes, the next file is asked again", {kPlain, ANSWER_YES, false, MODE_FULL_GUI}, A::Ask, false},
        {"after No, the next file is asked again", {kPlain, ANSWER_NO, false, MODE_FULL_GUI}, A::Ask, false},
        {"Yes to All stands", {kPlain, ANSWER_YES_TO_ALL, false, MODE_FULL_GUI}, A::Replace, false},
        {"Yes to All stands for a read-only file", {kReadOnly, ANSWER_YES_TO_ALL, false, MODE_FULL_GUI}, A::Replace,
         true},
        {"No to All stands", {kReadOnly, ANSWER_NO_TO_ALL, false, MODE_FULL_GUI}, A::Keep, false},
        // The prompt's answer for this file.
        {"Yes", {kPlain, ANSWER_YES, true, MODE_FULL_GUI}, A::Replace, false},
        {"Yes on a read-only file", {kReadOnly, ANSWER_YES, true, MODE_FULL_GUI}, A::Replace, true},
        {"No", {kReadOnly, ANSWER_NO, true, MODE_FULL_GUI}, A::Keep, false},
        {"No to All", {kPlain, ANSWER_NO_TO_ALL, true, MODE_FULL_GUI}, A::Keep, false},
        {"Cancel", {kPlain, ANSWER_CANCEL, true, MODE_FULL_GUI}, A::Cancel, false},
        {"a window that gives no answer", {kPlain, 0, true, MODE_FULL_GUI}, A::WriteOver, false},
        {"a prompt closed without a button", {kPlain, ANSWER_NONE, true, MODE_FULL_GUI}, A::WriteOver, false},
        // No prompt outside the wizard: the stored file is written over the one there.
        {"Silent", {kPlain, 0, false, MODE_SILENT}, A::WriteOver, false},
        {"Unattended", {kReadOnly, 0, false, MODE_UNATTENDED}, A::WriteOver, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const OverwriteDecision decision = DecideOverwrite(c.facts);
        EXPECT_EQ(decision.action, c.action);
        EXPECT_EQ(decision.clearReadOnly, c.clearReadOnly);
    }
}

}  // namespace
