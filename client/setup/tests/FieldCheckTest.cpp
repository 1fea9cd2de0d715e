#include "client/app/ScriptedPrompt.h"
#include "client/setup/Cp932Fit.h"
#include "client/setup/FieldCheck.h"

#include <gtest/gtest.h>

#include <map>

using kiro::setup::CheckFields;
using kiro::setup::FieldCheckRow;

namespace {

const FieldCheckRow kTable[] = {
    {10, FieldCheckRow::Required, "名前", 0},
    {11, FieldCheckRow::Required | FieldCheckRow::HalfWidthOnly, "番号", 0},
    {12, FieldCheckRow::MinimumLength, "暗証", 4},
};

kiro::setup::FieldCheckResult check(std::map<int, std::string> texts, kiro::app::ScriptedPrompt& prompt)
{
    return CheckFields(kTable, [&](int control) { return texts[control]; }, prompt);
}

} // namespace

TEST(CheckFields, StopsAtTheFirstFailingRowWithItsMessage)
{
    kiro::app::ScriptedPrompt prompt;
    auto result = check({{10, ""}, {11, "０３"}, {12, ""}}, prompt);
    EXPECT_FALSE(result.valid);
    EXPECT_EQ(result.failingControl, 10);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"名前が\n未入力です。\n正しく入力してください。"});

    prompt.clear();
    result = check({{10, "東京"}, {11, "03-１234"}, {12, ""}}, prompt);
    EXPECT_EQ(result.failingControl, 11) << "a full-width digit among half-width ones";
    EXPECT_EQ(prompt.texts(),
              std::vector<std::string>{"番号には、\n全角文字は入力できません。\n\n半角文字に直してください。"});

    prompt.clear();
    result = check({{10, "東京"}, {11, "03"}, {12, "abc"}}, prompt);
    EXPECT_EQ(result.failingControl, 12);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"暗証は、\n4桁の文字列です。\n\n確認して、\n入力しなおしてください。"});
}

TEST(CheckFields, WidthAndLengthAreJudgedInStoredBytes)
{
    kiro::app::ScriptedPrompt prompt;
    // Half-width katakana is one byte in the file: not a double-byte character.
    auto result = check({{10, "ｱ"}, {11, "ｱｸｾｽ"}, {12, "ab"}}, prompt);
    EXPECT_EQ(result.failingControl, 12) << "two kanji would be four bytes; two letters are not";
    prompt.clear();
    result = check({{10, "ｱ"}, {11, "03"}, {12, "暗証"}}, prompt);
    EXPECT_TRUE(result.valid);
    EXPECT_EQ(result.failingControl, 0);
    EXPECT_TRUE(prompt.records().empty());
}

TEST(Cp932Fit, CutsBetweenCharactersAtTheByteLimit)
{
    const std::string twenty = "山田山田山田山田山田山田山田山田山田山田"; // 20 kanji, 40 bytes
    EXPECT_EQ(kiro::setup::cp932Length(twenty), 40u);
    EXPECT_EQ(kiro::setup::fitCp932(twenty, 40), twenty);
    EXPECT_EQ(kiro::setup::fitCp932(twenty + "A", 40), twenty) << "the 41st byte is refused";
    const std::string thirtyNine(39, 'a');
    EXPECT_EQ(kiro::setup::fitCp932(thirtyNine + "山", 40), thirtyNine) << "never half a kanji";
    EXPECT_EQ(kiro::setup::fitCp932("ｱｲｳ", 3), "ｱｲｳ") << "half-width katakana take one byte each";
    // An emoji has no code page 932 form: the file could not hold it.
    EXPECT_EQ(kiro::setup::fitCp932("a\xF0\x9F\x8E\xA4" "b", 10), "ab");
}
