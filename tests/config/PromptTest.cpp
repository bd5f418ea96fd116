// The fixed answers for a set of buttons: each must be a button the box shows, and the
// cautious answer must be the one that does nothing wherever the set offers one.
#include "config/Prompt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace wirvela {
namespace {

struct ButtonSet {
    PromptButtons buttons;
    std::vector<PromptAnswer> shown;
    PromptAnswer cautious;
};

class PromptAnswersTest : public ::testing::TestWithParam<ButtonSet> {};

TEST_P(PromptAnswersTest, BothAnswersAreButtonsOfTheSetAndTheNegativeOneIsCautious) {
    const ButtonSet& set = GetParam();
    const auto shown = [&](PromptAnswer a) {
        return std::find(set.shown.begin(), set.shown.end(), a) != set.shown.end();
    };
    EXPECT_TRUE(shown(AffirmativeAnswer(set.buttons)));
    EXPECT_TRUE(shown(NegativeAnswer(set.buttons)));
    EXPECT_EQ(NegativeAnswer(set.buttons), set.cautious);
    if (set.shown.size() > 1) {
        EXPECT_NE(NegativeAnswer(set.buttons), AffirmativeAnswer(set.buttons));
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryButtonSet, PromptAnswersTest,
    ::testing::Values(ButtonSet{PromptButtons::Ok, {PromptAnswer::Ok}, PromptAnswer::Ok},
                      ButtonSet{PromptButtons::OkCancel, {PromptAnswer::Ok, PromptAnswer::Cancel}, PromptAnswer::Cancel},
                      ButtonSet{PromptButtons::YesNo, {PromptAnswer::Yes, PromptAnswer::No}, PromptAnswer::No},
                      ButtonSet{PromptButtons::YesNoCancel,
                                {PromptAnswer::Yes, PromptAnswer::No, PromptAnswer::Cancel},
                                PromptAnswer::Cancel},
                      ButtonSet{PromptButtons::RetryCancel,
                                {PromptAnswer::Retry, PromptAnswer::Cancel},
                                PromptAnswer::Cancel}));

}  // namespace
}  // namespace wirvela
