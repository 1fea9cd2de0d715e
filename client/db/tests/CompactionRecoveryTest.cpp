// What a killed compaction leaves behind, and the start-up that cleans it up.
#include "client/db/CompactionRecovery.h"
#include "client/db/Compaction.h"
#include "client/db/Recordset.h"
#include "client/db/SampleCatalogue.h"
#include "client/db/tests/TestDb.h"
#include "common/Cp932.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <random>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

using namespace kiro::db;
using kiro::db::test::TempDir;

namespace {

long productCount(CatalogueDb& db)
{
    Recordset rs(db);
    rs.open("SELECT COUNT(*) AS N FROM 商品マスタ");
    return std::stol(FieldToText(rs.fieldValue("N")));
}

struct Folder {
    TempDir dir;
    std::filesystem::path file() const { return dir / "KIRODB.MDB"; }
    std::filesystem::path backup() const { return dir / kCompactBackupName; }
    std::filesystem::path copy() const { return dir / kCompactCopyName; }
    bool exists(const std::filesystem::path& p) const { return std::filesystem::exists(p); }
    // Returns the number of products written.
    long makeCatalogue(const std::filesystem::path& p, int products)
    {
        CatalogueDb::createFile(p);
        CatalogueDb db;
        db.openOrThrow(p);
        SampleOptions options;
        options.products = products;
        writeSampleCatalogue(db, options);
        return productCount(db);
    }
    void junk(const std::filesystem::path& p) { std::ofstream(p, std::ios::binary) << std::string(5000, 'h'); }
};

} // namespace

TEST(CompactionRecovery, LeftoversAreSortedOutAtStartUp)
{
    const std::string password(CatalogueDb::kPassword);
    {
        // Killed before the swap: the catalogue is whole, the copy half-built.
        Folder f;
        const long products = f.makeCatalogue(f.file(), 20);
        f.junk(f.copy());
        EXPECT_EQ(recoverInterruptedCompaction(f.file(), password), CompactionRecovery::RemovedLeftovers);
        EXPECT_FALSE(f.exists(f.copy()));
        CatalogueDb db;
        ASSERT_TRUE(db.open(f.file()));
        EXPECT_EQ(productCount(db), products);
    }
    {
        // The data only in the backup (as an older client left it), beside
        // a half-built copy that would open as an empty catalogue.
        Folder f;
        const long products = f.makeCatalogue(f.backup(), 30);
        CatalogueDb::createFile(f.copy());
        CatalogueDb db;
        ASSERT_TRUE(db.open(f.file()));
        EXPECT_EQ(productCount(db), products);
        EXPECT_FALSE(f.exists(f.backup()));
        EXPECT_FALSE(f.exists(f.copy()));
    }
    {
        // Swapped, not yet cleaned: the new catalogue opens, the backup goes.
        Folder f;
        f.makeCatalogue(f.file(), 10);
        f.makeCatalogue(f.backup(), 40);
        EXPECT_EQ(recoverInterruptedCompaction(f.file(), password), CompactionRecovery::RemovedLeftovers);
        EXPECT_FALSE(f.exists(f.backup()));
    }
    {
        // The catalogue under the name does not open: the backup replaces it.
        Folder f;
        f.junk(f.file());
        const long products = f.makeCatalogue(f.backup(), 15);
        EXPECT_EQ(recoverInterruptedCompaction(f.file(), password), CompactionRecovery::RestoredBackup);
        CatalogueDb db;
        ASSERT_TRUE(db.open(f.file()));
        EXPECT_EQ(productCount(db), products);
    }
    {
        // Nothing good anywhere: nothing is thrown away.
        Folder f;
        f.junk(f.file());
        f.junk(f.backup());
        EXPECT_EQ(recoverInterruptedCompaction(f.file(), password), CompactionRecovery::Unrecoverable);
        EXPECT_TRUE(f.exists(f.file()));
        EXPECT_TRUE(f.exists(f.backup()));
    }
}

// The real kiro-db compact, killed at moments spread over its whole run:
// every time, the next start finds the whole catalogue under its name.
TEST(CompactionRecovery, KilledCompactionNeverLosesTheCatalogue)
{
    Folder f;
    f.makeCatalogue(f.file(), 1000);
    {
        CatalogueDb db;
        db.openOrThrow(f.file());
        db.execute("DELETE * FROM 商品マスタ WHERE 商品コード LIKE '*5'"); // something to compact away
    }
    long expected;
    {
        CatalogueDb db;
        db.openOrThrow(f.file());
        expected = productCount(db);
    }
    auto start = [&] { return kiro::db::test::startKiroDb({"compact", f.file().string()}); };
    // One whole run, to spread the kills over its length.
    const auto begin = std::chrono::steady_clock::now();
    int status = 0;
    waitpid(start(), &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto runLength = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - begin);

    std::mt19937 random(7);
    int killed = 0;
    for (int run = 0; run < 16; ++run) {
        std::uniform_int_distribution<long> moment(0, runLength.count() * 11 / 10);
        pid_t pid = start();
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        killed += WIFSIGNALED(status);
        CatalogueDb db;
        ASSERT_TRUE(db.open(f.file())) << "run " << run;
        ASSERT_EQ(productCount(db), expected) << "run " << run;
        EXPECT_FALSE(f.exists(f.backup())) << "run " << run;
        EXPECT_FALSE(f.exists(f.copy())) << "run " << run;
    }
    EXPECT_GT(killed, 5);
}

// A long update script killed at any moment has applied all of it or none.
TEST(CompactionRecovery, KilledUpdateScriptAppliesWholeOrNothing)
{
    Folder f;
    CatalogueDb::createFile(f.file());
    std::string script;
    for (int i = 0; i < 3000; ++i)
        script += "INSERT INTO ジャンルマスタ VALUES ('010', '" + std::to_string(i) + "', 'g');\r\n";
    script = kiro::cp932::fromUtf8(script);
    const std::filesystem::path scriptFile = f.dir / "u.sql";
    auto start = [&] {
        std::ofstream(scriptFile, std::ios::binary) << script;
        return kiro::db::test::startKiroDb({"script", f.file().string(), scriptFile.string()});
    };
    const auto begin = std::chrono::steady_clock::now();
    int status = 0;
    waitpid(start(), &status, 0);
    const auto runLength = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - begin);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    auto genres = [&] {
        CatalogueDb db;
        db.openOrThrow(f.file());
        Recordset rs(db);
        rs.open("SELECT COUNT(*) AS N FROM ジャンルマスタ");
        return std::stol(FieldToText(rs.fieldValue("N")));
    };
    ASSERT_EQ(genres(), 3000);

    std::mt19937 random(11);
    for (int run = 0; run < 8; ++run) {
        CatalogueDb::createFile(f.dir / "fresh.mdb");
        std::filesystem::rename(f.dir / "fresh.mdb", f.file());
        std::uniform_int_distribution<long> moment(0, runLength.count());
        pid_t pid = start();
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        const long n = genres();
        EXPECT_TRUE(n == 0 || n == 3000) << "run " << run << ": " << n;
    }
}
