#include "client/app/ScriptedPrompt.h"

#include <gtest/gtest.h>

using namespace kiro::app;

namespace {

// Logic written against the interface, as a feature would be.
int askTwice(Prompt& prompt)
{
    int yes = 0;
    if (prompt.question("続けますか？", "はい", "いいえ") == PromptAnswer::First)
        ++yes;
    if (prompt.question("もう一度？") == PromptAnswer::First)
        ++yes;
    prompt.message("終わりました。");
    return yes;
}

} // namespace

TEST(ScriptedPrompt, AnswersFromScriptAndRecordsLabelsWithDefaults)
{
    ScriptedPrompt prompt({PromptAnswer::First, PromptAnswer::Second});
    EXPECT_EQ(askTwice(prompt), 1);
    ASSERT_EQ(prompt.records().size(), 3u);
    const auto& r = prompt.records();
    EXPECT_EQ(r[0].kind, ScriptedPrompt::Kind::Question);
    EXPECT_EQ(r[0].firstLabel, "はい");
    EXPECT_EQ(r[0].secondLabel, "いいえ");
    EXPECT_EQ(r[0].answer, PromptAnswer::First);
    EXPECT_EQ(r[1].firstLabel, "OK");
    EXPECT_EQ(r[1].secondLabel, "キャンセル");
    EXPECT_EQ(r[1].answer, PromptAnswer::Second);
    EXPECT_EQ(r[2].kind, ScriptedPrompt::Kind::Message);
    EXPECT_EQ(r[2].firstLabel, "OK");
    EXPECT_EQ(prompt.texts(), (std::vector<std::string>{"続けますか？", "もう一度？", "終わりました。"}));
    EXPECT_EQ(prompt.unscriptedQuestions(), 0u);
    EXPECT_EQ(prompt.answersLeft(), 0u);
}

TEST(ScriptedPrompt, RunningOutOfAnswersIsCountedAndUsesFallback)
{
    ScriptedPrompt prompt({}, PromptAnswer::First);
    EXPECT_EQ(askTwice(prompt), 2);
    EXPECT_EQ(prompt.unscriptedQuestions(), 2u);
    prompt.clear();
    EXPECT_TRUE(prompt.records().empty());
    prompt.addAnswer(PromptAnswer::Second);
    prompt.message("x", "閉じる");
    EXPECT_EQ(prompt.records()[0].firstLabel, "閉じる");
    EXPECT_EQ(prompt.answersLeft(), 1u);
}
