#include "help/frm_pelorin.h"
#include "help/help.h"
#include "tests/expected_usage_text.h"
#include "tests/support/memory_platform.h"

#include <gtest/gtest.h>

namespace {

TEST(IsHelpRequest, OnlyTheExactFirstTwoCharacters) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"-?", true},   {L"-?x", true},  {L"-? report.dat", true}, {L"-", false},
        {L"", false},    {L"-h", false},  {L"/?", false},           {L"?", false},
        {L" -?", false}, {L"--?", false},
    };
    for (const auto& [argLine, expected] : cases) {
        EXPECT_EQ(IsHelpRequest(argLine), expected) << argLine;
    }
}

class UsageWindow : public ::testing::Test {
protected:
    void SetUp() override { memory_platform::Reset(); }
    static const memory_platform::Machine::ShownForm& ShowWithAnswer(int answer) {
        memory_platform::TheMachine().formAnswer = answer;
        ShowHelpModal();
        return memory_platform::TheMachine().shownForms.back();
    }
};

TEST_F(UsageWindow, FormLoadWritesTheUsageTextAndTheCaption) {
    const auto& shown = ShowWithAnswer(0);
    EXPECT_EQ(shown.texts.at(frmPelorin::txtHelp), ExpectedUsageText);
    EXPECT_EQ(shown.description.caption, L"Pelorin");
}

TEST_F(UsageWindow, CloseButtonUnloadsItButTheTextDoesNot) {
    EXPECT_TRUE(ShowWithAnswer(frmPelorin::Close).unloaded);
    EXPECT_FALSE(ShowWithAnswer(frmPelorin::txtHelp).unloaded);
}

} // namespace
