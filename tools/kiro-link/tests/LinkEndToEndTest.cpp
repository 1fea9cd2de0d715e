// kiro-link against kiro-hostsim over the TELNET virtual modem.
#include "tools/hostsim/tests/HostSimProcess.h"
#include "tools/kiro-link/tests/LinkFixture.h"

#include <gtest/gtest.h>

#include <chrono>

using kiro::testing::HostSimProcess;
using kiro::testing::LinkFixture;
using kiro::testing::LinkResult;

namespace {

const std::vector<std::string> kMembers{"--member", "ABC01234:secret", "--logged-in", "DBL00001", "--member",
                                        "DBL00001:pw"};

std::vector<std::string> with(std::vector<std::string> extra)
{
    std::vector<std::string> all = kMembers;
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
}

} // namespace

TEST(LinkEndToEnd, LoginAndLogoutOnBothRoads)
{
    for (const char *road : {"5", "7"}) {
        SCOPED_TRACE(road);
        HostSimProcess host(with({"--road", road}));
        LinkFixture link;
        link.phoneBook("Default", host.port());
        const LinkResult r = link.run("login");
        EXPECT_EQ(r.exitCode, 0) << r.output;
        EXPECT_TRUE(r.has(std::string("ログインスクリプト実行中") + (road[0] == '7' ? "(ROAD7)。" : "。")));
        EXPECT_TRUE(r.has("接続が完了しました。"));
        EXPECT_TRUE(r.has("ログアウト完了。"));
        EXPECT_TRUE(r.has("[button] 強制回線切断"));
        EXPECT_FALSE(r.has("[message]"));
        EXPECT_TRUE(r.has("result: success"));
    }
}

TEST(LinkEndToEnd, RefusedLoginsShowTheMessageAndFail)
{
    HostSimProcess host(kMembers);
    struct Case {
        const char *id;
        const char *password;
        const char *message;
    } cases[] = {
        {"NOBODY", "x", "ユーザーＩＤが不正です。"},
        {"ABC01234", "wrong", "パスワードが不正です。"},
        {"DBL00001", "pw", "二重ログインです。"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        LinkFixture link;
        link.phoneBook("Default", host.port());
        link.settings.NiftyID = c.id;
        link.settings.NiftyPassWord = c.password;
        const LinkResult r = link.run("login");
        EXPECT_EQ(r.exitCode, 1) << r.output;
        EXPECT_TRUE(r.has(std::string("[message] ") + c.message + " [OK]")) << r.output;
        EXPECT_TRUE(r.has("切断中..."));
        EXPECT_FALSE(r.has("ログアウト完了。"));
    }
}

TEST(LinkEndToEnd, BusyLineRedialsThreeTimesThenGivesUp)
{
    LinkFixture link;
    link.phoneBook("Default", 1); // nobody listens: the modem answers BUSY
    const LinkResult r = link.run("login");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.count("話中です。"), 3u) << r.output;
    EXPECT_TRUE(r.has("リダイアル待機中...あと"));
    EXPECT_TRUE(r.has("[message] 話中でした。"));
}

TEST(LinkEndToEnd, SecondAccessPointAnswersOnTheSecondAttempt)
{
    HostSimProcess host(kMembers);
    LinkFixture link;
    link.settings.AccessPoint = "0311111111";
    link.settings.AccessPoint2nd = "0322222222";
    link.phoneBook("0311111111", 1);
    link.phoneBook("0322222222", host.port());
    const LinkResult r = link.run("login");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.count("話中です。"), 1u);
    EXPECT_TRUE(r.has("ログアウト完了。"));
}

TEST(LinkEndToEnd, ModemTest)
{
    LinkFixture link;
    const LinkResult r = link.run("modem-test");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.has("コマンドが正常に処理されました。"));
    EXPECT_TRUE(r.has("modem answered"));
    EXPECT_FALSE(r.has("[question]"));
}

TEST(LinkEndToEnd, CancelInEachButtonState)
{
    HostSimProcess host(kMembers);
    const std::string waitForever = R"({"steps":[{"send":"go top\r","outcomes":[{"prompt":"NEVER"}]}]})";
    struct Case {
        const char *when;
        const char *command;
        bool toClosedPort;
        const char *expected; // must appear
        const char *absent;   // must not appear
    } cases[] = {
        // Modem initialisation: the port closes; the step's own message is still shown.
        {"モデム初期化中", "login", false, "[message] モデムの初期化に失敗しました。", "ダイアル中..."},
        // Dialling: hang up without a message.
        {"ダイアル中", "login", false, "キャンセル...", "[message]"},
        // Redial wait: the wait ends and so does the run.
        {"リダイアル待機中", "login", true, "[press]", "話中でした。"},
        // Logged in, in the middle of a job: forced disconnect.
        {"接続が完了しました。", "run job.json", false, "切断中...", "ログアウト完了。"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.when);
        LinkFixture link;
        link.phoneBook("Default", c.toClosedPort ? 1 : host.port());
        link.writeFile("job.json", waitForever);
        const LinkResult r = link.run("--press-when '" + std::string(c.when) + "' " +
                                      (std::string(c.command) == "login" ? "login" : "run '" + link.path("job.json").string() + "'"));
        EXPECT_EQ(r.exitCode, 1) << r.output;
        EXPECT_TRUE(r.has("[press]")) << r.output;
        EXPECT_TRUE(r.has(c.expected)) << r.output;
        EXPECT_FALSE(r.has(c.absent)) << r.output;
    }
}

TEST(LinkEndToEnd, JobStepsTimeOutCaptureAndTies)
{
    HostSimProcess host(kMembers);
    LinkFixture link;
    link.phoneBook("Default", host.port());
    // Tie: both prompts end the buffer; the one listed first wins.
    // Capture: the text before the prompt, cut to capture size - 1 bytes.
    link.writeFile("ok.json", R"({"steps":[
        {"kind":1,"send":"go top\r","captureSize":7,
         "outcomes":[{"prompt":"ＴＯＰ ＞","status":"長い方"},{"prompt":"＞","status":"短い方"}]},
        {"send":"go top\r","outcomes":[{"prompt":"＞","status":"二番目は短い方"},{"prompt":"ＴＯＰ ＞","status":"長い方2"}]}]})");
    LinkResult r = link.run("run '" + link.path("ok.json").string() + "' --logout");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.has("長い方\n"));
    EXPECT_TRUE(r.has("二番目は短い方"));
    EXPECT_FALSE(r.has("長い方2"));
    EXPECT_TRUE(r.has("[capture 0] \n１ お\n")) << r.output;

    // A step whose echo never comes does not see its prompt; its time-out ends it.
    link.writeFile("noecho.json", R"({"steps":[
        {"timeout":true,"send":"\u007fgo top\r",
         "outcomes":[{"prompt":"@@TIMEOUT@@","verdict":1,"status":"応答がありません。"},{"prompt":"＞","status":"見えた"}]}]})");
    r = link.run("run '" + link.path("noecho.json").string() + "' --logout");
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_TRUE(r.has("[message] 応答がありません。 [OK]"));
    EXPECT_FALSE(r.has("見えた"));
    EXPECT_FALSE(r.has("ログアウト完了。")); // a failure once logged in hangs up instead
}

TEST(LinkEndToEnd, DailyCheckOncePerDay)
{
    HostSimProcess host(kMembers);
    LinkFixture link;
    link.phoneBook("Default", host.port());
    LinkResult r = link.run("login");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.count("[daily check]"), 1u);
    EXPECT_NE(link.settings.LastLookVup, "1996/8/20");
    r = link.run("login");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.count("[daily check]"), 0u);
}

TEST(LinkSignals, TerminationHangsUpAndEndsTheRun)
{
    LinkFixture link;
    HostSimProcess host({"--member", "ABC01234:secret"});
    link.phoneBook("Default", host.port());
    // A step that waits for a prompt the host never sends, without time-out.
    link.writeFile("job.json", R"({"steps":[{"kind":0,"send":"go nowhere\r","outcomes":[
        {"prompt":"never","verdict":0,"status":"never"}]}]})");
    const auto started = std::chrono::steady_clock::now();
    const LinkResult r = link.run("run '" + link.path("job.json").string() + "'", 80, 4);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    EXPECT_TRUE(r.has("[signal] 15: hanging up")) << r.output;
    EXPECT_TRUE(r.has("result: failure")) << r.output;
    EXPECT_EQ(r.exitCode, 1) << r.output;
}
