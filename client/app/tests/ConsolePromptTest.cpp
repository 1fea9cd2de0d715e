#include "client/app/ConsolePrompt.h"

#include <gtest/gtest.h>

#include <sstream>

using kiro::app::PromptAnswer;

TEST(ConsolePrompt, AnswersLikeTheMessageBoxes)
{
    std::ostringstream out;
    std::istringstream in("はい\nn\n");
    kiro::app::ConsolePrompt prompt(out, in);
    prompt.message("接続しました。");
    EXPECT_EQ(prompt.question("モデムが接続されていますか？", "はい", "いいえ"), PromptAnswer::First);
    EXPECT_EQ(prompt.question("受信しますか？"), PromptAnswer::Second);
    EXPECT_EQ(prompt.question("もう一度？"), PromptAnswer::Second); // end of input
    EXPECT_EQ(out.str(), "接続しました。\n"
                         "モデムが接続されていますか？ [y=はい/n=いいえ] "
                         "受信しますか？ [y=OK/n=キャンセル] "
                         "もう一度？ [y=OK/n=キャンセル] \n");
}
