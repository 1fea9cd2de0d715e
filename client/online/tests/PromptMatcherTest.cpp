#include "client/online/LineWatcher.h"
#include "client/online/PromptMatcher.h"
#include "client/online/SessionLineTap.h"
#include "common/Cp932.h"

#include <gtest/gtest.h>

#include <vector>

using namespace kiro::online;

namespace {

std::optional<MatchReport> feedAll(PromptMatcher &matcher, const std::string &bytes)
{
    std::optional<MatchReport> last;
    for (unsigned char c : bytes) {
        auto r = matcher.feed(c);
        if (r) {
            EXPECT_FALSE(last) << "second report from one arming";
            last = r;
        }
    }
    return last;
}

MatchArm prompts(std::vector<std::string> list, MatchMode mode = MatchMode::Prompts, std::string command = {})
{
    MatchArm arm;
    arm.mode = mode;
    arm.prompts = std::move(list);
    arm.command = std::move(command);
    return arm;
}

} // namespace

TEST(PromptMatcher, EarlierListedPromptWinsTies)
{
    PromptMatcher m;
    m.arm(prompts({"Enter User-ID  --->", "--->"}));
    auto r = feedAll(m, "\r\nEnter User-ID  --->");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->index, 0);

    m.arm(prompts({"--->", "Enter User-ID  --->"}));
    r = feedAll(m, "\r\nEnter User-ID  --->");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->index, 0);
    EXPECT_FALSE(m.armed());
}

TEST(PromptMatcher, ListEndsAtFirstEmptyPrompt)
{
    PromptMatcher m;
    m.arm(prompts({"A>", "", "B>"}));
    EXPECT_FALSE(feedAll(m, "xx B>"));
    EXPECT_TRUE(feedAll(m, "A>"));
}

TEST(PromptMatcher, WaitsForEchoBeforeMatching)
{
    PromptMatcher m;
    m.arm(prompts({"OK"}, MatchMode::WaitEcho, "go top\r"));
    // A prompt that arrives before the echo does not count, and the echo
    // empties the buffer so the captured text starts after it.
    EXPECT_FALSE(feedAll(m, "OK\r\ngo top\r"));
    EXPECT_EQ(m.mode(), MatchMode::Prompts);
    auto r = feedAll(m, "\nmenu\r\nOK");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->text, "\nmenu\r\nOK");
}

TEST(PromptMatcher, NeverEchoedCommandNeverMatches)
{
    PromptMatcher m;
    m.arm(prompts({"＞"}, MatchMode::WaitEcho, "secret\r"));
    EXPECT_FALSE(feedAll(m, kiro::cp932::fromUtf8("something else\r\n＞")));
    EXPECT_TRUE(m.armed());
}

TEST(PromptMatcher, FiltersControlBytesButKeepsShiftJis)
{
    PromptMatcher m;
    const std::string prompt = kiro::cp932::fromUtf8("＞");
    m.arm(prompts({prompt}));
    std::string noisy = std::string("a\x00\x07\x1b", 4) + "\x05\x06\x15" + "\r\n" + prompt;
    auto r = feedAll(m, noisy);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->text, "a\x05\x06\x15\r\n" + prompt);
    // A control byte in the middle of a prompt does not break it.
    m.arm(prompts({"--->"}));
    EXPECT_TRUE(feedAll(m, std::string("--\x00->", 5)));
}

TEST(PromptMatcher, CountModeReportsOutcomeOneAtByteCount)
{
    PromptMatcher m;
    MatchArm arm;
    arm.mode = MatchMode::CountBytes;
    arm.byteCount = 5;
    m.arm(arm);
    EXPECT_FALSE(feedAll(m, "abc\x01"));
    auto r = feedAll(m, "de");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->index, 1);
    EXPECT_EQ(r->text, "abcde");
    EXPECT_FALSE(m.feed('f'));
}

TEST(LineWatcher, RecognisesIdleWarningAndHostNameLines)
{
    LineWatcher w;
    std::vector<WatchReport> seen;
    auto feed = [&](const std::string &s) {
        for (unsigned char c : s)
            if (auto r = w.feed(c))
                seen.push_back(*r);
    };
    feed("\r\n" + LineWatcher::idleWarningLine() + "\r\n");
    feed("HOST NAME?\r\n*");
    feed("HOST NAME? \r\n");         // not the whole line
    feed("xHOST NAME?\r\n");         // not the whole line
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].line, WatchedLine::IdleWarning);
    EXPECT_EQ(seen[0].text, LineWatcher::idleWarningLine());
    EXPECT_EQ(seen[1].line, WatchedLine::HostName);
    EXPECT_TRUE(seen[1].text.empty());
}

TEST(LineWatcher, LongLineStartsOverAndLfEmpties)
{
    LineWatcher w;
    for (std::size_t i = 0; i < LineWatcher::kLineLimit; ++i)
        w.feed('y');
    for (unsigned char c : std::string("HOST NAME?"))
        w.feed(c);
    EXPECT_EQ(w.line(), "HOST NAME?");
    w.feed('\n');
    EXPECT_TRUE(w.line().empty());
    w.feed('\x7');
    EXPECT_TRUE(w.line().empty());
}

TEST(SessionLineTap, OneReportPerArmingAndWatcherBetweenSteps)
{
    SessionLineTap tap;
    std::vector<std::pair<int, std::string>> reports;
    tap.setSink([&](int i, std::string t) { reports.emplace_back(i, std::move(t)); });

    // Idle warning while a step is armed is the matcher's text, not a line.
    const std::string prompt = kiro::cp932::fromUtf8("＞");
    tap.arm(prompts({prompt}));
    std::string warn = LineWatcher::idleWarningLine() + "\r\n";
    tap.onBytes(warn.data(), warn.size());
    EXPECT_TRUE(reports.empty());

    tap.onBytes("A>", 2);
    EXPECT_TRUE(reports.empty());
    tap.onBytes(prompt.data(), prompt.size());
    ASSERT_EQ(reports.size(), 1u);
    // The time-out that fires before the prompt was handled is dropped.
    EXPECT_FALSE(tap.reportTimeout());
    tap.acknowledge();

    // Between steps the watcher sees lines.
    tap.onBytes(warn.data(), warn.size());
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].first, 32);

    // A cancellation between steps still reports outcome 0.
    EXPECT_TRUE(tap.reportTimeout());
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[2].first, 0);
    tap.acknowledge();

    // A time-out takes the buffer and disarms; later prompt bytes are ignored.
    tap.arm(prompts({"OK"}));
    tap.onBytes("partial", 7);
    EXPECT_TRUE(tap.reportTimeout());
    EXPECT_EQ(reports.back().second, "partial");
    tap.onBytes("OK", 2);
    EXPECT_EQ(reports.size(), 4u);
}

TEST(PromptMatcher, MatchesWholeCharactersOnly)
{
    using kiro::cp932::fromUtf8;
    PromptMatcher m;
    const std::string prompt = fromUtf8("＞");  // 81 84
    m.arm(prompts({prompt}));
    // "＝━": the trail byte of ＝ (81 81) and the lead byte of ━ (84 9F)
    // spell 81 84 across the boundary.
    EXPECT_FALSE(feedAll(m, fromUtf8("メニュー＝━━")));
    EXPECT_FALSE(feedAll(m, std::string("\x81\x81\x84")));
    const auto r = feedAll(m, "\r\n" + prompt);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->index, 0);
}

TEST(PromptMatcher, APromptAfterALongListingStillMatches)
{
    PromptMatcher m;
    m.arm(prompts({"OK>"}));
    std::string listing;
    for (int line = 0; listing.size() < 100000; ++line)
        listing += "line " + std::to_string(line) + " of a very long listing\r\n";
    EXPECT_FALSE(feedAll(m, listing));
    EXPECT_LE(m.buffer().size(), PromptMatcher::kBufferLimit);
    const auto r = feedAll(m, "OK>");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->text.substr(r->text.size() - 5), "\r\nOK>");
}
