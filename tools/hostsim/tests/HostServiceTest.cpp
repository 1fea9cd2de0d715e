#include "common/Cp932.h"
#include "tools/hostsim/HostConfig.h"
#include "tools/hostsim/HostService.h"
#include "tools/hostsim/TelnetCodec.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace kiro::hostsim;
using namespace std::chrono_literals;

namespace {

std::string sj(const char *utf8) { return kiro::cp932::fromUtf8(utf8); }

bool endsWith(const std::string &s, const std::string &tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

struct Dialogue {
    HostConfig config;
    HostService::Clock::time_point now{};
    std::unique_ptr<HostService> service;

    explicit Dialogue(int road = 5)
    {
        config.road = road;
        config.members["ABC01234"] = "secret";
        config.loggedIn.insert("XYZ00001");
        config.members["XYZ00001"] = "pw";
        config.idleWarn = 10s;
        config.idleDrop = 5s;
    }
    std::string start()
    {
        service = std::make_unique<HostService>(config, now);
        return service->start().text;
    }
    std::string send(const std::string &line) { return service->input(line, now).text; }
    void loginTo(const std::string &id, const std::string &password)
    {
        start();
        send("C NIF\r");
        send("SVC/SJIS\r");
        send(id + "\r");
        send(password + "\r");
    }
};

} // namespace

TEST(HostService, Road5LoginEchoesCommandsButNotThePassword)
{
    Dialogue d;
    EXPECT_TRUE(endsWith(d.start(), "HOST NAME?\r\n*"));
    std::string out = d.send("C NIF\r");
    EXPECT_EQ(out.rfind("C NIF\r\n", 0), 0u);
    EXPECT_TRUE(endsWith(out, "--->"));
    out = d.send("SVC/SJIS\r");
    EXPECT_TRUE(endsWith(out, "Enter User-ID  --->"));
    out = d.send("abc01234\r");
    EXPECT_EQ(out.rfind("abc01234\r\n", 0), 0u);
    EXPECT_TRUE(endsWith(out, "Enter Password --->"));
    out = d.send("secret\r");
    EXPECT_EQ(out.find("secret"), std::string::npos);
    EXPECT_TRUE(endsWith(out, sj("＞")));
    EXPECT_TRUE(endsWith(d.send("go top\r"), sj("＞")));
    EXPECT_TRUE(endsWith(d.send("SET MENu OFF\r"), sj("＞")));
    EXPECT_TRUE(endsWith(d.send("frobnicate\r"), sj("コマンドが違います。") + "\r\n" + sj("＞")));
    // bye on road 5 returns to the access network, off there hangs up.
    EXPECT_TRUE(endsWith(d.send("bye\r"), "HOST NAME?\r\n*"));
    auto reply = d.service->input("off\r", d.now);
    EXPECT_TRUE(reply.close);
}

TEST(HostService, Road7AccessNetworkAndByeHangsUp)
{
    Dialogue d(7);
    EXPECT_TRUE(endsWith(d.start(), "Login:"));
    EXPECT_TRUE(endsWith(d.send("NIFTY\r"), "Password:"));
    EXPECT_TRUE(endsWith(d.send("\r"), "--->"));
    d.send("SVC/SJIS\r");
    d.send("ABC01234\r");
    EXPECT_TRUE(endsWith(d.send("secret\r"), sj("＞")));
    EXPECT_TRUE(d.service->input("bye\r", d.now).close);

    Dialogue wrong(7);
    wrong.start();
    wrong.send("guest\r");
    EXPECT_TRUE(endsWith(wrong.send("\r"), "Login:"));
}

TEST(HostService, RefusedLogins)
{
    Dialogue d;
    d.start();
    d.send("C NIF\r");
    d.send("SVC/SJIS\r");
    EXPECT_TRUE(endsWith(d.send("NOBODY\r"), "Enter User-ID  --->"));
    const std::string doubled = d.send("XYZ00001\r");
    EXPECT_NE(doubled.find(sj("◆二重ログインです")), std::string::npos);
    EXPECT_TRUE(endsWith(d.send("ABC01234\r"), "Enter Password --->"));
    EXPECT_TRUE(endsWith(d.send("wrong\r"), "Enter Password --->"));
}

TEST(HostService, IdleWarningThenDropToHostName)
{
    Dialogue d;
    d.loginTo("ABC01234", "secret");
    ASSERT_TRUE(d.service->nextDeadline());
    EXPECT_TRUE(d.service->tick(d.now + 9s).text.empty());
    const std::string warning = d.service->tick(d.now + 10s).text;
    EXPECT_EQ(warning, "\r\n" + sj("◆あと 2分間入力がないと回線が切断されます◆") + "\r\n");
    EXPECT_TRUE(d.service->tick(d.now + 14s).text.empty());
    EXPECT_EQ(d.service->tick(d.now + 15s).text, "\r\nHOST NAME?\r\n*");
    EXPECT_FALSE(d.service->nextDeadline());
    EXPECT_TRUE(d.service->input("off\r", d.now + 16s).close);
}

TEST(HostService, SurvivesHostileInput)
{
    Dialogue d;
    d.config.contentDir = KIRO_SHARED_DIR;
    d.loginTo("ABC01234", "secret");
    std::string junk;
    for (int i = 0; i < 5000; ++i)
        junk.push_back(static_cast<char>(i * 37 % 256));
    d.send(junk);
    d.send(std::string(10000, 'A') + "\r");
    // Only plain page names are looked up.
    EXPECT_TRUE(endsWith(d.send("go ../../etc/passwd\r"), sj("該当するサービスはありません。") + "\r\n" + sj("＞")));
    EXPECT_FALSE(d.service->closed());
}

TEST(TelnetCodec, StripsCommandsAndAnswersOnce)
{
    TelnetCodec codec;
    const std::string greeting = codec.greeting();
    EXPECT_EQ(greeting.size(), 12u);
    // The caller agrees to what we offered: no answers, no loop.
    auto d = codec.decode(std::string("\xff\xfd\x00\xff\xfb\x03" "ab\xff\xff" "c", 11));
    EXPECT_EQ(d.data, "ab\xff" "c");
    EXPECT_TRUE(d.replies.empty());
    // Unknown options are refused; sub-negotiation is skipped.
    d = codec.decode(std::string("\xff\xfd\x18\xff\xfa\x18\x01\xff\xf0x", 10));
    EXPECT_EQ(d.data, "x");
    EXPECT_EQ(d.replies, "\xff\xfc\x18");
    EXPECT_EQ(TelnetCodec::encode("a\xff"), "a\xff\xff");
}

TEST(HostConfig, OptionsAndErrors)
{
    HostConfig c;
    EXPECT_FALSE(parseArguments({"--port", "0", "--road", "7", "--member", "abc:pw:x", "--logged-in", "abc",
                                 "--idle-warn", "1.5", "--idle-drop=2"},
                                c));
    EXPECT_EQ(c.road, 7);
    EXPECT_EQ(c.members.at("ABC"), "pw:x");
    EXPECT_EQ(c.idleWarn, 1500ms);
    EXPECT_EQ(c.idleDrop, 2000ms);
    EXPECT_TRUE(parseArguments({"--road", "6"}, c));
    EXPECT_TRUE(parseArguments({"--member", ":pw"}, c));
    EXPECT_TRUE(parseArguments({"--idle-warn", "soon"}, c));
    EXPECT_TRUE(parseArguments({"--port"}, c));
    EXPECT_TRUE(parseArguments({"--config", "/nonexistent/file"}, c));

    // A configuration file, overridden by options that follow it.
    const std::string path = ::testing::TempDir() + "hostsim.conf";
    {
        std::ofstream out(path);
        out << "# the demo service\nroad = 7\nmember = DEF05678 : pw\n; comment\nidle-warn = 2\n";
    }
    HostConfig f;
    EXPECT_FALSE(parseArguments({"--config", path, "--road", "5"}, f));
    EXPECT_EQ(f.road, 5);
    EXPECT_EQ(f.members.at("DEF05678"), "pw");
    EXPECT_EQ(f.idleWarn, 2000ms);
    {
        std::ofstream out(path);
        out << "road = 5\nbogus\n";
    }
    auto error = parseArguments({"--config", path}, f);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find(":2:"), std::string::npos);
}
