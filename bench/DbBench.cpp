// Measures the catalogue layer on a 100,000-product sample catalogue:
//  (a) open the reading-index query (group mode 1, tab あ, no genre) as a
//      dynaset and read its first 20 rows;
//  (b) FindNext with like 'ﾊ*' from the first row (on the あ tab, where it
//      walks to the end, and on the は tab, where the karaoke screen runs it);
//  (c) AbsolutePosition jumps to 100 random rows;
//  (d) baseline: the same query stepped raw through the SQLite API.
// Every figure is the median of several runs; ratios are to the baseline.
#include "client/db/CatalogueDb.h"
#include "client/db/Connection.h"
#include "client/db/JetTranslator.h"
#include "client/db/Recordset.h"
#include "client/db/SampleCatalogue.h"
#include "client/db/Statements.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <malloc.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace kiro::db;
using Clock = std::chrono::steady_clock;

namespace {

double medianMs(int runs, const std::function<void()>& body)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        body();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

size_t heapInUse() { return mallinfo2().uordblks; }

// Steps the translated query raw, reading every column as the dynaset does.
long stepRaw(Connection& c, const std::string& sql, long limit)
{
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(c.handle(), sql.c_str(), -1, &stmt, nullptr);
    long rows = 0;
    const int columns = sqlite3_column_count(stmt);
    size_t bytes = 0;
    while ((limit < 0 || rows < limit) && sqlite3_step(stmt) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i)
            if (sqlite3_column_type(stmt, i) == SQLITE_TEXT)
                bytes += static_cast<size_t>(sqlite3_column_bytes(stmt, i));
        ++rows;
    }
    sqlite3_finalize(stmt);
    return bytes > 0 ? rows : rows;
}

} // namespace

int main(int argc, char** argv)
{
    int products = 100000;
    if (argc > 1)
        products = std::max(1, std::atoi(argv[1]));
    std::string pattern = (std::filesystem::temp_directory_path() / "kiro-bench-db-XXXXXX").string();
    const std::filesystem::path dir = mkdtemp(pattern.data());
    const auto file = dir / "KIRODB.MDB";

    auto start = Clock::now();
    CatalogueDb::createFile(file);
    CatalogueDb db;
    db.openOrThrow(file);
    writeSampleCatalogue(db, {products, 7});
    const double sampleSeconds = std::chrono::duration<double>(Clock::now() - start).count();

    statements::CatalogueQuery tabA; // course 10, group mode 1, tab あ, no genre
    statements::CatalogueQuery tabHa = tabA;
    tabHa.tabCode = "05";
    const std::string sqlA = statements::catalogueQueryStatement(tabA);
    const std::string sqlHa = statements::catalogueQueryStatement(tabHa);
    const std::string rawA = translateJet(sqlA).sql;
    auto connection = db.connection();

    long totalRows = 0;
    {
        Recordset rs(db);
        rs.open(sqlA, Recordset::kReadOnly);
        rs.moveLast();
        totalRows = rs.recordCount();
    }
    const int runs = 15;
    const double rawFirst20 = medianMs(runs, [&] { stepRaw(*connection, rawA, 20); });
    const double rawAll = medianMs(runs, [&] { stepRaw(*connection, rawA, -1); });

    const double openRead20 = medianMs(runs, [&] {
        Recordset rs(db);
        rs.open(sqlA, Recordset::kReadOnly);
        for (int i = 0; i < 20 && !rs.isEOF(); ++i) {
            (void)rs.fieldValue("商品名");
            (void)rs.fieldValue("歌手名");
            (void)rs.fieldValue("歌い出し");
            (void)rs.fieldValue("ダウンロード済みフラグ");
            rs.moveNext();
        }
    });

    // (b) as the type-ahead search runs it: the search record set is open
    // (not read-only) on the same query and stands at its first row.
    auto findFromFirst = [&](const std::string& sql) {
        Recordset rs(db);
        rs.open(sql);
        return medianMs(1, [&] { rs.findNext("商品名読み like 'ﾊ*'"); });
    };
    std::vector<double> findA, findHa;
    for (int i = 0; i < runs; ++i) {
        findA.push_back(findFromFirst(sqlA));
        findHa.push_back(findFromFirst(sqlHa));
    }
    std::sort(findA.begin(), findA.end());
    std::sort(findHa.begin(), findHa.end());

    // (c) jumps on a record set that has not been read to the end yet.
    std::vector<long> targets;
    unsigned state = 12345;
    for (int i = 0; i < 100; ++i) {
        state = state * 1103515245u + 12345u;
        targets.push_back(static_cast<long>((state >> 8) % static_cast<unsigned>(totalRows)));
    }
    const double jumps = medianMs(runs, [&] {
        Recordset rs(db);
        rs.open(sqlA);
        for (long t : targets) {
            rs.setAbsolutePosition(t);
            (void)rs.fieldValue("商品コード");
        }
    });

    size_t memory = 0;
    {
        const size_t before = heapInUse();
        Recordset rs(db);
        rs.open(sqlA);
        rs.moveLast();
        memory = heapInUse() - before;
    }

    std::printf("catalogue: %d course-10 products (sample written in %.2f s); tab あ holds %ld rows\n", products,
                sampleSeconds, totalRows);
    std::printf("(d) baseline, raw SQLite: first 20 rows %.3f ms, all %ld rows %.3f ms\n", rawFirst20, totalRows, rawAll);
    std::printf("(a) dynaset open + first 20 rows:     %8.3f ms  = %6.2f x raw first 20   (target < 50 ms)\n",
                openRead20, openRead20 / rawFirst20);
    std::printf("(b) FindNext like 'ﾊ*', tab は (hit):  %8.3f ms  = %6.2f x raw first 20   (target < 5 ms)\n",
                findHa[findHa.size() / 2], findHa[findHa.size() / 2] / rawFirst20);
    std::printf("(b') FindNext like 'ﾊ*', tab あ (miss): %7.3f ms  = %6.2f x raw all rows\n", findA[findA.size() / 2],
                findA[findA.size() / 2] / rawAll);
    std::printf("(c) 100 AbsolutePosition jumps:       %8.3f ms  = %6.2f x raw all rows\n", jumps, jumps / rawAll);
    std::printf("memory of the record set read to its end: %.1f MB (target < 64 MB)\n", memory / 1048576.0);

    db.shutDown();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return 0;
}
