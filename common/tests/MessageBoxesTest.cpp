#include "common/MessageBoxes.h"

#include <gtest/gtest.h>

#include <sstream>

using kiro::ButtonAnswer;

TEST(ConsoleAnswer, OnlyYesWordsChooseTheFirstButton)
{
    for (const char* yes : {"y", "yes", "はい", "Y", "YES", "  yes\r", "\tはい "})
        EXPECT_EQ(kiro::answerFromLine(yes), ButtonAnswer::First) << yes;
    for (const char* other : {"", "n", "no", "いいえ", "yes please", "ye", "1", "ok", "ｙ"})
        EXPECT_EQ(kiro::answerFromLine(other), ButtonAnswer::Second) << other;
}

TEST(ConsoleAnswer, AsksOnceAndReadsOneLinePerQuestion)
{
    std::ostringstream out;
    std::istringstream in("yes\nno\n");
    kiro::ConsoleMessageBoxes boxes(out, in);
    EXPECT_EQ(boxes.askYesNo("削除しますか？", "質問"), ButtonAnswer::First);
    EXPECT_EQ(boxes.askYesNo("もう一度？", "質問"), ButtonAnswer::Second);
    // Input has ended: the second button, never a hang or the first.
    EXPECT_EQ(boxes.askYesNo("三度目？", "質問"), ButtonAnswer::Second);
    EXPECT_EQ(out.str(),
              "質問: 削除しますか？ [y=はい/n=いいえ] 質問: もう一度？ [y=はい/n=いいえ] 質問: 三度目？ [y=はい/n=いいえ] \n");
}

TEST(ConsoleAnswer, BoxesAreTitleColonText)
{
    std::ostringstream out;
    std::istringstream in;
    kiro::ConsoleMessageBoxes boxes(out, in);
    boxes.showBox("壊れています", "エラー", kiro::BoxIcon::Error);
    boxes.show("two\nlines", "songbox");
    EXPECT_EQ(out.str(), "エラー: 壊れています\nsongbox: two\nlines\n");
}
