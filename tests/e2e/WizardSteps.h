#pragma once
// Steps of the wizard that several end-to-end tests take alike, with their expectations.

#include <gtest/gtest.h>

#include <string>

#include "../common/Narrow.h"
#include "WizardDriver.h"

// The wizard's cancel question is answered Yes: the finish page says that the run was cancelled,
// and Finish ends the process with exit code 0. Call it inside ASSERT_NO_FATAL_FAILURE.
inline void ConfirmCancelToTheEnd(WizardDriver& wizard, HWND question) {
    constexpr int kFinishPage = 1033, kFinishButton = 12325;
    WizardDriver::Answer(question, IDYES);
    ASSERT_TRUE(wizard.WaitForPage(kFinishPage));
    const std::wstring finish = wizard.PageText(kFinishPage);
    EXPECT_NE(finish.find(L"has been cancelled"), std::wstring::npos) << ToNarrow(finish);
    wizard.Click(kFinishButton);
    ASSERT_TRUE(wizard.WaitForExit());
    EXPECT_EQ(wizard.ExitCode(), 0u);
}
