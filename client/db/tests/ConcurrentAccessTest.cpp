// Two processes on one catalogue: the client reading, another program writing.
#include "client/db/Recordset.h"
#include "client/db/SampleCatalogue.h"
#include "client/db/tests/TestDb.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

using namespace kiro::db;

TEST(ConcurrentAccess, APartReadRecordsetDoesNotBlockAnotherProcessWriting)
{
    kiro::db::test::OpenCatalogue c;
    SampleOptions options;
    options.products = 300;
    writeSampleCatalogue(c.db, options);

    // As the song book holds its search: opened, a few rows read, left open.
    Recordset songBook(c.db);
    songBook.open("SELECT * FROM 商品マスタ ORDER BY 商品コード");
    for (int i = 0; i < 5; ++i)
        songBook.moveNext();
    ASSERT_FALSE(songBook.isEOF());

    int status = 0;
    waitpid(kiro::db::test::startKiroDb({"exec", (c.dir / "KIRODB.MDB").string(),
                                         "INSERT INTO ジャンルマスタ VALUES ('010', '999', 'other process')"}),
            &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other process could not write";

    // The reader goes on; once it is done, the write is seen.
    songBook.moveNext();
    EXPECT_FALSE(songBook.isEOF());
    songBook.close();
    Recordset genres(c.db);
    genres.open("SELECT * FROM ジャンルマスタ WHERE ジャンルコード = '999'");
    EXPECT_FALSE(genres.isEOF());
}
