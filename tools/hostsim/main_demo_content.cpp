// kiro-demo-content: the demo host's song archives, made from a catalogue.
// Every single product and every set gets an LZH archive named after its
// ファイル名 holding BASE.KRD and BASE.MID (a set's archive holds its songs'
// files); every Nth is left out, so the demo also shows a product that is
// not ready. With --songs DIR it also writes, into DIR, the files of the
// products the catalogue marks as already on the disk (the install folder's
// karaoke/), so that they play.
#include "client/db/CatalogueDb.h"
#include "client/db/Connection.h"
#include "client/db/DbError.h"
#include "common/AtomicFile.h"
#include "tools/hostsim/DemoSong.h"
#include "tools/hostsim/KaraokeCatalogue.h"
#include "tools/hostsim/LzhStoreWriter.h"

#include <sqlite3.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using namespace kiro;
using namespace kiro::hostsim;

namespace {

struct Row {
    std::string course, code, title, singer, file, linkCourse, linkProduct;
    long long linkSign = 0;
    bool onDisk = false;
};

std::string text(sqlite3_stmt *st, int i)
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
    return p ? p : "";
}

std::vector<LzhMember> songFiles(const Row &row, std::uint32_t seed)
{
    const std::string base = productBaseName(row.file);
    const auto krd = makeDemoKrd(row.title, row.singer.empty() ? row.title : row.title + "　" + row.singer);
    return {{base + ".KRD", krd}, {base + ".MID", makeDemoMidi(seed)}};
}

int usage()
{
    std::fputs("usage: kiro-demo-content CATALOGUE OUTDIR [--leave-out N] [--db-password PW] [--songs DIR]\n"
               "                         [--no-archives]\n"
               "  writes OUTDIR/BASE.LZH for the catalogue's products; every Nth (10) is left out;\n"
               "  --songs: DIR/BASE.KRD and .MID for the songs marked as downloaded\n"
               "  --no-archives: only the songs (OUTDIR is not written)\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return usage();
    const std::filesystem::path catalogue = argv[1], out = argv[2];
    int leaveOut = 10;
    std::string password(db::CatalogueDb::kPassword);
    std::filesystem::path songsFolder;
    bool archives = true;
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--leave-out" && i + 1 < argc) {
            const std::string v = argv[++i];
            const auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), leaveOut);
            if (ec != std::errc() || ptr != v.data() + v.size() || leaveOut < 0)
                return usage();
        } else if (arg == "--db-password" && i + 1 < argc) {
            password = argv[++i];
        } else if (arg == "--no-archives") {
            archives = false;
        } else if (arg == "--songs" && i + 1 < argc) {
            songsFolder = argv[++i];
        } else {
            return usage();
        }
    }

    std::vector<Row> rows;
    try {
        auto connection = db::Connection::open(catalogue, password);
        db::Statement st(connection, "SELECT コースコード, 商品コード, 商品名, 歌手名, ファイル名, リンクサイン, "
                                     "リンク先コース, リンク先商品, ダウンロード済みフラグ FROM 商品マスタ "
                                     "ORDER BY コースコード, 商品コード");
        while (st.step())
            rows.push_back({text(st.get(), 0), text(st.get(), 1), text(st.get(), 2), text(st.get(), 3),
                            text(st.get(), 4), text(st.get(), 6), text(st.get(), 7),
                            sqlite3_column_int64(st.get(), 5), sqlite3_column_int64(st.get(), 8) != 0});
    } catch (const db::DbError &e) {
        std::fprintf(stderr, "kiro-demo-content: %s: %s\n", catalogue.c_str(), e.what());
        return 1;
    }
    std::map<std::pair<std::string, std::string>, std::vector<const Row *>> songsOfSet;
    for (const Row &row : rows)
        if (row.linkSign == 2)
            songsOfSet[{row.linkCourse, row.linkProduct}].push_back(&row);

    std::error_code ec;
    if (archives)
        std::filesystem::create_directories(out, ec);
    int written = 0, left = 0, index = 0;
    std::uint32_t seed = 0;
    for (const Row &row : rows) {
        ++seed;
        // Course 20 plays other files (CDEx/) that this tool does not
        // invent: the host has none of them ready.
        if (!archives || row.linkSign == 2 || row.course == "020")
            continue;
        const std::string base = productBaseName(row.file);
        if (base.empty() || base == "." || base == "..")
            continue;
        if (leaveOut > 0 && ++index % leaveOut == 0) {
            ++left;
            continue;
        }
        std::vector<LzhMember> members;
        if (row.linkSign == 1) {
            std::uint32_t songSeed = seed * 31;
            for (const Row *song : songsOfSet[{row.course, row.code}])
                for (LzhMember &m : songFiles(*song, ++songSeed))
                    members.push_back(std::move(m));
        } else {
            members = songFiles(row, seed);
        }
        if (members.empty() || !writeStoredLzh(out / (base + ".LZH"), members)) {
            std::fprintf(stderr, "kiro-demo-content: cannot write %s.LZH\n", base.c_str());
            return 1;
        }
        ++written;
    }
    int songs = 0;
    if (!songsFolder.empty()) {
        std::filesystem::create_directories(songsFolder, ec);
        seed = 0;
        for (const Row &row : rows) {
            ++seed;
            if (!row.onDisk || row.linkSign == 1 || row.course == "020")
                continue;
            const std::string base = productBaseName(row.file);
            if (base.empty() || base == "." || base == "..")
                continue;
            for (const LzhMember &m : songFiles(row, seed)) {
                const std::string problem = writeFileAtomically(songsFolder / m.name,
                    std::string_view(reinterpret_cast<const char *>(m.data.data()), m.data.size()));
                if (!problem.empty()) {
                    std::fprintf(stderr, "kiro-demo-content: %s\n", problem.c_str());
                    return 1;
                }
            }
            ++songs;
        }
    }
    if (archives)
        std::printf("%d archives written to %s, %d left out (not ready)", written, out.c_str(), left);
    if (!songsFolder.empty())
        std::printf("%s%d downloaded songs in %s", archives ? ", " : "", songs, songsFolder.c_str());
    std::printf("\n");
    return 0;
}
