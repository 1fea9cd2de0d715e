#include "client/MailNumbers.h"
#include "client/MidiEngineChoice.h"
#include "client/db/CatalogueDb.h"
#include "common/Registry.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using kiro::client::mailNumberFromName;

namespace {

struct Catalogue {
    QTemporaryDir dir;
    kiro::db::CatalogueDb db;
    Catalogue()
    {
        const std::filesystem::path file = dir.filePath("KIRODB.MDB").toStdString();
        kiro::db::CatalogueDb::createFile(file);
        db.openOrThrow(file);
    }
};

} // namespace

TEST(MailNumbers, NextNumbersFollowTheNewestMails)
{
    Catalogue catalogue;
    kiro::app::ClientSettings settings;
    settings.ReadMailNo = 5;
    settings.WriteMailNo = 5;
    kiro::client::recomputeMailNumbers(catalogue.db, settings);
    EXPECT_EQ(settings.ReadMailNo, 10001) << "no mails at all";
    EXPECT_EQ(settings.WriteMailNo, 10001) << "a mail table without sent mails";

    auto& db = catalogue.db;
    db.execute("INSERT INTO メールテーブル (メールコード, 送受信区分, 既読フラグ, ファイル名) VALUES ('SND10007', 0, 0, '')");
    db.execute("INSERT INTO メールテーブル (メールコード, 送受信区分, 既読フラグ, ファイル名) VALUES ('SND10012', 0, 0, '')");
    db.execute("INSERT INTO メールテーブル (メールコード, 送受信区分, 既読フラグ, ファイル名) VALUES ('R1', 1, 1, 'RCV10020.TXT')");
    db.execute("INSERT INTO メールテーブル (メールコード, 送受信区分, 既読フラグ, ファイル名) VALUES ('R2', 1, 2, 'RCV10031.TXT')");
    // Unread mails do not count: their numbers are still to be used.
    db.execute("INSERT INTO メールテーブル (メールコード, 送受信区分, 既読フラグ, ファイル名) VALUES ('R3', 1, 0, 'RCV10099.TXT')");
    kiro::client::recomputeMailNumbers(db, settings);
    EXPECT_EQ(settings.ReadMailNo, 10032);
    EXPECT_EQ(settings.WriteMailNo, 10013);
}

TEST(MailNumbers, NumberFromTheFourthCharacter)
{
    EXPECT_EQ(mailNumberFromName("RCV10020.TXT"), 10020);
    EXPECT_EQ(mailNumberFromName("ABC123456"), 12345) << "five digits at most";
    EXPECT_EQ(mailNumberFromName("ABC"), 10000);
    EXPECT_EQ(mailNumberFromName(""), 10000);
    EXPECT_EQ(mailNumberFromName("ABCxyz"), 10000);
    EXPECT_EQ(mailNumberFromName("ABC 42"), 42);
}

TEST(MidiEngineChoice, StandardAndSoftwareEngines)
{
    QTemporaryDir dir;
    const std::filesystem::path file = dir.filePath("registry.reg").toStdString();
    ASSERT_TRUE(kiro::client::selectMidiEngine(0, file));
    kiro::Registry registry(file);
    EXPECT_EQ(registry.readString(kiro::client::kSmfPlayerKey, "engine"), "orvelmp.dll");
    EXPECT_EQ(registry.readDword(kiro::client::kSmfPlayerKey, "interface"), 0u);
    ASSERT_TRUE(kiro::client::selectMidiEngine(1, file));
    EXPECT_EQ(registry.readString(kiro::client::kSmfPlayerKey, "engine"), "orvelsmp.dll");
    EXPECT_EQ(registry.readDword(kiro::client::kSmfPlayerKey, "interface"), 1u);
    EXPECT_FALSE(kiro::client::selectMidiEngine(2, file));
    EXPECT_EQ(registry.readString(kiro::client::kSmfPlayerKey, "engine"), "orvelsmp.dll") << "other kinds do nothing";
}
