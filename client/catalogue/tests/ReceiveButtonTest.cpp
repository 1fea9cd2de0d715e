// The play button in receive state, in one process: BulkReceive over the
// host session and the TELNET virtual modem against kiro-hostsim, with the
// user's answers scripted.
#include "client/app/ScriptedPrompt.h"
#include "client/catalogue/BulkReceive.h"
#include "client/catalogue/ReceiveButton.h"
#include "client/db/CatalogueDb.h"
#include "client/db/Recordset.h"
#include "client/online/BPlusTransferStarter.h"
#include "client/online/HostSession.h"
#include "client/online/TelnetModemDevice.h"
#include "client/online/TextProgressView.h"
#include "common/tests/TempDir.h"
#include "tools/hostsim/tests/HostSimProcess.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <fstream>

using namespace kiro;
namespace fs = std::filesystem;

namespace {

QCoreApplication &application()
{
    static int argc = 1;
    static char name[] = "receive_button_tests";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

class ReceiveButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        application();
        m_dir = m_temp.path;
        for (const char *folder : {"inst/sysfile", "inst/MAIL", "inst/karaoke", "content", "work"})
            fs::create_directories(m_dir / folder);
        db::CatalogueDb::createFile(dbPath());
        db.openOrThrow(dbPath());
        settings.MailToUserInfo = 1;
    }
    void TearDown() override
    {
        if (port)
            port->Shutdown();
        if (transfers)
            transfers->join();
        session.reset();
        transfers.reset();
        port.reset();
        host.reset();
        db.shutDown();
    }

    fs::path dbPath() const { return m_dir / "inst/sysfile/KIRODB.MDB"; }
    std::string hostLog() const { return fileText(m_dir / "host.log"); }

    bool archive(const std::string &base)
    {
        std::ofstream(m_dir / "work" / (base + ".KRD")) << "KRD";
        const std::string command = "cd '" + (m_dir / "work").string() + "' && jlha -c '" +
                                    (m_dir / "content" / (base + ".LZH")).string() + "' " + base +
                                    ".KRD >/dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    }

    void connect()
    {
        host = std::make_unique<kiro::testing::HostSimProcess>(
            std::vector<std::string>{"--member", "ABC01234:secret", "--catalogue", dbPath().string(), "--content",
                                     (m_dir / "content").string()},
            (m_dir / "host.log").string());
        ASSERT_GT(host->port(), 0);
        const int hostPort = host->port();
        port = std::make_unique<online::CommPort>(
            [hostPort](std::uint8_t) {
                online::TelnetModemOptions options;
                options.phoneBook = [hostPort](const std::string &) {
                    return std::optional<std::string>("127.0.0.1:" + std::to_string(hostPort));
                };
                return std::make_unique<online::TelnetModemDevice>(options);
            },
            m_dir);
        session = std::make_unique<online::HostSession>(*port, view, prompt);
        ASSERT_TRUE(port->Init(&session->receiveHandler(), 5, 9600));
        online::SessionSettings s;
        s.dial.accessPoint = "0300000001";
        s.modemInit = "ATS12=5";
        s.userId = "ABC01234";
        s.password = "secret";
        session->setSettings(s);
        const auto tick = std::chrono::milliseconds(60);
        session->setTickInterval(tick);
        online::BPlusTransferOptions options;
        options.timeouts = online::BPlusTransferStarter::timeoutsForTick(tick);
        transfers = std::make_unique<online::BPlusTransferStarter>(*port, options);
        session->setTransferStarter(transfers.get());
    }

    long long count(const std::string &where)
    {
        db::Recordset rs(db);
        rs.open("SELECT 予約テーブル.商品コード FROM 予約テーブル WHERE " + where + ";");
        long long n = 0;
        for (; !rs.isEOF(); rs.moveNext())
            ++n;
        return n;
    }

    db::CatalogueDb db;
    app::ClientSettings settings;
    online::TextProgressView view{stderr};
    app::ScriptedPrompt prompt;
    std::unique_ptr<kiro::testing::HostSimProcess> host;
    std::unique_ptr<online::CommPort> port;
    std::unique_ptr<online::BPlusTransferStarter> transfers;
    std::unique_ptr<online::HostSession> session;

private:
    TempDir m_temp{"receive-button"};
    fs::path m_dir;

protected:
    fs::path install() const { return m_dir / "inst"; }
};

} // namespace

TEST_F(ReceiveButtonTest, DecliningTheModemQuestionDoesNothing)
{
    db.execute("INSERT INTO 商品マスタ (コースコード, 商品コード, ファイル名, データアドレス１, データアドレス２) "
               "VALUES ('010', 'K1', 'K1.KRD', '1,1', '2,1')");
    db.execute("INSERT INTO 予約テーブル (コースコード, 商品コード, 順位, 予約フラグ) VALUES ('010', 'K1', 1, 0)");
    settings.MailToUserInfo = 0;
    connect();
    prompt.addAnswer(app::PromptAnswer::Second);
    catalogue::BulkReceive job(db, *session, settings, install(), "98");
    const auto result = catalogue::PlayButtonReceive(job, prompt, db, 10);
    EXPECT_TRUE(result.error);
    EXPECT_EQ(prompt.records().size(), 1u); // only the modem question
    EXPECT_EQ(hostLog().find("connected"), std::string::npos);
    EXPECT_EQ(count("予約テーブル.商品コード = 'K1'"), 1);
    EXPECT_EQ(settings.MailToUserInfo, 0);
    EXPECT_EQ(settings.WriteMailNo, 10001);
}

TEST_F(ReceiveButtonTest, Course50DecliningToPlayOnClearsTheReservations)
{
    if (std::system("command -v jlha >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "jlha is not installed";
    ASSERT_TRUE(archive("P1"));
    db.execute("INSERT INTO 商品マスタ (コースコード, 商品コード, ファイル名, データアドレス１, データアドレス２) "
               "VALUES ('050', 'P1', 'P1.KRD', '3,1', '4,1')");
    db.execute("INSERT INTO 商品マスタ (コースコード, 商品コード, ファイル名, データアドレス１, データアドレス２, "
               "ダウンロード済みフラグ) VALUES ('050', 'P2', 'P2.KRD', '3,2', '4,2', 1)");
    db.execute("INSERT INTO 予約テーブル (コースコード, 商品コード, 順位, 予約フラグ) VALUES ('050', 'P1', 1, 0)");
    db.execute("INSERT INTO 予約テーブル (コースコード, 商品コード, 順位, 予約フラグ) VALUES ('050', 'P2', 2, 1)");
    db.execute("INSERT INTO 予約テーブル (コースコード, 商品コード, 順位, 予約フラグ) VALUES ('010', 'P1', 1, 0)");
    connect();
    prompt.addAnswer(app::PromptAnswer::First);  // a modem is connected
    prompt.addAnswer(app::PromptAnswer::Second); // do not play on
    catalogue::BulkReceive job(db, *session, settings, install(), "98");
    int refreshed = 0;
    job.setListRefresh([&refreshed] { ++refreshed; });
    const auto result = catalogue::PlayButtonReceive(job, prompt, db, 50);
    EXPECT_FALSE(result.error);
    EXPECT_EQ(result.downloaded, 1);
    EXPECT_EQ(result.oneTimeDownloaded, 1);
    EXPECT_TRUE(result.reservationsCleared);
    EXPECT_EQ(refreshed, 1);
    const auto texts = prompt.texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1], "お買い上げ誠に\nありがとうございました。");
    EXPECT_EQ(texts[2], "引き続き演奏しますか？\nキャンセルすると、\n全ての演奏の予約が\n取り消されます。");
    EXPECT_EQ(count("予約テーブル.コースコード = '050'"), 0);
    EXPECT_EQ(count("予約テーブル.コースコード = '010'"), 1);
    EXPECT_TRUE(fs::exists(install() / "karaoke" / "P1.KRD"));
    EXPECT_FALSE(session->IsOnline());
}
