#include "common/Cp932.h"
#include "tools/kiro-link/JobScript.h"
#include "tools/kiro-link/LinkOptions.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kiro;

TEST(JobScript, ReadsStepsInCodePage932)
{
    std::string error;
    auto script = link::JobScript::fromJson(R"({"steps":[
        {"kind":1,"timeout":true,"pause":true,"atOnce":true,"send":"go top\r",
         "outcomes":[{"prompt":"＞","verdict":0,"status":"済み"},{"prompt":"Clear ","verdict":1}],
         "captureSize":16},
        {"kind":4,"send":"/tmp/ダウンロード"},
        {"kind":2,"send":"x\r","capture":"out.txt","outcomes":[{"prompt":"*"}]}]})",
                                            error);
    ASSERT_TRUE(script) << error;
    ASSERT_EQ(script->size(), 3u);
    const online::ScriptStep &first = script->steps()[0];
    EXPECT_EQ(first.kindAndFlags, 1u | online::kStepTimeOut | online::kStepPause);
    EXPECT_EQ(first.matchAtOnce, 1u);
    EXPECT_STREQ(first.command, "go top\r");
    EXPECT_EQ(std::string(first.outcomes[0].prompt), cp932::fromUtf8("＞"));
    EXPECT_STREQ(first.outcomes[0].status, "済み");
    EXPECT_EQ(first.outcomes[1].verdict, 1);
    EXPECT_EQ(first.outcomeCount(), 2u);
    ASSERT_NE(first.captureTarget, nullptr);
    EXPECT_EQ(first.captureSize, 16u);
    // The transfer step keeps its folder as a file-system name.
    EXPECT_STREQ(script->steps()[1].command, "/tmp/ダウンロード");
    EXPECT_STREQ(script->steps()[2].captureTarget, "out.txt");
    EXPECT_TRUE(script->steps()[3].isEnd());

    std::strcpy(first.captureTarget, cp932::fromUtf8("メニュー").c_str());
    EXPECT_EQ(script->capturedText(0), "メニュー");
    EXPECT_FALSE(script->capturedText(1));
}

TEST(JobScript, RefusesBrokenScripts)
{
    std::string error;
    EXPECT_FALSE(link::JobScript::fromJson("{", error));
    EXPECT_FALSE(link::JobScript::fromJson(R"({"step":[]})", error));
    EXPECT_FALSE(link::JobScript::fromJson(R"({"steps":[{"kind":300}]})", error));
    EXPECT_FALSE(link::JobScript::fromJson(R"({"steps":[{"outcomes":[{"prompt":""}]}]})", error));
    EXPECT_FALSE(link::JobScript::fromJson(R"({"steps":[{"send":"😀"}]})", error));
    EXPECT_FALSE(link::JobScript::fromJson(R"({"steps":[{"kind":1,"captureSize":100000}]})", error));
    EXPECT_FALSE(link::JobScript::fromJson(
        R"({"steps":[{"outcomes":[{"prompt":"a"},{"prompt":"b"},{"prompt":"c"},{"prompt":"d"},{"prompt":"e"},{"prompt":"f"},{"prompt":"g"}]}]})",
        error));
    EXPECT_NE(error.find("6"), std::string::npos);
}

TEST(LinkOptions, OptionsBeforeTheCommand)
{
    link::LinkOptions o;
    EXPECT_FALSE(link::parseLinkOptions({"--windir", "W", "--tick-ms", "50", "run", "job.json", "--logout"}, o));
    EXPECT_EQ(o.windir, "W");
    EXPECT_EQ(o.tickMs, 50);
    EXPECT_EQ(o.command, "run");
    EXPECT_EQ(o.script, "job.json");
    EXPECT_TRUE(o.logout);
    link::LinkOptions p;
    EXPECT_TRUE(link::parseLinkOptions({"login", "--windir", "W"}, p));
    EXPECT_TRUE(link::parseLinkOptions({"--tick-ms", "0", "login"}, p));
    EXPECT_TRUE(link::parseLinkOptions({"dance"}, p));
    EXPECT_TRUE(link::parseLinkOptions({"run"}, p));
}
